// What each variable's cells came to over the whole data set, or over each
// group of enterprises: counts of codes, ticks and texts, the figures
// themselves, and 不适用 and blank apart.
#pragma once

#include "collect/data/DataSet.h"

#include <QHash>
#include <QList>
#include <QString>
#include <vector>

namespace Survey {
struct Line;
}

namespace Report {

struct Tally {
    QList<qint64> byCode;        // Code, ListItem, RankLetter: per code
    qint64 values = 0;           // cells with a value
    qint64 notApplicable = 0;    // closed by their gate
    qint64 missing = 0;          // left blank, unanswered or unusable
    qint64 ticked = 0;           // Flag
    std::vector<double> numbers; // Number, RankOf: per row, NaN for none
    QHash<QString, qint64> texts;
};

// An "其他" text that its question's option or choice opens.
bool isOtherText(const Survey::Line &line);

// One pass over the data set's cells; one tally per variable, in order
// (empty for the variables the report does not count).
QList<Tally> tally(const DataSet &data);

// One group of enterprises: those with one code of the grouping variable, or
// those where it is 不适用 or blank.
struct Group {
    QString caption;
    QString key; // the code's value as SPSS holds it, or "na", "blank"
    qint64 size = 0;
};

// Groups of fewer enterprises than this are shown, marked as small and drawn lighter.
inline constexpr qint64 kSmallGroup = 5;
inline bool isSmallGroup(qint64 size) { return size < kSmallGroup; }

// The enterprises split by a variable of codes or list picks; only groups
// that hold an enterprise are kept.
struct Grouping {
    qsizetype by = -1; // the grouping variable
    QList<Group> groups;
    QList<QList<Tally>> tallies; // per group, one per variable; figures per row of the group
};

// Whether the data set's variable can split enterprises into groups: a single choice, yes/no or list pick.
bool canGroupBy(const DataSet::Variable &v);
// One pass over the data set for all groups at once.
Grouping tallyBy(const DataSet &data, qsizetype by);

} // namespace Report
