// Checks of a record's 139 lines against the line map: what a file written by
// the program can never hold (a code outside its set, figures of an unticked
// project type, ...). The collector lists these; reopening a file refuses the
// ones that the pages could not show.
#pragma once

#include "survey/ResultFileFormat.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <span>

namespace Survey {
struct Line;
}

namespace RecordCheck {

enum class ProblemKind {
    BadCode,          // a single choice or yes/no code outside its set; a code string of the
                      // wrong length or with characters other than 1 and 9
    UnknownListItem,  // a list pick that is not one of the list's items
    TooManyTicks,     // more ticks than the question allows (question 1: three)
    UngatedFigure,    // a project-type figure or name filled while its box is unticked
    OtherWithoutTick, // an "其他" text filled while its option is unticked
    OtherIndustry,    // line 8 filled while the industry is not 19
    BadRanking,       // ranking letters outside its set, or repeated
    NotANumber,       // a number field whose text is not a number
    NumberOutOfRange, // a number field's figure too large (or too fine) for a double
};

struct Problem {
    int line = 0;
    ProblemKind kind = ProblemKind::BadCode;
    QString what; // a short Chinese sentence for people
    QString raw;  // the line's text as it stands
};

// Every problem of the lines (exactly 139), in line order.
QList<Problem> check(const QStringList &lines);

// The same for lines in UTF-8, as the collector keeps them (no string per line).
QList<Problem> checkUtf8(std::span<const QByteArrayView> lines);

// True when a number field's text reads as a number: digits with at most one
// point, at least one digit, blanks around allowed, and a value a double holds
// (numberValue). The one rule of the check and of every typed output.
bool isNumber(const QString &text);
// The same for UTF-8 text: the number without its blanks, or nothing.
std::optional<QByteArrayView> numberText(QByteArrayView text);
// Its value; nothing when the text is not a number, or its figure is out of a
// double's range.
std::optional<double> numberValue(QByteArrayView text);

// A text quoted as the problems quote it: “…”.
QString quoted(const QString &text);

// The problems that make a file unfit to be loaded into the pages.
bool blocksReopening(ProblemKind kind);

// The problems of a line's value itself (a code outside its set, a figure
// that is not a number): the value means nothing and is taken as missing.
bool spoilsValue(ProblemKind kind);

// Whether a line may be filled, by its gate: a line without one is open; a
// gate line whose own value is spoilt tells nothing (the line's value is then
// neither shut out nor allowed, and the gate line has its own problem). The
// one rule for the checks and for what the data set counts as 不适用.
enum class Gate { Open, Shut, Unknown };
Gate gate(const Survey::Line &line, std::span<const QByteArrayView> lines);
// The gate of every line of one record (lines()[k - 1] for line k), each
// gate line looked at once: for thousands of records.
std::array<Gate, Survey::kLineCount> gates(std::span<const QByteArrayView> lines);
// The value of each number line (numberValue), for lines()[k - 1] of line k;
// nothing for the other lines.
using Numbers = std::array<std::optional<double>, Survey::kLineCount>;
// checkUtf8, and the gates and the numbers it works out on the way: for a
// reader that needs them too, a tenth of its time less.
QList<Problem> checkUtf8(std::span<const QByteArrayView> lines, std::array<Gate, Survey::kLineCount> &gatesOut,
                         Numbers &numbersOut);

} // namespace RecordCheck
