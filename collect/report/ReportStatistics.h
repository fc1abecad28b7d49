// The statistics of a figure: n, sum, mean, quartiles (linear interpolation,
// as Excel's QUARTILE.INC and R's default), minimum and maximum; the change
// between the two years; and the histogram's bins (by decades where the
// values span a hundredfold or more, else ten even ones).
#pragma once

#include "collect/report/ReportParts.h"
#include "collect/report/ReportTally.h"

#include <QList>
#include <QStringList>
#include <QStringView>
#include <span>
#include <vector>

namespace Report {

// Quartiles by linear interpolation between order statistics: q in [0, 1]
// of sorted values; NaN for none.
double quantile(const std::vector<double> &sorted, double q);

// One statistic of a figure's table: its caption, its key in the HTML's
// data-stat, and how it comes from the sorted values (NaN where it cannot).
struct Statistic {
    QStringView caption;
    QStringView key;
    double (*of)(const std::vector<double> &sorted);
};
std::span<const Statistic> statistics();

// The enterprises that gave both years, and how their figure changed.
struct YearChange {
    qint64 both = 0;
    double medianChange = 0; // NaN when none gave both
    qint64 rises = 0;
    qint64 falls = 0;
    qint64 same = 0;
};
// From two years' figures, row by row, NaN where a year is not given.
YearChange yearChange(const std::vector<double> &earlier, const std::vector<double> &later);

// The figures a tally holds, sorted.
std::vector<double> sortedFigures(const Tally &t);

// part of whole in per cent; 0 when whole is 0.
double percentOf(qint64 part, qint64 whole);

// A chart of shares of those who answered, in per cent.
Chart shareChart(const QString &title);

// The histogram of one or more series of sorted values (the years), each
// named in names.
Chart histogram(const QString &title, const QList<std::vector<double>> &sorted, const QStringList &names);

} // namespace Report
