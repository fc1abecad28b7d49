#include "survey/DataCheckLines.h"

#include "survey/LineMap.h"
#include "survey/PerformanceContent.h"

#include <QHash>

#include <algorithm>
#include <stdexcept>

namespace DataChecks {
namespace {


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
            for (const Rule &rule : check.rules)
                r.rules << resolveRule(check, rule, r.lines);
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

    ResolvedRule resolveRule(const Check &check, const Rule &rule, QList<int> &lines) const
    {
        ResolvedRule resolved;
        resolved.when = condition(check, rule.when, lines);
        for (const Condition &c : rule.with)
            resolved.with << condition(check, c, lines);
        resolved.yearly = resolved.when.operand.type == Operand::Type::Figure ||
                          std::any_of(resolved.with.begin(), resolved.with.end(), [](const Resolved &c) {
                              return c.operand.type == Operand::Type::Figure;
                          });
        return resolved;
    }

    // What a condition's variable names: a figure row, a line or an option of a line.
    Operand operand(const Check &check, QStringView variable, QList<int> &lines) const
    {
        Operand o;
        const Line *line = Survey::lineByVariable(variable);
        if (std::any_of(d_.figures.begin(), d_.figures.end(), [&](const Figure &f) { return f.stem == variable; })) {
            o.type = Operand::Type::Figure;
            o.figure = figure(check, variable);
            lines << d_.figures[o.figure].lines[0] << d_.figures[o.figure].lines[1];
            return o;
        }
        if (line) {
            o.type = Operand::Type::Line;
            o.line = line->number;
        } else {
            for (const Line &l : Survey::lines())
                if (const qsizetype at = l.positionVariables.indexOf(variable); at >= 0 && l.kind == LineKind::OptionCodes) {
                    o.type = Operand::Type::Option;
                    o.line = l.number;
                    o.position = int(at);
                }
            if (o.line == 0)
                fault(check, variable);
        }
        lines << o.line;
        return o;
    }

    Resolved condition(const Check &check, const Condition &c, QList<int> &lines) const
    {
        Resolved r;
        r.test = c.test;
        r.operand = operand(check, c.variable, lines);
        const Operand &o = r.operand;
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

} // namespace

const Definition &definition()
{
    static const Definition built = [] {
        Definition d;
        Resolver resolver(d);
        for (const Check &check : all())
            d.checks << resolver.resolve(check);
        for (const ResolvedCheck &c : std::as_const(d.checks))
            for (int line : c.lines)
                if (Survey::line(line).kind == LineKind::Number && !d.numberLines.contains(line))
                    d.numberLines << line;
        return d;
    }();
    return built;
}

QList<int> lines(const Check &check)
{
    return definition().checks[&check - all().data()].lines;
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

QString enterpriseKey(std::span<const QByteArrayView> lines)
{
    for (const Check &check : all())
        if (check.kind == Kind::SameEnterprise) {
            const int line = definition().checks[&check - all().data()].nameLine;
            return line > 0 && size_t(line) <= lines.size() ? nameKey(QString::fromUtf8(lines[size_t(line - 1)]))
                                                           : QString();
        }
    return {};
}

} // namespace DataChecks
