// The breakdowns of a report: each question's answers again for each group of
// enterprises that one variable makes (by industry, listed or not, ...),
// placed after the question's overall figures.
#pragma once

#include "collect/data/DataSet.h"
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

// Groups of fewer enterprises than this are shown, and marked as small.
inline constexpr qint64 kSmallGroup = 5;
inline bool isSmallGroup(qint64 size) { return size < kSmallGroup; }

// A figure's n and quartiles in every group of every grouping, worked out
// before they are shown: each statistic's decimals are decided once, with
// the overall table's, and hold in every table.
struct FigureGroups {
    struct Row {
        qsizetype grouping;
        qsizetype group;
        qsizetype variable;
        QList<double> values; // one for each statistic of the breakdown's table
    };
    QList<Row> rows;

    // Every value of one statistic (by its key in statistics()) over the rows.
    QList<double> values(QStringView key) const;
};

class Breakdowns {
public:
    // groupBy: the data set's names of the variables to break down by, each one that offered() names.
    Breakdowns(const DataSet &data, const QStringList &groupBy);

    // The variables a report can be broken down by (single choices, yes/no
    // and list picks): name and label, in the data set's order.
    static QList<QPair<QString, QString>> offered();
    // "按“企业是否上市”分组", one for each name.
    static QStringList titles(const QStringList &groupBy);

    // Counts and column shares by group, with a grouped bar chart of the shares.
    QList<Part> ofChoice(qsizetype variable) const;
    QList<Part> ofTicks(const Survey::Line &line, const QList<qsizetype> &flags) const;
    // n, median and quartiles by group, for each year of variables; then
    // their tables, each statistic with the decimals given for its key.
    FigureGroups figureGroups(const QList<qsizetype> &variables) const;
    QList<Part> ofFigures(const FigureGroups &figures, bool years, const QHash<QString, int> &decimals) const;

private:
    const DataSet &data_;
    QList<Grouping> groupings_;
};

} // namespace Report
