// What each breakdown holds, in the data set's terms: the rows of a choice's
// or tick question's table, a figure's statistics by group; how they are
// laid out is ReportBreakdownTables'.
#include "collect/report/ReportBreakdown.h"

#include "collect/report/ReportBreakdownTables.h"
#include "collect/report/ReportCells.h"
#include "collect/report/ReportStatistics.h"
#include "survey/LineMap.h"

#include <algorithm>
#include <cmath>

namespace Report {
namespace {

// The statistics of a figure's breakdown, by their keys in statistics(): a
// table of each set where the two years stand side by side, else one.
const QStringView kFigureColumns[] = {u"n", u"sum", u"mean", u"median", u"q1", u"q3"};
constexpr qsizetype kFigureColumnsPerYearTable = 3;

const Statistic &statistic(QStringView key)
{
    for (const Statistic &s : statistics())
        if (s.key == key)
            return s;
    Q_UNREACHABLE();
}

} // namespace

Breakdowns::Breakdowns(const DataSet &data, const QList<Tally> &overall, const QStringList &groupBy)
    : data_(data), overall_(overall)
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
                out << groupingTitle(v);
    return out;
}

QList<Part> Breakdowns::ofChoice(qsizetype i) const
{
    const DataSet::Variable &v = data_.variables()[i];
    QList<CrossRow> rows;
    for (qsizetype k = 0; k < v.codes.size(); ++k) {
        const QString value = QString::number(v.values[k]);
        rows.append({v.valueLabels[k].label, i, QStringLiteral("count:") + value,
                     [k](const Tally &t) { return t.byCode[k]; }, QStringLiteral("share:") + value});
    }
    rows.append({QStringLiteral("作答的企业"), i, QStringLiteral("answered"), [](const Tally &t) { return t.values; }});
    if (v.canBeNotApplicable())
        rows.append({DataSet::notApplicableLabel(), i, QStringLiteral("na"),
                     [](const Tally &t) { return t.notApplicable; }});
    rows.append({QStringLiteral("未填"), i, QStringLiteral("blank"), [](const Tally &t) { return t.missing; }});
    QList<Part> parts;
    for (const Grouping &grouping : groupings_)
        if (grouping.by != i) // a variable by itself says nothing
            parts << crossTab(data_, grouping, overall_, v.label, rows, true);
    return parts;
}

QList<Part> Breakdowns::ofTicks(const Survey::Line &line, const QList<qsizetype> &flags) const
{
    QList<CrossRow> rows;
    for (qsizetype i : flags)
        rows.append({line.positions.value(data_.variables()[i].position).trimmed(), i, QStringLiteral("count"),
                     [](const Tally &t) { return t.ticked; }, QStringLiteral("share")});
    rows.append(
        {QStringLiteral("作答的企业"), flags.front(), QStringLiteral("answered"), [](const Tally &t) { return t.values; }});
    QList<Part> parts;
    for (const Grouping &grouping : groupings_)
        parts << crossTab(data_, grouping, overall_, line.label, rows, false);
    return parts;
}

QList<double> FigureGroups::values(QStringView key) const
{
    const qsizetype column =
        std::find(std::begin(kFigureColumns), std::end(kFigureColumns), key) - std::begin(kFigureColumns);
    QList<double> out;
    for (const Row &row : rows)
        for (const QList<double> &ofVariable : row.values)
            out << ofVariable.value(column, qQNaN());
    return out;
}

FigureGroups Breakdowns::figureGroups(const QList<qsizetype> &variables) const
{
    auto row = [&](qsizetype grouping, qsizetype group, const QList<Tally> &tallies) {
        FigureGroups::Row out{grouping, group, {}};
        for (qsizetype i : variables) {
            const std::vector<double> sorted = sortedFigures(tallies[i]);
            out.values.append(QList<double>());
            for (QStringView key : kFigureColumns)
                out.values.back() << statistic(key).of(sorted);
        }
        return out;
    };
    FigureGroups figures;
    if (groupings_.isEmpty())
        return figures;
    figures.rows << row(-1, -1, overall_);
    for (qsizetype k = 0; k < groupings_.size(); ++k)
        for (qsizetype g = 0; g < groupings_[k].groups.size(); ++g)
            figures.rows << row(k, g, groupings_[k].tallies[g]);
    return figures;
}

QList<Part> Breakdowns::ofFigures(const FigureGroups &figures, const QList<qsizetype> &variables,
                                  const QHash<QString, int> &decimals) const
{
    // With two years, a few statistics to a table, each year beside the other; else all in one.
    const qsizetype perTable = variables.size() > 1 ? kFigureColumnsPerYearTable : std::size(kFigureColumns);
    QList<Part> parts;
    for (qsizetype k = 0; k < groupings_.size(); ++k) {
        const QList<GroupColumn> columns = groupColumns(data_, groupings_[k], overall_);
        QList<const FigureGroups::Row *> rows;
        for (const FigureGroups::Row &row : figures.rows)
            if (row.grouping == k || row.grouping == -1)
                rows << &row;
        Part part{groupingTitle(data_.variables()[groupings_[k].by]),
                  groupingNotes(groupings_[k], QStringLiteral("“全部”一行即总体的结果；四分位数与总体的一样，按线性插值计算。"))};
        for (qsizetype first = 0; first < qsizetype(std::size(kFigureColumns)); first += perTable)
            part.tables << figureTable(columns, rows, variables, {first, first + perTable}, decimals);
        parts << part;
    }
    return parts;
}

Table Breakdowns::figureTable(const QList<GroupColumn> &columns, const QList<const FigureGroups::Row *> &rows,
                              const QList<qsizetype> &variables, QPair<qsizetype, qsizetype> statistics,
                              const QHash<QString, int> &decimals) const
{
    const bool years = variables.size() > 1;
    Table table{{QStringLiteral("分组")}, {}};
    for (qsizetype c = statistics.first; c < statistics.second; ++c)
        for (qsizetype i : variables)
            table.header << (years ? QStringLiteral("%1 %2").arg(statistic(kFigureColumns[c]).caption,
                                                                  Survey::line(data_.variables()[i].line).year)
                                   : statistic(kFigureColumns[c]).caption.toString());
    for (const FigureGroups::Row *row : rows) {
        const GroupColumn &column = columns[row->group + 1]; // the whole is -1
        QList<Cell> cells{text(column.caption)};
        for (qsizetype c = statistics.first; c < statistics.second; ++c) {
            const QString key = kFigureColumns[c].toString();
            for (qsizetype v = 0; v < variables.size(); ++v)
                cells << inColumn(
                    figure(data_.variables()[variables[v]].name, key, row->values[v][c], decimals.value(key)), column);
        }
        table.rows.append(cells);
    }
    return table;
}

} // namespace Report
