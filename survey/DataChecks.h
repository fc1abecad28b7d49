// The data checks: answers and figures of a record that contradict each other
// or are most unlikely (more insured employees than employees, an amount
// typed in 元 where 万元 was asked, ticks that exclude each other). The
// questionnaire accepts them as it always has; the collector lists them for a
// person to follow up. One table, beside the line map: the window, the command
// line, the codebook and the report take their words from it.
#pragma once

#include "survey/RecordCheck.h"
#include "survey/ResultFileFormat.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <span>

namespace DataChecks {

// "错误": both cannot be true; "疑问": only unlikely.
enum class Severity { Error, Doubt };

enum class Kind {
    AtMost,         // figures each at most a whole of the same year (and a tab's figures together)
    UnitSlip,       // a figure's two years kUnitSlipLow to kUnitSlipHigh times apart
    Jump,           // a figure's two years kJumpFactor or more apart, both above zero
    Whole,          // a count that is not a whole number
    Conflict,       // answers that cannot go together
    SameEnterprise, // two files whose names differ only in form (across files)
};

enum class Test {
    Chosen,    // the line holds the choice or list item named by answer
    NotChosen, // it holds another choice or item of its set
    Ticked,    // the option is ticked
    Zero,      // the figure is 0
    AboveZero, // the figure is above 0
};

// A condition on one answer. variable is a data-set name: a line's
// ("report"), an option's ("q02_e"), or a figure row's stem ("projects"),
// which is read year by year.
struct Condition {
    QStringView variable;
    Test test;
    QStringView answer = {}; // Chosen, NotChosen: the choice's caption or the list's item
};

// when together with any of with.
struct Rule {
    Condition when;
    std::span<const Condition> with;
};

struct Check {
    QStringView id;          // in the data set's checks variable and the findings: ASCII
    QStringView title;       // a few words
    QStringView description; // a plain sentence; {slipLow}, {slipHigh}, {jump} stand for the thresholds
    Severity severity;
    Kind kind;
    QStringView whole = {};                  // AtMost: a figure row's stem
    std::span<const QStringView> parts = {}; // AtMost: figure rows, each at most the whole;
                                             // Whole: the counts, figure rows (both years) or lines
    QStringView summedTab = {};              // AtMost: a tab (its sheet) whose figures together are at most the whole
    bool amountsOnly = false;                // UnitSlip, Jump: only the figures asked in kAmountUnit
    std::span<const Rule> rules = {};        // Conflict: each is one finding
    QStringView nameVariable = {};           // SameEnterprise: the line of the name
};

// Amounts are asked in 万元; typed in 元 they come out 10,000 times too large,
// and the year's growth or fall comes on top: a ratio of 5,000 to 20,000.
inline constexpr QStringView kAmountUnit = u"万元";
inline constexpr QStringView kSlipUnit = u"元";
inline constexpr double kUnitSlipLow = 5000;
inline constexpr double kUnitSlipHigh = 20000;
inline constexpr double kJumpFactor = 100;

// Every check, in the order they are listed.
std::span<const Check> all();
// A set of checks, one bit for each by its index into all(): so many at most.
using CheckSet = quint32;
const Check *find(QStringView id);
QString severityText(Severity severity);
// The description with its thresholds written in.
QString description(const Check &check);
// The lines the check reads, in order.
QList<int> lines(const Check &check);
// "第 27–30、37–40 行".
QString linesText(const Check &check);

// The ratio rules. y2013 and y2014 above zero.
bool isUnitSlip(double y2013, double y2014);
bool isJump(double y2013, double y2014);

// A name with its form taken off: full-width forms made half-width, blanks
// taken out, letters made lower case, "有限责任公司" made "有限公司". Two names with the same key
// name the same enterprise.
QString nameKey(QStringView name);
// The key of a record's name for the checks across records (its lines in
// UTF-8): equal keys name the same enterprise; empty for no name.
QString enterpriseKey(std::span<const QByteArrayView> lines);

// One check fired on one record: little to keep, its words made when shown.
struct Finding {
    int check = 0;    // index into all()
    int subject = 0;  // AtMost: the part (parts.size() for the tab's sum); UnitSlip, Jump: the figure;
                      // Whole: the count in parts; Conflict: the rule; SameEnterprise: the other record
    int year = -1;    // 0 for 2013, 1 for 2014; UnitSlip: the year that looks wrong; -1 for none
};

// The checks of one record (its lines in UTF-8, exactly kLineCount), all but
// those across records, in the table's order.
QList<Finding> run(std::span<const QByteArrayView> lines);
// The same with the lines' numbers as RecordCheck::checkUtf8 found them, not read again.
QList<Finding> run(std::span<const QByteArrayView> lines, const RecordCheck::Numbers &numbers);
// The values a finding is about, in words: "员工总数 2014年 = 120；缴纳社保的员工数 2014年 = 150".
// Not for SameEnterprise, whose other record the caller knows.
QString values(const Finding &finding, std::span<const QByteArrayView> lines);

// The label of the name line ("注册全称"), for the words of SameEnterprise.
QString nameLabel(const Check &check);

} // namespace DataChecks
