// The report's section "数据核查": how often each data check fired, then the
// findings themselves, as many as a reader goes through.
#pragma once

#include "collect/report/ReportParts.h"

class DataSet;

namespace Report {

// The findings listed one by one; the rest are counted, and the checks file holds them all.
inline constexpr qsizetype kMostChecksListed = 200;

// What the checks found and is still open, by severity, and in how many
// files; and how many findings a collector checked.
struct CheckTotals {
    qint64 errors = 0;
    qint64 doubts = 0;
    qint64 files = 0; // with any open finding
    qint64 checked = 0;
};
CheckTotals checkTotals(const DataSet &data);

Section checksSection(const DataSet &data);

} // namespace Report
