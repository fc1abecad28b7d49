// The line map: what each of the 139 lines of a result file means, where it
// comes from on the pages, and the variable it becomes in a data set. Built
// once from the pages' content tables, so nothing here restates them.
#pragma once

#include "survey/ResultFileFormat.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <span>

namespace Survey {

// The pages in the order the user meets them.
enum class PageId { Intro, BasicInformation, Foundation, Performance, Questionnaire };
inline constexpr int kPageCount = 5;

enum class LineKind {
    FreeText,     // a text field, written as typed
    Number,       // an amount or count field (digits and one point, by the key filter)
    SingleChoice, // radio buttons: the chosen button's code
    ListPick,     // a pick-only list: the picked item's text, empty when none
    YesNoPair,    // two check boxes that exclude each other: "1" for 是, "9" for 否
    OptionCodes,  // one "1"/"9" per option box, in code-position order
    Ranking,      // question 21: the letters of the ticked options in ticking order
};

// A code of a single choice or yes/no pair, and the caption of its control.
struct Choice {
    QString code;
    QString caption;
};

// What must hold for a line to be filled at all.
enum class GateKind {
    None,
    ProjectType,   // a project-type figure or name: its box must be ticked (line 138)
    OtherOption,   // an "其他" text: its option must be ticked
    OtherIndustry, // line 8: the industry must be 19
    Detail,        // a detail field of the foundation or report question: opened by its "是"
};

struct Line {
    int number = 0;
    PageId page = PageId::Intro;
    LineKind kind = LineKind::FreeText;
    QString variable;     // data-set name: ASCII, lower case, at most 32 characters, unique
    QString label;        // the question or row text, with option caption, year and unit where they apply
    QString question;     // the question or row text alone
    QString year;         // "2013年" or "2014年" for figures; else empty
    QString unit;         // "万元", "人", ... where the field has one
    QStringList controls; // object names of the controls the line comes from (in code-position order)

    QList<Choice> choices;         // SingleChoice, YesNoPair
    QStringList items;             // ListPick: the list's items in order
    QStringList positions;         // OptionCodes: caption of each position; Ranking: caption of each option
    QStringList positionVariables; // OptionCodes: q01_a …; Ranking: q21_rank1 … (one per rank)
    QStringList rankOfVariables;   // Ranking: q21_rank_of_a … (the rank of each option)
    QString letters;               // Ranking: the letter of each option, in option order
    int maxTicks = 0;              // OptionCodes: the most ticks allowed, 0 for no limit

    GateKind gate = GateKind::None;
    QString gateControl;   // object name of the gating box or button
    int gateLine = 0;      // the line that holds the gate
    int gatePosition = -1; // its code position in that line (0-based); -1: the whole line
    QString gateValue;     // what the gate position (or line) must hold: "1", or "19" for line 8
};

// The 139 lines, in order: lines()[k - 1] is line k.
std::span<const Line> lines();
// Every line as the pages' tables claim it, in table order, before any check:
// what the test of the definition looks at.
const QList<Line> &claimedLines();
const Line &line(int number);

// A line by its variable name; nullptr when none has it.
const Line *lineByVariable(QStringView variable);

// The object name of the page's window ("Form2", ...).
QString pageObjectName(PageId page);

} // namespace Survey
