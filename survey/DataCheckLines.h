// The table of data checks turned into lines of the result file: each
// answer it names made a line, a position or a figure row, once, at the first
// use. Shared by the table's words and the checks run on a record.
#pragma once

#include "survey/DataChecks.h"
#include "survey/LineMap.h"

#include <QList>
#include <QString>

#include <array>

namespace DataChecks {

// Sums and ratios of typed decimals are never exact.
inline constexpr double kRelativeSlack = 1e-9;

using Survey::Line;
using Survey::LineKind;

// A figure row of the performance page: one line a year.
struct Figure {
    QString stem;
    QString label;
    QString unit;
    QString sheet;
    std::array<int, 2> lines{};
};

struct Operand {
    enum class Type { Line, Option, Figure } type = Type::Line;
    int line = 0;     // Line, Option
    int position = 0; // Option
    int figure = 0;   // Figure
};

struct Resolved {
    Operand operand;
    Test test = Test::Chosen;
    QByteArray code;        // Chosen, NotChosen: what the line holds for the answer
    QList<QByteArray> set;  // NotChosen: every code or item of the line
    qsizetype positions = 0; // Ticked: the options of the line
};

// One line a count check reads.
struct Count {
    int part = 0;  // in the check's parts
    int line = 0;
    int year = -1;   // a figure row's year; -1 for a line of its own
    int figure = -1; // a figure row's index
};

struct ResolvedRule {
    Resolved when;
    QList<Resolved> with;
    bool yearly = false; // reads a figure row: once for each year
};

struct ResolvedCheck {
    int whole = -1;
    QList<int> parts;   // figures
    QList<int> summed;  // figures
    QString sumLabel;
    QList<int> figures; // UnitSlip, Jump
    QList<Count> counts; // Whole
    QList<ResolvedRule> rules;
    int nameLine = 0;
    QList<int> lines;
};

struct Definition {
    std::array<QString, 2> years;
    QList<Figure> figures;
    QList<ResolvedCheck> checks;
    QList<int> numberLines; // every line a check reads as a number
};

const Definition &definition();

} // namespace DataChecks
