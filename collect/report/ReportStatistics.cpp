// Every statistic works on the figures given, sorted; none is made up for a
// figure left blank.
#include "collect/report/ReportStatistics.h"

#include "collect/report/ReportCells.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace Report {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
// Values that span this ratio or more are binned by decades.
constexpr double kDecadesSpan = 100;
constexpr int kLinearBins = 10;

double sum(const std::vector<double> &x)
{
    return std::accumulate(x.begin(), x.end(), 0.0);
}

const Statistic kStatistics[] = {
    {u"填写的企业数", u"n", [](const std::vector<double> &x) { return double(x.size()); }},
    {u"合计", u"sum", sum},
    {u"平均数", u"mean", [](const std::vector<double> &x) { return x.empty() ? kNone : sum(x) / double(x.size()); }},
    {u"中位数", u"median", [](const std::vector<double> &x) { return quantile(x, 0.5); }},
    {u"下四分位数", u"q1", [](const std::vector<double> &x) { return quantile(x, 0.25); }},
    {u"上四分位数", u"q3", [](const std::vector<double> &x) { return quantile(x, 0.75); }},
    {u"最小值", u"min", [](const std::vector<double> &x) { return x.empty() ? kNone : x.front(); }},
    {u"最大值", u"max", [](const std::vector<double> &x) { return x.empty() ? kNone : x.back(); }},
};

// How the values are binned: the lower edges of the bins (after a bin of
// zeros, where there is one), by decades or evenly.
struct Bins {
    QList<double> edges;
    bool decades = false;
    bool zeros = false; // a bin of its own for zero and below
    double high = 0;

    explicit Bins(const QList<std::vector<double>> &sorted)
    {
        double low = std::numeric_limits<double>::max();
        for (const std::vector<double> &x : sorted)
            for (double value : x) {
                if (value > 0)
                    low = std::min(low, value);
                else
                    zeros = true;
                high = std::max(high, value);
            }
        decades = high > 0 && high / low >= kDecadesSpan;
        if (decades) {
            for (double e = std::pow(10.0, std::floor(std::log10(low))); e <= high; e *= 10)
                edges << e;
        } else if (high > 0) {
            const double width = niceStep(high / kLinearBins);
            for (double e = 0; e <= high; e += width)
                edges << e;
            zeros = false; // zero falls in the first bin
        }
    }

    QString label(qsizetype k) const
    {
        if (!decades)
            return bound(edges[k]) + QStringLiteral("–") +
                   bound(k + 1 < edges.size() ? edges[k + 1] : edges[k] + (edges.size() > 1 ? edges[1] : 1));
        return bound(edges[k]) + QStringLiteral("–") + bound(edges[k] * 10);
    }

    qsizetype of(double value) const
    {
        const qsizetype above = qsizetype(std::upper_bound(edges.begin(), edges.end(), value) - edges.begin());
        if (decades)
            return value <= 0 ? 0 : above - (zeros ? 0 : 1);
        return high > 0 ? std::max<qsizetype>(0, above - 1) : 0;
    }
};

} // namespace

double quantile(const std::vector<double> &sorted, double q)
{
    if (sorted.empty())
        return kNone;
    const double at = q * double(sorted.size() - 1);
    const size_t below = size_t(std::floor(at));
    const size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (at - double(below)) * (sorted[above] - sorted[below]);
}

std::span<const Statistic> statistics()
{
    return kStatistics;
}

YearChange yearChange(const std::vector<double> &earlier, const std::vector<double> &later)
{
    std::vector<double> changes;
    YearChange c;
    for (size_t row = 0; row < earlier.size(); ++row) {
        if (std::isnan(earlier[row]) || std::isnan(later[row]))
            continue;
        const double change = later[row] - earlier[row];
        changes.push_back(change);
        c.rises += change > 0;
        c.falls += change < 0;
        c.same += change == 0;
    }
    std::sort(changes.begin(), changes.end());
    c.both = qint64(changes.size());
    c.medianChange = quantile(changes, 0.5);
    return c;
}

Chart shareChart(const QString &title)
{
    Chart chart{title, {}, {{QStringLiteral("占作答的比例"), {}}}, QStringLiteral("占作答的比例（%）")};
    chart.percent = true;
    chart.decimals = 1;
    return chart;
}

double percentOf(qint64 part, qint64 whole)
{
    return whole > 0 ? 100.0 * double(part) / double(whole) : 0.0;
}

std::vector<double> sortedFigures(const Tally &t)
{
    std::vector<double> values;
    for (double x : t.numbers)
        if (!std::isnan(x))
            values.push_back(x);
    std::sort(values.begin(), values.end());
    return values;
}

Chart histogram(const QString &title, const QList<std::vector<double>> &sorted, const QStringList &names)
{
    const Bins bins(sorted);
    Chart chart;
    chart.valueTitle = QStringLiteral("企业数");
    chart.title =
        title + (bins.decades ? QStringLiteral("：分布（按数量级分组，每组十倍）") : QStringLiteral("：分布"));
    if (bins.zeros)
        chart.categories << QStringLiteral("0");
    for (qsizetype k = 0; k < bins.edges.size(); ++k)
        chart.categories << bins.label(k);
    for (qsizetype s = 0; s < sorted.size(); ++s) {
        QList<double> counts(chart.categories.size(), 0.0);
        for (double value : sorted[s])
            counts[std::clamp<qsizetype>(bins.of(value), 0, counts.size() - 1)] += 1;
        chart.series.append({names.value(s), counts});
    }
    return chart;
}

} // namespace Report
