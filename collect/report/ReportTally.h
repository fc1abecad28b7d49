// What each variable's cells came to over the whole data set: counts of
// codes, ticks and texts, the figures themselves, and 不适用 and blank apart.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <vector>

class DataSet;

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

} // namespace Report
