// The report's figures as people read them (grouped, rounded half away from
// zero as Excel does, per cent, "—" for none), each cell with what it is and
// its exact value.
#pragma once

#include "collect/report/ReportParts.h"

#include <QList>
#include <QString>

namespace Report {

// A count grouped in thousands: 12,345.
QString whole(qint64 n);
// A figure grouped in thousands with the given decimals, its decimal value
// (as typed, without the binary's noise) rounded half away from zero:
// 6253.595 → 6,253.60. "—" for NaN.
QString decimal(double value, int decimals);
// The decimals that all figures of one statistic are shown with: two where
// any of them has a fraction at two decimals, else none.
int decimalsOf(const QList<double> &values);
// A bin's edge, short enough for an axis: 5万, 1亿.
QString bound(double x);
// 1, 2 or 5 times a power of ten, at least w: an axis's step, a bin's width.
double niceStep(double w);

Cell text(const QString &text);
Cell count(const QString &variable, const QString &stat, qint64 n);
// part of of, in per cent with one decimal; "—" when of is 0.
Cell share(const QString &variable, const QString &stat, qint64 part, qint64 of);
// A figure with the given decimals; "—" for NaN.
Cell figure(const QString &variable, const QString &stat, double value, int decimals);

} // namespace Report
