// Each chart is built in a graphics scene of its own, laid out at its size in
// CSS pixels and rendered; the scene is scaled to whatever the target is.
#include "collect/report/ReportChart.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QHorizontalBarSeries>
#include <QtCharts/QLegend>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace ReportChart {
namespace {

constexpr qreal kWidth = 680;
constexpr qreal kBarHeight = 26; // a horizontal chart's room per category and series
constexpr qreal kFrame = 90;     // title, axis and margins
constexpr qreal kColumnHeight = 320;
constexpr int kLongestCategory = 24;
const QColor kColours[] = {QColor(0x2b, 0x6c, 0xb0), QColor(0xe0, 0x8a, 0x1e)};

QString shortened(const QString &text)
{
    return text.size() > kLongestCategory ? text.left(kLongestCategory - 1) + QStringLiteral("…") : text;
}

// 1, 2, 2.5 or 5 times a power of ten, at least w.
qreal niceStep(qreal w)
{
    const qreal power = std::pow(10.0, std::floor(std::log10(w)));
    for (qreal step : {1.0, 2.0, 2.5, 5.0})
        if (step * power >= w * (1 - 1e-9))
            return step * power;
    return 10 * power;
}

// The value axis: from 0 to a round top, with room for the labels beyond the
// bars, in about five round steps. Returns the number of ticks.
int valueTicks(const Report::Chart &chart, qreal &top)
{
    qreal high = 0;
    for (const Report::Series &s : chart.series)
        for (double v : s.values)
            high = std::max<qreal>(high, v);
    const qreal wanted = std::max<qreal>(high * 1.15, chart.percent ? 10 : 1);
    const qreal step = niceStep(wanted / 5);
    const int steps = int(std::ceil(wanted / step - 1e-9));
    top = step * steps;
    if (chart.percent && top > 100) {
        top = 100;
        return int(std::round(100 / step)) + 1;
    }
    return steps + 1;
}

// The chart in its own scene; the scene owns it.
QChart *build(const Report::Chart &c, QGraphicsScene &scene)
{
    auto *chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(6, 6, 16, 6));
    chart->setTitle(c.title);
    chart->setTitleFont(font(10, true));
    chart->legend()->setVisible(c.series.size() > 1);
    chart->legend()->setFont(font(9));
    chart->legend()->setAlignment(Qt::AlignTop);

    QAbstractBarSeries *series = c.horizontal ? static_cast<QAbstractBarSeries *>(new QHorizontalBarSeries)
                                              : static_cast<QAbstractBarSeries *>(new QBarSeries);
    QStringList categories;
    for (const QString &category : c.categories)
        categories << shortened(category);
    // Horizontal bars run from the bottom up; the page's first option goes on top.
    if (c.horizontal)
        std::reverse(categories.begin(), categories.end());
    for (qsizetype s = 0; s < c.series.size(); ++s) {
        auto *set = new QBarSet(c.series[s].name);
        QList<double> values = c.series[s].values;
        if (c.horizontal)
            std::reverse(values.begin(), values.end());
        // Rounded as the tables show them: Qt's labels count significant digits, not decimals.
        const double scale = std::pow(10.0, c.decimals);
        for (double v : values)
            set->append(std::round(v * scale) / scale);
        set->setColor(kColours[s % std::size(kColours)]);
        set->setBorderColor(Qt::transparent);
        set->setLabelColor(QColor(0x20, 0x20, 0x20));
        set->setLabelFont(font(8));
        series->append(set);
    }
    series->setBarWidth(c.series.size() > 1 ? 0.8 : 0.65);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsFormat(c.percent ? QStringLiteral("@value%") : QStringLiteral("@value"));
    series->setLabelsPrecision(c.percent || c.decimals > 0 ? 3 : 12);
    chart->addSeries(series);

    auto *categoryAxis = new QBarCategoryAxis;
    categoryAxis->append(categories);
    categoryAxis->setLabelsFont(font(8));
    categoryAxis->setGridLineVisible(false);
    auto *valueAxis = new QValueAxis;
    qreal top = 0;
    const int ticks = valueTicks(c, top);
    valueAxis->setRange(0, top);
    valueAxis->setTickCount(ticks);
    valueAxis->setLabelFormat(c.percent || c.decimals == 0 ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
    valueAxis->setLabelsFont(font(8));
    valueAxis->setTitleText(c.valueTitle);
    valueAxis->setTitleFont(font(8));
    chart->addAxis(categoryAxis, c.horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(valueAxis, c.horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(categoryAxis);
    series->attachAxis(valueAxis);
    if (!c.horizontal && categories.size() > 6)
        categoryAxis->setLabelsAngle(-60);

    scene.addItem(chart);
    const QSizeF chartSize = size(c);
    chart->resize(chartSize);
    scene.setSceneRect(QRectF(QPointF(0, 0), chartSize));
    // The chart lays itself out on posted events; have them now.
    chart->layout()->activate();
    QCoreApplication::sendPostedEvents();
    return chart;
}

// Qt's SVG as a page's element: no prologue, a size in pixels, and without
// the empty groups and default attributes it writes for every change of pen,
// which made up three quarters of it.
QByteArray compact(const QByteArray &svg, const QSizeF &size)
{
    QString text = QString::fromUtf8(svg);
    text = text.mid(std::max<qsizetype>(0, text.indexOf(QLatin1String("<svg"))));
    static const QRegularExpression mmSize(QStringLiteral("^<svg width=\"[^\"]*\" height=\"[^\"]*\""));
    text.replace(mmSize, QStringLiteral("<svg width=\"%1\" height=\"%2\"").arg(size.width()).arg(size.height()));
    static const QRegularExpression defaults(
        QStringLiteral(" transform=\"matrix\\(1,0,0,1,0,0\\)\"|\\s*font-family=\"Sans Serif\" font-size=\"12\" "
                       "font-weight=\"400\" font-style=\"normal\"\\s*|<desc>[^<]*</desc>\\s*"));
    text.remove(defaults);
    static const QRegularExpression emptyGroup(QStringLiteral("<g [^>]*>\\s*</g>\\s*"));
    for (qsizetype before = -1; before != text.size();) {
        before = text.size();
        text.remove(emptyGroup);
    }
    // The browser's own Chinese face where the survey's is missing.
    QStringList families;
    for (const QString &family : fontFamilies())
        families << QLatin1Char('\'') + family + QLatin1Char('\'');
    text.replace(QStringLiteral("font-family=\"%1\"").arg(fontFamilies().front()),
                 QStringLiteral("font-family=\"%1,sans-serif\"").arg(families.join(QLatin1Char(','))));
    return text.toUtf8();
}

} // namespace

QStringList fontFamilies()
{
    return {QStringLiteral("Microsoft YaHei"), QStringLiteral("微软雅黑"), QStringLiteral("WenQuanYi Micro Hei"),
            QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")};
}

QFont font(qreal pointSize, bool bold)
{
    QFont f;
    f.setFamilies(fontFamilies());
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

QSizeF size(const Report::Chart &chart)
{
    if (!chart.horizontal)
        return {kWidth, kColumnHeight};
    const qsizetype bars = chart.categories.size() * std::max<qsizetype>(1, chart.series.size());
    return {kWidth, kFrame + kBarHeight * qreal(bars) + (chart.series.size() > 1 ? 24 : 0)};
}

void paint(const Report::Chart &chart, QPainter &painter, const QRectF &target)
{
    QGraphicsScene scene;
    build(chart, scene);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, target, scene.sceneRect(), Qt::KeepAspectRatio);
    painter.restore();
}

QByteArray svg(const Report::Chart &chart)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const QSizeF chartSize = size(chart);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(chartSize.toSize());
    generator.setViewBox(QRectF(QPointF(0, 0), chartSize));
    generator.setResolution(96);
    generator.setTitle(chart.title);
    {
        QPainter painter(&generator);
        paint(chart, painter, QRectF(QPointF(0, 0), chartSize));
    }
    return compact(buffer.data(), chartSize);
}

} // namespace ReportChart
