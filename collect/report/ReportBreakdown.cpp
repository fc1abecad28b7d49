// A table and a chart hold a few groups each, so that a breakdown by the 19
// industries stays readable on a page: the groups go into tables of at most
// six, each with its chart. Every cell says its group, so that a reader of
// the HTML can check it against the data set.
#include "collect/report/ReportBreakdown.h"

#include "collect/report/ReportCells.h"
#include "collect/report/ReportStatistics.h"
#include "survey/LineMap.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace Report {
namespace {

constexpr qsizetype kGroupsPerTable = 6;

QString title(const DataSet::Variable &by)
{
    return QStringLiteral("按“%1”分组").arg(by.label.simplified());
}

// The group's size, said as a count of enterprises: the shares below are of
// those in it who answered ("作答的企业"), which is not the same number.
QString caption(const Group &g)
{
    return isSmallGroup(g.size) ? QStringLiteral("%1（共 %2 家，样本少）").arg(g.caption, whole(g.size))
                                : QStringLiteral("%1（共 %2 家）").arg(g.caption, whole(g.size));
}

// The statistics of a figure's breakdown, by their keys in statistics().
const QStringView kFigureColumns[] = {u"n", u"q1", u"median", u"q3"};

const Statistic &statistic(QStringView key)
{
    for (const Statistic &s : statistics())
        if (s.key == key)
            return s;
    Q_UNREACHABLE();
}

QStringList notes(const Grouping &grouping, const QString &shares)
{
    QStringList out{shares};
    if (std::any_of(grouping.groups.begin(), grouping.groups.end(),
                    [](const Group &g) { return isSmallGroup(g.size); }))
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

// A row of a breakdown's table: its caption, its cell in a group (from the
// group's tallies), and its bar in a group where it has one.
struct CrossRow {
    QString caption;
    std::function<Cell(const QList<Tally> &)> cell;
    std::function<double(const QList<Tally> &)> share{};
};

// The table of counts and shares by group, and the grouped bar chart of the
// shares, for each grouping but the question's own; answered is the variable
// whose values count those who answered.
QList<Part> crossTabs(const DataSet &data, const QList<Grouping> &groupings, const QString &question,
                      qsizetype answered, const QList<CrossRow> &rows)
{
    QList<Part> parts;
    for (const Grouping &grouping : groupings) {
        if (grouping.by == answered)
            continue;
        const DataSet::Variable &by = data.variables()[grouping.by];
        Part part{title(by), notes(grouping, QStringLiteral("括号中是占该组作答企业的比例。"))};
        const auto groupRuns = runs(grouping.groups.size());
        for (qsizetype r = 0; r < groupRuns.size(); ++r) {
            const auto [first, end] = groupRuns[r];
            Table table{{QStringLiteral("选项")}, {}};
            Chart chart = shareChart(chartTitle(question.simplified(), title(by), r, groupRuns.size()));
            chart.series.clear();
            qint64 answers = 0;
            for (qsizetype g = first; g < end; ++g) {
                table.header << caption(grouping.groups[g]);
                chart.series.append({caption(grouping.groups[g]), {}});
                answers += grouping.tallies[g][answered].values;
            }
            for (const CrossRow &row : rows) {
                QList<Cell> cells{text(row.caption)};
                if (row.share)
                    chart.categories << row.caption;
                for (qsizetype g = first; g < end; ++g) {
                    cells << inGroup(row.cell(grouping.tallies[g]), by.name, grouping.groups[g]);
                    if (row.share)
                        chart.series[g - first].values << row.share(grouping.tallies[g]);
                }
                table.rows.append(cells);
            }
            part.tables << table;
            if (answers > 0)
                part.charts << chart;
        }
        parts << part;
    }
    return parts;
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
    const DataSet::Variable &v = data_.variables()[i];
    QList<CrossRow> rows;
    for (qsizetype k = 0; k < v.codes.size(); ++k) {
        const QString stat = QStringLiteral("count:") + QString::number(v.values[k]);
        rows.append({v.valueLabels[k].label,
                     [&v, i, k, stat](const QList<Tally> &t) {
                         return countAndShare(v.name, stat, t[i].byCode[k], t[i].values);
                     },
                     [i, k](const QList<Tally> &t) { return percentOf(t[i].byCode[k], t[i].values); }});
    }
    rows.append({QStringLiteral("作答的企业"),
                 [&v, i](const QList<Tally> &t) { return count(v.name, QStringLiteral("answered"), t[i].values); }});
    if (v.canBeNotApplicable())
        rows.append({DataSet::notApplicableLabel(), [&v, i](const QList<Tally> &t) {
                         return count(v.name, QStringLiteral("na"), t[i].notApplicable);
                     }});
    rows.append({QStringLiteral("未填"),
                 [&v, i](const QList<Tally> &t) { return count(v.name, QStringLiteral("blank"), t[i].missing); }});
    return crossTabs(data_, groupings_, v.label, i, rows);
}

QList<Part> Breakdowns::ofTicks(const Survey::Line &line, const QList<qsizetype> &flags) const
{
    QList<CrossRow> rows;
    for (qsizetype i : flags) {
        const DataSet::Variable &v = data_.variables()[i];
        rows.append({line.positions.value(v.position).trimmed(),
                     [&v, i](const QList<Tally> &t) {
                         return countAndShare(v.name, QStringLiteral("count"), t[i].ticked, t[i].values);
                     },
                     [i](const QList<Tally> &t) { return percentOf(t[i].ticked, t[i].values); }});
    }
    const qsizetype first = flags.front();
    const DataSet::Variable &v = data_.variables()[first];
    rows.append({QStringLiteral("作答的企业"), [&v, first](const QList<Tally> &t) {
                     return count(v.name, QStringLiteral("answered"), t[first].values);
                 }});
    return crossTabs(data_, groupings_, line.label, first, rows);
}

QList<double> FigureGroups::values(QStringView key) const
{
    const qsizetype column =
        std::find(std::begin(kFigureColumns), std::end(kFigureColumns), key) - std::begin(kFigureColumns);
    QList<double> out;
    for (const Row &row : rows)
        out << row.values.value(column, qQNaN());
    return out;
}

FigureGroups Breakdowns::figureGroups(const QList<qsizetype> &variables) const
{
    FigureGroups figures;
    for (qsizetype k = 0; k < groupings_.size(); ++k)
        for (qsizetype g = 0; g < groupings_[k].groups.size(); ++g)
            for (qsizetype i : variables) {
                const std::vector<double> sorted = sortedFigures(groupings_[k].tallies[g][i]);
                FigureGroups::Row row{k, g, i, {}};
                for (QStringView key : kFigureColumns)
                    row.values << statistic(key).of(sorted);
                figures.rows << row;
            }
    return figures;
}

QList<Part> Breakdowns::ofFigures(const FigureGroups &figures, bool years, const QHash<QString, int> &decimals) const
{
    QList<Part> parts;
    for (qsizetype k = 0; k < groupings_.size(); ++k) {
        const Grouping &grouping = groupings_[k];
        const DataSet::Variable &by = data_.variables()[grouping.by];
        Part part{title(by), notes(grouping, QStringLiteral("四分位数与总体的一样，按线性插值计算。"))};
        Table table{{QStringLiteral("分组")}, {}};
        if (years)
            table.header << QStringLiteral("年份");
        for (QStringView key : kFigureColumns)
            table.header << statistic(key).caption.toString();
        for (const FigureGroups::Row &row : figures.rows) {
            if (row.grouping != k)
                continue;
            const Group &g = grouping.groups[row.group];
            const DataSet::Variable &v = data_.variables()[row.variable];
            QList<Cell> cells{text(caption(g))};
            if (years)
                cells << text(Survey::line(v.line).year);
            for (qsizetype c = 0; c < row.values.size(); ++c) {
                const QString key = kFigureColumns[c].toString();
                cells << inGroup(figure(v.name, key, row.values[c], decimals.value(key)), by.name, g);
            }
            table.rows.append(cells);
        }
        part.tables << table;
        parts << part;
    }
    return parts;
}

} // namespace Report
