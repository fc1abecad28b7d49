// The breakdowns of a report: each question's answers again for each group of
// enterprises that one variable makes (by industry, listed or not, ...),
// placed after the question's overall figures.
#pragma once

#include "collect/data/DataSet.h"
#include "collect/report/ReportBreakdownTables.h"
#include "collect/report/ReportParts.h"
#include "collect/report/ReportTally.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace Survey {
struct Line;
}

namespace Report {

// A figure's statistics (n, sum, mean, median, quartiles) over all
// enterprises and in every group of every grouping, worked out before they
// are shown: each statistic's decimals are decided once, with the overall
// table's, and hold in every table.
struct FigureGroups {
    struct Row {
        qsizetype grouping; // -1: all enterprises
        qsizetype group;
        QList<QList<double>> values; // for each variable (year), one for each statistic of the breakdown
    };
    QList<Row> rows;

    // Every value of one statistic (by its key in statistics()) over the rows.
    QList<double> values(QStringView key) const;
};

class Breakdowns {
public:
    // overall: the tallies of all enterprises; groupBy: the data set's names
    // of the variables to break down by, each one that offered() names.
    Breakdowns(const DataSet &data, const QList<Tally> &overall, const QStringList &groupBy);

    // The variables a report can be broken down by (single choices, yes/no
    // and list picks): name and label, in the data set's order.
    static QList<QPair<QString, QString>> offered();
    // "按“企业是否上市”分组", one for each name.
    static QStringList titles(const QStringList &groupBy);

    // Counts and shares by group beside the whole's, with a chart of the shares.
    QList<Part> ofChoice(qsizetype variable) const;
    QList<Part> ofTicks(const Survey::Line &line, const QList<qsizetype> &flags) const;
    // The statistics of the whole and by group, for each year of variables;
    // then their tables, each statistic with the decimals given for its key,
    // the years side by side.
    FigureGroups figureGroups(const QList<qsizetype> &variables) const;
    QList<Part> ofFigures(const FigureGroups &figures, const QList<qsizetype> &variables,
                          const QHash<QString, int> &decimals) const;

private:
    // The statistics [first, second) of a figure, a column for each and each year; a row for each of rows.
    Table figureTable(const QList<GroupColumn> &columns, const QList<const FigureGroups::Row *> &rows,
                      const QList<qsizetype> &variables, QPair<qsizetype, qsizetype> statistics,
                      const QHash<QString, int> &decimals) const;

    const DataSet &data_;
    const QList<Tally> &overall_;
    QList<Grouping> groupings_;
};

} // namespace Report
