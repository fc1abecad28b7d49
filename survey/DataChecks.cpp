// The table of data checks, and the checks run on a record's lines. The table
// names each answer by its data-set name once; the line map and the pages'
// content tables turn the names into lines, codes and words, once, at the
// first use (an unknown name there is a fault of the table and stops).
#include "survey/DataChecks.h"

#include "survey/LineMap.h"
#include "survey/PerformanceContent.h"
#include "survey/RecordCheck.h"

#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace DataChecks {
namespace {

// clang-format off
constexpr QStringView kEmployeeParts[] = {u"contracted_employees", u"insured_employees", u"housing_fund_employees"};
constexpr QStringView kRevenueParts[] = {u"taxes", u"rnd", u"environment"};
constexpr QStringView kCounts[] = {u"employees", u"contracted_employees", u"insured_employees",
                                   u"housing_fund_employees", u"trainees", u"patents", u"projects",
                                   u"jobs_created", u"lifted_from_poverty", u"report_count"};

constexpr Condition kOtherDisclosure[] = {
    {u"q02_a", Test::Ticked}, {u"q02_b", Test::Ticked}, {u"q02_c", Test::Ticked}, {u"q02_d", Test::Ticked},
    {u"q02_f", Test::Ticked}};
constexpr Condition kReportDisclosure[] = {{u"q02_a", Test::Ticked}};
constexpr Condition kNeverDisclosed[] = {{u"q02_e", Test::Ticked}};
constexpr Rule kContradictoryTicks[] = {
    {.when = {u"q02_e", Test::Ticked}, .with = kOtherDisclosure},
    {.when = {u"report", Test::Chosen, u"否"}, .with = kReportDisclosure},
    {.when = {u"report", Test::Chosen, u"是"}, .with = kNeverDisclosed},
};

constexpr Condition kNotJointStock[] = {{u"company_type", Test::NotChosen, u"股份有限公司"}};
constexpr Rule kListedCompany[] = {{.when = {u"listed", Test::Chosen, u"是"}, .with = kNotJointStock}};

constexpr Condition kNoReportCounted[] = {{u"report_count", Test::Zero}};
constexpr Rule kReportsCounted[] = {{.when = {u"report", Test::Chosen, u"是"}, .with = kNoReportCounted}};

constexpr Condition kProjectFunds[] = {{u"project_funds", Test::AboveZero}};
constexpr Rule kProjectsFunded[] = {{.when = {u"projects", Test::Zero}, .with = kProjectFunds}};

constexpr Check kChecks[] = {
    {.id = u"part_exceeds_whole", .title = u"部分大于总数",
     .description = u"签订劳动合同、缴纳社保或缴纳公积金的员工数多于同一年的员工总数。",
     .severity = Severity::Error, .kind = Kind::AtMost, .whole = u"employees", .parts = kEmployeeParts},
    {.id = u"amount_exceeds_revenue", .title = u"金额大于营业收入",
     .description = u"缴纳税金、研发投入、环保投入，或公益慈善各领域投入的合计，多于同一年的营业收入总额。",
     .severity = Severity::Doubt, .kind = Kind::AtMost, .whole = u"revenue", .parts = kRevenueParts,
     .summedTab = u"TabSheet2"},
    {.id = u"unit_slip", .title = u"疑似单位误填",
     .description = u"同一项金额，2014年是2013年的 {slipLow} 到 {slipHigh} 倍，或 {slipHigh} 分之一到 {slipLow} 分之一："
                    u"有一年可能是以元而不是以万元填写的（再加上当年的增减）。",
     .severity = Severity::Doubt, .kind = Kind::UnitSlip, .amountsOnly = true},
    {.id = u"year_jump", .title = u"两年相差悬殊",
     .description = u"同一项数字，2014年是2013年的 {jump} 倍以上或 {jump} 分之一以下（两年都大于 0）。",
     .severity = Severity::Doubt, .kind = Kind::Jump},
    {.id = u"count_not_whole", .title = u"人数或个数不是整数",
     .description = u"人数、人次、专利数、项目数或累计发布报告份数带有小数（如员工总数 120.5）。",
     .severity = Severity::Doubt, .kind = Kind::Whole, .parts = kCounts},
    {.id = u"contradictory_ticks", .title = u"选项互相矛盾",
     .description = u"第2题（信息披露途径）选了“从未进行披露”又选了其他途径（A–D 或“F. 其他”）；或未发布过社会责任报告，"
                    u"却选了“公开发布社会责任报告”；或发布过报告，却选了“从未进行披露”。",
     .severity = Severity::Doubt, .kind = Kind::Conflict, .rules = kContradictoryTicks},
    {.id = u"listed_not_joint_stock", .title = u"上市企业不是股份有限公司",
     .description = u"企业已上市，企业类型却不是股份有限公司（在中国，上市公司都是股份有限公司）。",
     .severity = Severity::Doubt, .kind = Kind::Conflict, .rules = kListedCompany},
    {.id = u"report_count_zero", .title = u"发布过报告但份数为 0",
     .description = u"企业发布过社会责任报告，累计发布份数却是 0。",
     .severity = Severity::Error, .kind = Kind::Conflict, .rules = kReportsCounted},
    {.id = u"projects_zero_with_funds", .title = u"无项目却有到位资金",
     .description = u"参与Solvane事业项目总数为 0，同一年的项目年度到位资金却大于 0。",
     .severity = Severity::Error, .kind = Kind::Conflict, .rules = kProjectsFunded},
    {.id = u"same_enterprise_twice", .title = u"同一企业疑似填报两次",
     .description = u"两个文件的注册全称只在全角半角、英文字母大小写、空格、中英文括号或“有限责任公司”与“有限公司”上不同，"
                    u"可能是同一企业填报了两次。两个文件都已汇总，请人工判断。",
     .severity = Severity::Doubt, .kind = Kind::SameEnterprise, .nameVariable = u"name"},
};
static_assert(std::size(kChecks) <= sizeof(CheckSet) * 8, "a record's checks are kept as the bits of a CheckSet");
// clang-format on

// Sums and ratios of typed decimals are never exact.
constexpr double kRelativeSlack = 1e-9;

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

[[noreturn]] void fault(const Check &check, QStringView what)
{
    throw std::logic_error("data check " + check.id.toString().toStdString() + ": " + what.toString().toStdString());
}

class Resolver {
public:
    explicit Resolver(Definition &d) : d_(d)
    {
        const Performance::Content &page = Performance::content();
        d_.years = {page.year2013.toString(), page.year2014.toString()};
        for (const Performance::FiguresTab &tab : page.tabs)
            for (const Performance::FigureRow &row : tab.rows)
                d_.figures.append({row.variable.toString(), row.label.trimmed().toString(), row.unit.toString(),
                                   tab.sheet.toString(), {row.line2013, row.line2014}});
        // A row's label alone where it says which row; else with its tab's heading, as the line map has it ("其他").
        QHash<QString, int> uses;
        for (const Figure &f : d_.figures)
            ++uses[f.label];
        for (Figure &f : d_.figures)
            if (uses.value(f.label) > 1)
                f.label = Survey::line(f.lines[0]).question.simplified();
    }

    ResolvedCheck resolve(const Check &check)
    {
        ResolvedCheck r;
        switch (check.kind) {
        case Kind::AtMost:
            r.whole = figure(check, check.whole);
            for (QStringView part : check.parts)
                r.parts << figure(check, part);
            if (!check.summedTab.isEmpty()) {
                for (qsizetype f = 0; f < d_.figures.size(); ++f)
                    if (d_.figures[f].sheet == check.summedTab)
                        r.summed << int(f);
                if (r.summed.isEmpty())
                    fault(check, u"no tab of that name");
                for (const Performance::FiguresTab &tab : Performance::content().tabs)
                    if (tab.sheet == check.summedTab)
                        r.sumLabel = tab.subHeading.trimmed().toString() + QStringLiteral("合计");
            }
            for (int f : QList<int>{r.whole} + r.parts + r.summed)
                r.lines << d_.figures[f].lines[0] << d_.figures[f].lines[1];
            break;
        case Kind::UnitSlip:
        case Kind::Jump:
            for (qsizetype f = 0; f < d_.figures.size(); ++f)
                if (!check.amountsOnly || d_.figures[f].unit == kAmountUnit) {
                    r.figures << int(f);
                    r.lines << d_.figures[f].lines[0] << d_.figures[f].lines[1];
                }
            break;
        case Kind::Whole:
            r.counts = counts(check);
            for (const Count &c : std::as_const(r.counts))
                r.lines << c.line;
            break;
        case Kind::Conflict:
            for (const Rule &rule : check.rules) {
                ResolvedRule resolved;
                resolved.when = condition(check, rule.when, r.lines);
                for (const Condition &c : rule.with)
                    resolved.with << condition(check, c, r.lines);
                resolved.yearly = resolved.when.operand.type == Operand::Type::Figure ||
                                  std::any_of(resolved.with.begin(), resolved.with.end(), [](const Resolved &c) {
                                      return c.operand.type == Operand::Type::Figure;
                                  });
                r.rules << resolved;
            }
            break;
        case Kind::SameEnterprise: {
            const Line *line = Survey::lineByVariable(check.nameVariable);
            if (!line)
                fault(check, check.nameVariable);
            r.nameLine = line->number;
            r.lines << line->number;
            break;
        }
        }
        std::sort(r.lines.begin(), r.lines.end());
        r.lines.erase(std::unique(r.lines.begin(), r.lines.end()), r.lines.end());
        return r;
    }

private:
    int figure(const Check &check, QStringView stem) const
    {
        for (qsizetype f = 0; f < d_.figures.size(); ++f)
            if (d_.figures[f].stem == stem)
                return int(f);
        fault(check, stem);
    }

    QList<Count> counts(const Check &check) const
    {
        QList<Count> out;
        for (int p = 0; p < int(check.parts.size()); ++p) {
            const QStringView name = check.parts[size_t(p)];
            if (std::any_of(d_.figures.begin(), d_.figures.end(), [&](const Figure &f) { return f.stem == name; })) {
                const int f = figure(check, name);
                out << Count{p, d_.figures[f].lines[0], 0, f} << Count{p, d_.figures[f].lines[1], 1, f};
            } else if (const Line *line = Survey::lineByVariable(name); line && line->kind == LineKind::Number) {
                out << Count{p, line->number, -1};
            } else {
                fault(check, name);
            }
        }
        return out;
    }

    Resolved condition(const Check &check, const Condition &c, QList<int> &lines) const
    {
        Resolved r;
        r.test = c.test;
        Operand &o = r.operand;
        const Line *line = Survey::lineByVariable(c.variable);
        if (std::any_of(d_.figures.begin(), d_.figures.end(), [&](const Figure &f) { return f.stem == c.variable; })) {
            o.type = Operand::Type::Figure;
            o.figure = figure(check, c.variable);
            lines << d_.figures[o.figure].lines[0] << d_.figures[o.figure].lines[1];
        } else if (line) {
            o.type = Operand::Type::Line;
            o.line = line->number;
        } else {
            for (const Line &l : Survey::lines())
                if (const qsizetype at = l.positionVariables.indexOf(c.variable); at >= 0 && l.kind == LineKind::OptionCodes) {
                    o.type = Operand::Type::Option;
                    o.line = l.number;
                    o.position = int(at);
                }
            if (o.line == 0)
                fault(check, c.variable);
        }
        if (o.type != Operand::Type::Figure)
            lines << o.line;

        const bool isFigure = o.type == Operand::Type::Figure ||
                              (o.type == Operand::Type::Line && Survey::line(o.line).kind == LineKind::Number);
        switch (c.test) {
        case Test::Ticked:
            if (o.type != Operand::Type::Option)
                fault(check, u"only an option is ticked");
            r.positions = Survey::line(o.line).positions.size();
            break;
        case Test::Zero:
        case Test::AboveZero:
            if (!isFigure)
                fault(check, u"only a figure is zero");
            break;
        case Test::Chosen:
        case Test::NotChosen: {
            if (o.type != Operand::Type::Line)
                fault(check, u"only a line is chosen");
            const Line &l = Survey::line(o.line);
            for (const Survey::Choice &choice : l.choices) {
                r.set << choice.code.toUtf8();
                if (choice.caption.trimmed() == c.answer)
                    r.code = choice.code.toUtf8();
            }
            for (const QString &item : l.items) {
                r.set << item.toUtf8();
                if (item == c.answer)
                    r.code = item.toUtf8();
            }
            if (r.code.isEmpty())
                fault(check, c.answer);
            break;
        }
        }
        return r;
    }

    Definition &d_;
};

const Definition &definition()
{
    static const Definition built = [] {
        Definition d;
        Resolver resolver(d);
        for (const Check &check : kChecks)
            d.checks << resolver.resolve(check);
        for (const ResolvedCheck &c : std::as_const(d.checks))
            for (int line : c.lines)
                if (Survey::line(line).kind == LineKind::Number && !d.numberLines.contains(line))
                    d.numberLines << line;
        return d;
    }();
    return built;
}

// One record's lines, every figure the checks read made a number once.
class Answers {
public:
    explicit Answers(std::span<const QByteArrayView> lines) : lines_(lines)
    {
        for (int line : definition().numberLines) {
            const std::optional<double> value = RecordCheck::numberValue(lines[size_t(line - 1)]);
            has_[size_t(line - 1)] = value.has_value();
            values_[size_t(line - 1)] = value.value_or(0);
        }
    }

    QByteArrayView text(int line) const { return lines_[size_t(line - 1)]; }

    // Only for the lines the definition reads as numbers.
    std::optional<double> number(int line) const
    {
        const size_t at = size_t(line - 1);
        return has_[at] ? std::optional<double>(values_[at]) : std::nullopt;
    }

    // Both years of a figure, when both are above zero.
    std::optional<std::array<double, 2>> bothAboveZero(const Figure &f) const
    {
        const size_t a = size_t(f.lines[0] - 1), b = size_t(f.lines[1] - 1);
        if (!has_[a] || !has_[b] || values_[a] <= 0 || values_[b] <= 0)
            return std::nullopt;
        return std::array<double, 2>{values_[a], values_[b]};
    }

    bool holds(const Resolved &c, int year) const
    {
        const Definition &d = definition();
        const Operand &o = c.operand;
        const int line = o.type == Operand::Type::Figure ? d.figures[o.figure].lines[size_t(year)] : o.line;
        switch (c.test) {
        case Test::Chosen:
            return text(line) == c.code;
        case Test::NotChosen: {
            const QByteArrayView held = text(line);
            return held != c.code && std::any_of(c.set.begin(), c.set.end(), [&](const QByteArray &member) {
                       return member == held;
                   });
        }
        case Test::Ticked: {
            const QByteArrayView codes = text(line);
            return codes.size() == c.positions && codes[o.position] == '1' &&
                   std::all_of(codes.begin(), codes.end(), [](char k) { return k == '1' || k == '9'; });
        }
        case Test::Zero:
        case Test::AboveZero: {
            const std::optional<double> value = number(line);
            return value && (c.test == Test::Zero ? *value == 0 : *value > 0);
        }
        }
        return false;
    }

private:
    std::span<const QByteArrayView> lines_;
    std::array<bool, Survey::kLineCount> has_{};
    std::array<double, Survey::kLineCount> values_; // where has_
};

bool exceeds(double part, double whole)
{
    return part > whole + kRelativeSlack * std::max(1.0, std::abs(whole));
}

// A record's findings while it is checked: on the stack, as most records have few.
using Found = QVarLengthArray<Finding, 64>;
using Figures = QVarLengthArray<int, 64>;

void runAtMost(int index, const ResolvedCheck &c, const Answers &answers, Found &out)
{
    const Definition &d = definition();
    for (int year = 0; year < 2; ++year) {
        const std::optional<double> whole = answers.number(d.figures[c.whole].lines[size_t(year)]);
        if (!whole)
            continue;
        for (qsizetype p = 0; p < c.parts.size(); ++p) {
            const std::optional<double> part = answers.number(d.figures[c.parts[p]].lines[size_t(year)]);
            if (part && exceeds(*part, *whole))
                out.append({index, int(p), year});
        }
        double sum = 0;
        bool any = false;
        for (int f : c.summed)
            if (const std::optional<double> v = answers.number(d.figures[f].lines[size_t(year)])) {
                sum += *v;
                any = true;
            }
        if (any && exceeds(sum, *whole))
            out.append({index, int(c.parts.size()), year});
    }
}

// The year that looks wrong is the larger one, typed in 元; it is named
// only where the other slips of the record agree: all the same way.
void runUnitSlip(int index, const ResolvedCheck &c, const Answers &answers, Found &out, Figures &slipped)
{
    const Definition &d = definition();
    QVarLengthArray<std::pair<int, int>, 64> slips; // figure, the larger year
    for (int f : c.figures)
        if (const auto both = answers.bothAboveZero(d.figures[f]); both && isUnitSlip((*both)[0], (*both)[1]))
            slips.append({f, (*both)[1] > (*both)[0] ? 1 : 0});
    for (const auto &[figure, larger] : slips) {
        qsizetype agreeing = 0, disagreeing = 0;
        for (const auto &[other, otherLarger] : slips)
            if (other != figure)
                ++(otherLarger == larger ? agreeing : disagreeing);
        out.append({index, figure, agreeing > 0 && disagreeing == 0 ? larger : -1});
        slipped.append(figure);
    }
}

void runJump(int index, const ResolvedCheck &c, const Answers &answers, Found &out, const Figures &slipped)
{
    const Definition &d = definition();
    for (int f : c.figures)
        if (const auto both = answers.bothAboveZero(d.figures[f]);
            both && isJump((*both)[0], (*both)[1]) && !slipped.contains(f))
            out.append({index, f, -1});
}

void runWhole(int index, const ResolvedCheck &c, const Answers &answers, Found &out)
{
    for (const Count &count : c.counts)
        if (const std::optional<double> value = answers.number(count.line); value && std::floor(*value) != *value)
            out.append({index, count.part, count.year});
}

void runConflict(int index, const ResolvedCheck &c, const Answers &answers, Found &out)
{
    for (qsizetype r = 0; r < c.rules.size(); ++r) {
        const ResolvedRule &rule = c.rules[r];
        for (int year = rule.yearly ? 0 : -1; year < (rule.yearly ? 2 : 0); ++year)
            if (answers.holds(rule.when, year) &&
                std::any_of(rule.with.begin(), rule.with.end(), [&](const Resolved &w) { return answers.holds(w, year); }))
                out.append({index, int(r), year});
    }
}

// The words of a value: a figure's text without its blanks.
QString shown(QByteArrayView text)
{
    return QString::fromUtf8(RecordCheck::numberText(text).value_or(text));
}

class Words {
public:
    void add(const QString &label, const QString &value)
    {
        if (!parts_.isEmpty() && parts_.back().first == label)
            parts_.back().second += QStringLiteral("、") + value;
        else
            parts_.append({label, value});
    }
    void note(const QString &text) { note_ = text; }
    QString text() const
    {
        QStringList out;
        for (const auto &[label, value] : parts_)
            out << label + QStringLiteral(" = ") + value;
        if (!note_.isEmpty())
            out << note_;
        return out.join(QStringLiteral("；"));
    }

private:
    QList<std::pair<QString, QString>> parts_;
    QString note_;
};

QString figureLabel(const Figure &f, int year)
{
    return f.label + QLatin1Char(' ') + definition().years[size_t(year)];
}

void addFigure(Words &words, const Figure &f, int year, std::span<const QByteArrayView> lines)
{
    words.add(figureLabel(f, year), shown(lines[size_t(f.lines[size_t(year)] - 1)]));
}

// A line's answer in the survey's words: the caption of a choice, a list's item.
QString answerWords(const Line &line, QByteArrayView text)
{
    for (const Survey::Choice &choice : line.choices)
        if (choice.code.toUtf8() == text)
            return choice.caption.trimmed();
    return line.kind == LineKind::Number ? shown(text) : QString::fromUtf8(text);
}

void addCondition(Words &words, const Resolved &c, int year, std::span<const QByteArrayView> lines)
{
    const Operand &o = c.operand;
    switch (o.type) {
    case Operand::Type::Figure:
        addFigure(words, definition().figures[o.figure], year, lines);
        return;
    case Operand::Type::Line: {
        const Line &line = Survey::line(o.line);
        words.add(line.question.simplified(), answerWords(line, lines[size_t(o.line - 1)]));
        return;
    }
    case Operand::Type::Option: {
        const Line &line = Survey::line(o.line);
        words.add(line.question.simplified(), line.positions.value(o.position).simplified());
        return;
    }
    }
}

void addCount(Words &words, const Count &count, std::span<const QByteArrayView> lines)
{
    if (count.figure >= 0)
        addFigure(words, definition().figures[count.figure], count.year, lines);
    else
        words.add(Survey::line(count.line).question.simplified(), shown(lines[size_t(count.line - 1)]));
}

} // namespace

std::span<const Check> all()
{
    return kChecks;
}

const Check *find(QStringView id)
{
    for (const Check &check : kChecks)
        if (check.id == id)
            return &check;
    return nullptr;
}

QString severityText(Severity severity)
{
    return severity == Severity::Error ? QStringLiteral("错误") : QStringLiteral("疑问");
}

QString description(const Check &check)
{
    return check.description.toString()
        .replace(QStringLiteral("{slipLow}"), QString::number(kUnitSlipLow))
        .replace(QStringLiteral("{slipHigh}"), QString::number(kUnitSlipHigh))
        .replace(QStringLiteral("{jump}"), QString::number(kJumpFactor));
}

QList<int> lines(const Check &check)
{
    return definition().checks[&check - kChecks].lines;
}

QString linesText(const Check &check)
{
    const QList<int> numbers = lines(check);
    QStringList ranges;
    for (qsizetype i = 0; i < numbers.size();) {
        qsizetype j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        ranges << (j == i ? QString::number(numbers[i])
                          : QStringLiteral("%1–%2").arg(numbers[i]).arg(numbers[j]));
        i = j + 1;
    }
    return QStringLiteral("第 %1 行").arg(ranges.join(QStringLiteral("、")));
}

bool isUnitSlip(double y2013, double y2014)
{
    const double ratio = y2014 > y2013 ? y2014 / y2013 : y2013 / y2014;
    return ratio >= kUnitSlipLow * (1 - kRelativeSlack) && ratio <= kUnitSlipHigh * (1 + kRelativeSlack);
}

bool isJump(double y2013, double y2014)
{
    const double ratio = y2014 / y2013;
    return ratio >= kJumpFactor * (1 - kRelativeSlack) || ratio <= (1 + kRelativeSlack) / kJumpFactor;
}

QString nameKey(QStringView name)
{
    QString key(name.size(), Qt::Uninitialized);
    QChar *out = key.data();
    for (QChar c : name) {
        char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E) // full-width ASCII
            u = char16_t(u - 0xFEE0);
        const bool blank = u < 0x80 ? u == ' ' || (u >= '\t' && u <= '\r') : QChar::isSpace(u);
        if (u >= 'A' && u <= 'Z')
            u = char16_t(u + ('a' - 'A'));
        else if (u >= 0x80 && QChar::script(u) == QChar::Script_Latin)
            u = char16_t(QChar::toCaseFolded(u));
        if (!blank)
            *out++ = QChar(u);
    }
    key.truncate(out - key.constData());
    return key.replace(QStringLiteral("有限责任公司"), QStringLiteral("有限公司"));
}

QString enterpriseKey(std::span<const QByteArrayView> lines)
{
    for (const Check &check : kChecks)
        if (check.kind == Kind::SameEnterprise) {
            const int line = definition().checks[&check - kChecks].nameLine;
            return line > 0 && size_t(line) <= lines.size() ? nameKey(QString::fromUtf8(lines[size_t(line - 1)]))
                                                           : QString();
        }
    return {};
}

QList<Finding> run(std::span<const QByteArrayView> lines)
{
    if (lines.size() != size_t(Survey::kLineCount))
        return {};
    const Definition &d = definition();
    const Answers answers(lines);
    Found out;
    // Slips first, wherever they stand in the table: a jump that is a slip is
    // reported once, as a slip.
    Found slips;
    Figures slipped;
    for (int i = 0; i < int(std::size(kChecks)); ++i)
        if (kChecks[i].kind == Kind::UnitSlip)
            runUnitSlip(i, d.checks[i], answers, slips, slipped);
    for (int i = 0; i < int(std::size(kChecks)); ++i) {
        const ResolvedCheck &c = d.checks[i];
        switch (kChecks[i].kind) {
        case Kind::AtMost:
            runAtMost(i, c, answers, out);
            break;
        case Kind::UnitSlip:
            for (const Finding &f : std::as_const(slips))
                if (f.check == i)
                    out.append(f);
            break;
        case Kind::Jump:
            runJump(i, c, answers, out, slipped);
            break;
        case Kind::Whole:
            runWhole(i, c, answers, out);
            break;
        case Kind::Conflict:
            runConflict(i, c, answers, out);
            break;
        case Kind::SameEnterprise:
            break;
        }
    }
    return QList<Finding>(out.begin(), out.end());
}

QString values(const Finding &finding, std::span<const QByteArrayView> lines)
{
    const Definition &d = definition();
    if (finding.check < 0 || finding.check >= int(std::size(kChecks)) || lines.size() != size_t(Survey::kLineCount))
        return {};
    const Check &check = kChecks[finding.check];
    const ResolvedCheck &c = d.checks[finding.check];
    Words words;
    switch (check.kind) {
    case Kind::AtMost: {
        const int year = finding.year;
        addFigure(words, d.figures[c.whole], year, lines);
        if (finding.subject < c.parts.size()) {
            addFigure(words, d.figures[c.parts[finding.subject]], year, lines);
            break;
        }
        double sum = 0;
        int decimals = 0;
        for (int f : c.summed) {
            const QByteArrayView text = lines[size_t(d.figures[f].lines[size_t(year)] - 1)];
            if (const std::optional<double> v = RecordCheck::numberValue(text)) {
                sum += *v;
                const QByteArrayView n = *RecordCheck::numberText(text);
                if (const qsizetype point = n.indexOf('.'); point >= 0)
                    decimals = std::max(decimals, int(n.size() - point - 1));
            }
        }
        words.add(c.sumLabel + QLatin1Char(' ') + d.years[size_t(year)], QString::number(sum, 'f', decimals));
        break;
    }
    case Kind::UnitSlip:
    case Kind::Jump: {
        const Figure &f = d.figures[finding.subject];
        addFigure(words, f, 0, lines);
        addFigure(words, f, 1, lines);
        if (check.kind == Kind::UnitSlip && finding.year >= 0)
            words.note(QStringLiteral("其他金额也是如此，%1的数字可能是以%2而不是以%3填写的")
                           .arg(d.years[size_t(finding.year)], kSlipUnit, kAmountUnit));
        break;
    }
    case Kind::Whole:
        for (const Count &count : c.counts)
            if (count.part == finding.subject && count.year == finding.year)
                addCount(words, count, lines);
        break;
    case Kind::Conflict: {
        if (finding.subject < 0 || finding.subject >= c.rules.size())
            return {};
        const ResolvedRule &rule = c.rules[finding.subject];
        const Answers answers(lines);
        addCondition(words, rule.when, finding.year, lines);
        for (const Resolved &w : rule.with)
            if (answers.holds(w, finding.year))
                addCondition(words, w, finding.year, lines);
        break;
    }
    case Kind::SameEnterprise:
        return {};
    }
    return words.text();
}

QString nameLabel(const Check &check)
{
    const Line *line = Survey::lineByVariable(check.nameVariable);
    return line ? line->question.simplified() : QString();
}

} // namespace DataChecks
