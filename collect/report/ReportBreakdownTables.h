// A breakdown's tables and chart: the whole beside its groups, each group
// said with its size, a small one marked and drawn lighter.
#pragma once

#include "collect/data/DataSet.h"
#include "collect/report/ReportParts.h"
#include "collect/report/ReportTally.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace Report {

// One column of a breakdown (or, turned, one row): all enterprises, or one group.
struct GroupColumn {
    QString caption; // "是（共 138 家）"
    const QList<Tally> *tallies;
    QString group{}; // "<variable>=<value>"; empty for the whole, whose cells are the overall table's
    bool small = false;
};

// "按“企业是否上市”分组"
QString groupingTitle(const DataSet::Variable &by);
// The whole, then each group of the grouping.
QList<GroupColumn> groupColumns(const DataSet &data, const Grouping &grouping, const QList<Tally> &overall);
// first, then a word on small groups where there is one.
QStringList groupingNotes(const Grouping &grouping, const QString &first);
// A figure's cell as it stands in a column's group.
Cell inColumn(Cell cell, const GroupColumn &column);

// A row of a choice's or tick question's breakdown: a count of one variable,
// and for an option, its share of those who answered.
struct CrossRow {
    QString caption;
    qsizetype variable;
    QString stat;
    std::function<qint64(const Tally &)> count;
    QString shareStat{}; // an option's; empty for 作答的企业, 不适用, 未填

    bool isOption() const { return !shareStat.isEmpty(); }
};

// The breakdown of a question by one grouping: with few groups, a column for
// each beside the whole, counts with their shares, and a grouped chart; with
// more, turned, a row for each, the options' shares and then every count in
// a table of their own, and a bar for each group. single: a single choice,
// whose shares add up to the whole.
Part crossTab(const DataSet &data, const Grouping &grouping, const QList<Tally> &overall, const QString &question,
              const QList<CrossRow> &rows, bool single);

} // namespace Report
