// A table and a chart hold a few groups each, so that a breakdown by the 19
// industries stays readable on a page: the groups go into tables of at most
// six, each with its chart. Every cell says its group, so that a reader of
// the HTML can check it against the data set.
#include "collect/report/ReportBreakdown.h"

#include "collect/report/ReportCells.h"
#include "collect/report/ReportStatistics.h"
#include "survey/LineMap.h"

#include <cmath>

namespace Report {
namespace {

constexpr qsizetype kGroupsPerTable = 6;

QString title(const DataSet::Variable &by)
{
    return QStringLiteral("按“%1”分组").arg(by.label.simplified());
}

QString caption(const Group &g)
{
    return g.size < kSmallGroup ? QStringLiteral("%1（n=%2，样本少）").arg(g.caption, whole(g.size))
                                : QStringLiteral("%1（n=%2）").arg(g.caption, whole(g.size));
}

QStringList notes(const Grouping &grouping, const QString &shares)
{
    QStringList out{shares};
    if (std::any_of(grouping.groups.begin(), grouping.groups.end(),
                    [](const Group &g) { return g.size < kSmallGroup; }))
        out << QStringLiteral("标“样本少”的组不足 %1 家企业，其结果仅供参考。").arg(kSmallGroup);
    return out;
}

// A count with its share of the group's answers beside it: "12（30.0%）".
Cell countAndShare(const QString &variable, const QString &stat, qint64 n, qint64 of)
{
    Cell cell = count(variable, stat, n);
    if (of > 0)
        cell.text += QStringLiteral("（%1%）").arg(decimal(percentOf(n, of), 1));
    return cell;
}

Cell inGroup(Cell cell, const QString &by, const Group &g)
{
    if (!cell.stat.isEmpty())
        cell.group = by + QLatin1Char('=') + g.key;
    return cell;
}

// The groups in runs of at most kGroupsPerTable: [first, end) of each.
QList<QPair<qsizetype, qsizetype>> runs(qsizetype groups)
{
    QList<QPair<qsizetype, qsizetype>> out;
    for (qsizetype first = 0; first < groups; first += kGroupsPerTable)
        out.append({first, std::min(groups, first + kGroupsPerTable)});
    return out;
}

QString chartTitle(const QString &question, const QString &by, qsizetype run, qsizetype runCount)
{
    return runCount > 1 ? QStringLiteral("%1（%2，%3/%4）").arg(question, by).arg(run + 1).arg(runCount)
                        : QStringLiteral("%1（%2）").arg(question, by);
}

} // namespace

Breakdowns::Breakdowns(const DataSet &data, const QStringList &groupBy) : data_(data)
{
    for (const QString &name : groupBy)
        for (qsizetype i = 0; i < data.variables().size(); ++i)
            if (data.variables()[i].name == name && canGroupBy(data.variables()[i]))
                groupings_.append(tallyBy(data, i));
}

QList<QPair<QString, QString>> Breakdowns::offered()
{
    QList<QPair<QString, QString>> out;
    const DataSet data;
    for (const DataSet::Variable &v : data.variables())
        if (canGroupBy(v))
            out.append({v.name, v.label.simplified()});
    return out;
}

QStringList Breakdowns::titles(const QStringList &groupBy)
{
    QStringList out;
    const DataSet data;
    for (const QString &name : groupBy)
        for (const DataSet::Variable &v : data.variables())
            if (v.name == name)
                out << title(v);
    return out;
}

QList<Part> Breakdowns::ofChoice(qsizetype i) const
{
    QList<Part> parts;
    const DataSet::Variable &v = data_.variables()[i];
    for (const Grouping &grouping : groupings_) {
        if (grouping.by == i)
            continue;
        const DataSet::Variable &by = data_.variables()[grouping.by];
        Part part{title(by), notes(grouping, QStringLiteral("括号中是占该组作答企业的比例。"))};
        const auto groupRuns = runs(grouping.groups.size());
        for (qsizetype r = 0; r < groupRuns.size(); ++r) {
            const auto [first, end] = groupRuns[r];
            Table table{{QStringLiteral("选项")}, {}};
            Chart chart = shareChart(chartTitle(v.label.simplified(), title(by), r, groupRuns.size()));
            chart.series.clear();
            qint64 answered = 0;
            for (qsizetype g = first; g < end; ++g) {
                table.header << caption(grouping.groups[g]);
                chart.series.append({caption(grouping.groups[g]), {}});
                answered += grouping.tallies[g][i].values;
            }
            auto row = [&](const QString &rowCaption, auto &&cellOf) {
                QList<Cell> cells{text(rowCaption)};
                for (qsizetype g = first; g < end; ++g)
                    cells << inGroup(cellOf(grouping.tallies[g][i]), by.name, grouping.groups[g]);
                table.rows.append(cells);
            };
            for (qsizetype k = 0; k < v.codes.size(); ++k) {
                const QString stat = QStringLiteral("count:") + QString::number(v.values[k]);
                row(v.valueLabels[k].label,
                    [&](const Tally &t) { return countAndShare(v.name, stat, t.byCode[k], t.values); });
                chart.categories << v.valueLabels[k].label;
                for (qsizetype g = first; g < end; ++g) {
                    const Tally &t = grouping.tallies[g][i];
                    chart.series[g - first].values << percentOf(t.byCode[k], t.values);
                }
            }
            row(QStringLiteral("作答的企业"),
                [&](const Tally &t) { return count(v.name, QStringLiteral("answered"), t.values); });
            if (v.canBeNotApplicable())
                row(DataSet::notApplicableLabel(),
                    [&](const Tally &t) { return count(v.name, QStringLiteral("na"), t.notApplicable); });
            row(QStringLiteral("未填"),
                [&](const Tally &t) { return count(v.name, QStringLiteral("blank"), t.missing); });
            part.tables << table;
            if (answered > 0)
                part.charts << chart;
        }
        parts << part;
    }
    return parts;
}

QList<Part> Breakdowns::ofTicks(const Survey::Line &line, const QList<qsizetype> &flags) const
{
    QList<Part> parts;
    const DataSet::Variable &first = data_.variables()[flags.front()];
    for (const Grouping &grouping : groupings_) {
        const DataSet::Variable &by = data_.variables()[grouping.by];
        Part part{title(by), notes(grouping, QStringLiteral("括号中是占该组作答企业的比例。"))};
        const auto groupRuns = runs(grouping.groups.size());
        for (qsizetype r = 0; r < groupRuns.size(); ++r) {
            const auto [firstGroup, end] = groupRuns[r];
            Table table{{QStringLiteral("选项")}, {}};
            Chart chart = shareChart(chartTitle(line.label.simplified(), title(by), r, groupRuns.size()));
            chart.series.clear();
            qint64 answered = 0;
            for (qsizetype g = firstGroup; g < end; ++g) {
                table.header << caption(grouping.groups[g]);
                chart.series.append({caption(grouping.groups[g]), {}});
                answered += grouping.tallies[g][flags.front()].values;
            }
            for (qsizetype i : flags) {
                const DataSet::Variable &v = data_.variables()[i];
                const QString option = line.positions.value(v.position).trimmed();
                QList<Cell> cells{text(option)};
                chart.categories << option;
                for (qsizetype g = firstGroup; g < end; ++g) {
                    const Tally &t = grouping.tallies[g][i];
                    cells << inGroup(countAndShare(v.name, QStringLiteral("count"), t.ticked, t.values), by.name,
                                     grouping.groups[g]);
                    chart.series[g - firstGroup].values << percentOf(t.ticked, t.values);
                }
                table.rows.append(cells);
            }
            QList<Cell> answeredRow{text(QStringLiteral("作答的企业"))};
            for (qsizetype g = firstGroup; g < end; ++g)
                answeredRow << inGroup(
                    count(first.name, QStringLiteral("answered"), grouping.tallies[g][flags.front()].values), by.name,
                    grouping.groups[g]);
            table.rows.append(answeredRow);
            part.tables << table;
            if (answered > 0)
                part.charts << chart;
        }
        parts << part;
    }
    return parts;
}

QList<Part> Breakdowns::ofFigures(const QList<qsizetype> &variables) const
{
    static const struct {
        QStringView caption;
        QStringView key;
        double at; // the quantile; below 0 for n
    } kColumns[] = {{u"填写的企业数", u"n", -1},
                    {u"下四分位数", u"q1", 0.25},
                    {u"中位数", u"median", 0.5},
                    {u"上四分位数", u"q3", 0.75}};
    QList<Part> parts;
    const bool years = variables.size() > 1;
    for (const Grouping &grouping : groupings_) {
        const DataSet::Variable &by = data_.variables()[grouping.by];
        Part part{title(by), notes(grouping, QStringLiteral("四分位数与总体的一样，按线性插值计算。"))};
        Table table{{QStringLiteral("分组")}, {}};
        if (years)
            table.header << QStringLiteral("年份");
        for (const auto &column : kColumns)
            table.header << column.caption.toString();
        // Each statistic with the same decimals down its column.
        struct Row {
            qsizetype group;
            qsizetype variable;
            QList<double> values;
        };
        QList<Row> rows;
        QList<QList<double>> columns(std::size(kColumns));
        for (qsizetype g = 0; g < grouping.groups.size(); ++g)
            for (qsizetype i : variables) {
                const std::vector<double> sorted = sortedFigures(grouping.tallies[g][i]);
                Row row{g, i, {}};
                for (qsizetype c = 0; c < qsizetype(std::size(kColumns)); ++c) {
                    const double value = kColumns[c].at < 0 ? double(sorted.size()) : quantile(sorted, kColumns[c].at);
                    row.values << value;
                    columns[c] << value;
                }
                rows << row;
            }
        QList<int> decimals;
        for (const QList<double> &column : columns)
            decimals << decimalsOf(column);
        for (const Row &row : rows) {
            const Group &g = grouping.groups[row.group];
            const DataSet::Variable &v = data_.variables()[row.variable];
            QList<Cell> cells{text(caption(g))};
            if (years)
                cells << text(Survey::line(v.line).year);
            for (qsizetype c = 0; c < row.values.size(); ++c)
                cells << inGroup(figure(v.name, kColumns[c].key.toString(), row.values[c], decimals[c]), by.name, g);
            table.rows.append(cells);
        }
        part.tables << table;
        parts << part;
    }
    return parts;
}

} // namespace Report
