// The report's figures as people read them (grouped, two decimals, per cent,
// "—" for none), each cell with what it is and its exact value.
#pragma once

#include "collect/report/ReportParts.h"

#include <QString>

namespace Report {

// A count grouped in thousands: 12,345.
QString whole(qint64 n);
// A bin's edge, short enough for an axis: 5万, 1亿.
QString bound(double x);

Cell text(const QString &text);
Cell count(const QString &variable, const QString &stat, qint64 n);
// part of of, in per cent with one decimal; "—" when of is 0.
Cell share(const QString &variable, const QString &stat, qint64 part, qint64 of);
// A figure; "—" for NaN.
Cell figure(const QString &variable, const QString &stat, double value);

} // namespace Report
