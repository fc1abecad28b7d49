// The report's section "数据核查": how often each data check fired, then the
// findings themselves, as many as a reader goes through.
#pragma once

#include "collect/report/ReportParts.h"

class DataSet;

namespace Report {

// The findings listed one by one; the rest are counted, and the checks file holds them all.
inline constexpr qsizetype kMostChecksListed = 200;

// What the checks found, by severity, and in how many files.
struct CheckTotals {
    qint64 errors = 0;
    qint64 doubts = 0;
    qint64 files = 0; // with any finding
};
CheckTotals checkTotals(const DataSet &data);

Section checksSection(const DataSet &data);

} // namespace Report
