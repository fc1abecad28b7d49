// The data checks run on a record's lines, and the values of a finding in words.
#include "survey/DataChecks.h"

#include "survey/DataCheckLines.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <optional>

namespace DataChecks {
namespace {

// One record's lines, every figure the checks read made a number once.
class Answers {
public:
    explicit Answers(std::span<const QByteArrayView> lines) : lines_(lines)
    {
        for (int line : definition().numberLines)
            keep(line, RecordCheck::numberValue(lines[size_t(line - 1)]));
    }

    Answers(std::span<const QByteArrayView> lines, const RecordCheck::Numbers &numbers) : lines_(lines)
    {
        for (int line : definition().numberLines)
            keep(line, numbers[size_t(line - 1)]);
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
    void keep(int line, std::optional<double> value)
    {
        has_[size_t(line - 1)] = value.has_value();
        values_[size_t(line - 1)] = value.value_or(0);
    }

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

// The tab's figures together, with as many decimals as the most precise of them.
void addSum(Words &words, const ResolvedCheck &c, int year, std::span<const QByteArrayView> lines)
{
    const Definition &d = definition();
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
}

// The checks of one record, in the table's order.
QList<Finding> runOn(const Answers &answers)
{
    const Definition &d = definition();
    Found out;
    // Slips first, wherever they stand in the table: a jump that is a slip is
    // reported once, as a slip.
    Found slips;
    Figures slipped;
    for (int i = 0; i < int(all().size()); ++i)
        if (all()[i].kind == Kind::UnitSlip)
            runUnitSlip(i, d.checks[i], answers, slips, slipped);
    for (int i = 0; i < int(all().size()); ++i) {
        const ResolvedCheck &c = d.checks[i];
        switch (all()[i].kind) {
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

} // namespace

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

QList<Finding> run(std::span<const QByteArrayView> lines)
{
    if (lines.size() != size_t(Survey::kLineCount))
        return {};
    return runOn(Answers(lines));
}

QList<Finding> run(std::span<const QByteArrayView> lines, const RecordCheck::Numbers &numbers)
{
    if (lines.size() != size_t(Survey::kLineCount))
        return {};
    return runOn(Answers(lines, numbers));
}

QString values(const Finding &finding, std::span<const QByteArrayView> lines)
{
    const Definition &d = definition();
    if (finding.check < 0 || finding.check >= int(all().size()) || lines.size() != size_t(Survey::kLineCount))
        return {};
    const Check &check = all()[finding.check];
    const ResolvedCheck &c = d.checks[finding.check];
    Words words;
    switch (check.kind) {
    case Kind::AtMost: {
        const int year = finding.year;
        addFigure(words, d.figures[c.whole], year, lines);
        if (finding.subject < c.parts.size())
            addFigure(words, d.figures[c.parts[finding.subject]], year, lines);
        else
            addSum(words, c, year, lines);
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

} // namespace DataChecks
