// Six groups and the whole fit across a page; a breakdown by the 19
// industries does not, so there each group gets a row of its own and the
// options go across, in one table for all groups and one chart. Every cell
// says its group, so that a reader of the HTML can check it against the data
// set; the whole's cells are the overall table's, and say none.
#include "collect/report/ReportBreakdownTables.h"

#include "collect/report/ReportCells.h"
#include "collect/report/ReportChart.h"
#include "collect/report/ReportStatistics.h"

#include <algorithm>

namespace Report {
namespace {

// More groups than this turn the table: a row for each group.
constexpr qsizetype kMostGroupColumns = 6;

// The group's size, said as a count of enterprises: the shares are of those
// in it who answered ("作答的企业"), which is not the same number.
QString caption(const QString &name, qint64 size)
{
    return isSmallGroup(size) ? QStringLiteral("%1（共 %2 家，样本少）").arg(name, whole(size))
                              : QStringLiteral("%1（共 %2 家）").arg(name, whole(size));
}

qint64 countIn(const CrossRow &row, const GroupColumn &column)
{
    return row.count((*column.tallies)[row.variable]);
}

qint64 answeredIn(const CrossRow &row, const GroupColumn &column)
{
    return (*column.tallies)[row.variable].values;
}

double percentIn(const CrossRow &row, const GroupColumn &column)
{
    return percentOf(countIn(row, column), answeredIn(row, column));
}

// A row's count in a column; an option's with its share beside it, where shares are.
Cell countCell(const DataSet &data, const CrossRow &row, const GroupColumn &column, bool withShare)
{
    const QString &name = data.variables()[row.variable].name;
    Cell cell = count(name, row.stat, countIn(row, column));
    if (withShare && row.isOption()) {
        const Cell part = share(name, row.shareStat, countIn(row, column), answeredIn(row, column));
        if (!part.stat.isEmpty())
            cell.share = {part.text, part.stat, part.value};
    }
    return inColumn(cell, column);
}

Cell shareCell(const DataSet &data, const CrossRow &row, const GroupColumn &column)
{
    return inColumn(
        share(data.variables()[row.variable].name, row.shareStat, countIn(row, column), answeredIn(row, column)),
        column);
}

QList<CrossRow> options(const QList<CrossRow> &rows)
{
    QList<CrossRow> out;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(out), [](const CrossRow &r) { return r.isOption(); });
    return out;
}

// A row for each option and count, a column for the whole and each group.
Table columnsTable(const DataSet &data, const QList<GroupColumn> &columns, const QList<CrossRow> &rows)
{
    Table table{{QStringLiteral("选项")}, {}};
    for (const GroupColumn &column : columns)
        table.header << column.caption;
    for (const CrossRow &row : rows) {
        QList<Cell> cells{text(row.caption)};
        for (const GroupColumn &column : columns)
            cells << countCell(data, row, column, true);
        table.rows.append(cells);
    }
    return table;
}

// Turned: a row for the whole and each group; the options' shares across,
// then, in a table of their own, every count.
QList<Table> rowsTables(const DataSet &data, const QList<GroupColumn> &columns, const QList<CrossRow> &rows)
{
    Table shares{{QStringLiteral("分组")}, {}}, counts{{QStringLiteral("分组")}, {}};
    for (const CrossRow &row : rows) {
        if (row.isOption())
            shares.header << row.caption;
        counts.header << row.caption;
    }
    for (const GroupColumn &column : columns) {
        QList<Cell> shareCells{text(column.caption)}, countCells{text(column.caption)};
        for (const CrossRow &row : rows) {
            if (row.isOption())
                shareCells << shareCell(data, row, column);
            countCells << countCell(data, row, column, false);
        }
        shares.rows.append(shareCells);
        counts.rows.append(countCells);
    }
    return {shares, counts};
}

// The options top to bottom, a bar for each group.
Chart columnsChart(const QString &title, const QList<GroupColumn> &groups, const QList<CrossRow> &rows)
{
    Chart chart = shareChart(title);
    chart.series.clear();
    for (const GroupColumn &group : groups)
        chart.series.append({group.caption, {}, group.small});
    for (const CrossRow &row : options(rows)) {
        chart.categories << row.caption;
        for (qsizetype g = 0; g < groups.size(); ++g)
            chart.series[g].values << percentIn(row, groups[g]);
    }
    return chart;
}

// The whole and each group top to bottom: a single choice's bar split into
// its options, where there are colours enough; else a bar for the option
// chosen most often overall.
Chart rowsChart(const QString &question, const QString &by, const QList<GroupColumn> &columns,
                const QList<CrossRow> &rows, bool single)
{
    const QList<CrossRow> opts = options(rows);
    Chart chart = shareChart(QStringLiteral("%1（%2）").arg(question, by));
    chart.series.clear();
    for (const GroupColumn &column : columns) {
        chart.categories << column.caption;
        chart.faint << column.small;
    }
    QList<CrossRow> shown = opts;
    if (single && opts.size() <= ReportChart::kColourCount) {
        chart.stacked = true;
    } else {
        const auto most = std::max_element(opts.begin(), opts.end(), [&](const CrossRow &a, const CrossRow &b) {
            return percentIn(a, columns.front()) < percentIn(b, columns.front());
        });
        shown = {*most};
        chart.title = QStringLiteral("%1：选“%2”的比例（%3）").arg(question, most->caption, by);
    }
    for (const CrossRow &row : shown) {
        chart.series.append({row.caption, {}});
        for (const GroupColumn &column : columns)
            chart.series.back().values << percentIn(row, column);
    }
    return chart;
}

} // namespace

QString groupingTitle(const DataSet::Variable &by)
{
    return QStringLiteral("按“%1”分组").arg(by.label.simplified());
}

QList<GroupColumn> groupColumns(const DataSet &data, const Grouping &grouping, const QList<Tally> &overall)
{
    const QString &by = data.variables()[grouping.by].name;
    QList<GroupColumn> columns{{caption(QStringLiteral("全部"), data.rowCount()), &overall}};
    for (qsizetype g = 0; g < grouping.groups.size(); ++g) {
        const Group &group = grouping.groups[g];
        columns.append({caption(group.caption, group.size), &grouping.tallies[g], by + QLatin1Char('=') + group.key,
                        isSmallGroup(group.size)});
    }
    return columns;
}

QStringList groupingNotes(const Grouping &grouping, const QString &first)
{
    QStringList out{first};
    if (std::any_of(grouping.groups.begin(), grouping.groups.end(),
                    [](const Group &g) { return isSmallGroup(g.size); }))
        out << QStringLiteral("标“样本少”的组不足 %1 家企业，其结果仅供参考；图中以浅色画出。").arg(kSmallGroup);
    return out;
}

Cell inColumn(Cell cell, const GroupColumn &column)
{
    if (!cell.stat.isEmpty())
        cell.group = column.group;
    return cell;
}

Part crossTab(const DataSet &data, const Grouping &grouping, const QList<Tally> &overall, const QString &question,
              const QList<CrossRow> &rows, bool single)
{
    const QString by = groupingTitle(data.variables()[grouping.by]);
    const QList<GroupColumn> columns = groupColumns(data, grouping, overall);
    const bool turned = grouping.groups.size() > kMostGroupColumns;
    Part part{by, groupingNotes(grouping, turned ? QStringLiteral("第一张表是各选项占该组作答企业的比例，"
                                                                  "第二张表是企业数。")
                                                 : QStringLiteral("比例都是占该组作答企业的比例。"))};
    if (turned)
        part.tables << rowsTables(data, columns, rows);
    else
        part.tables << columnsTable(data, columns, rows);
    const QList<CrossRow> opts = options(rows);
    const bool answered = !opts.isEmpty() && answeredIn(opts.front(), columns.front()) > 0;
    if (answered)
        part.charts << (turned ? rowsChart(question.simplified(), by, columns, rows, single)
                               : columnsChart(QStringLiteral("%1（%2）").arg(question.simplified(), by),
                                              columns.mid(1), rows));
    return part;
}

} // namespace Report
