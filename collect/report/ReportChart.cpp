// Horizontal bars only: a category's label, however long, wraps onto lines
// of its own at the left, and every value stands at the end of its bar (of a
// stacked bar, inside its part where it fits), so nothing is ever cut or turned. Texts are measured generously rather
// than in a font, so that the layout is the same on every system and holds in whatever face a browser picks.
#include "collect/report/ReportChart.h"

#include "collect/report/ReportCells.h"

#include <algorithm>
#include <cmath>

namespace ReportChart {
namespace {

using Report::Chart;
using Report::Drawing;

constexpr qreal kPad = 8;
constexpr qreal kTitleSize = 14, kTitleLine = 20;
constexpr qreal kLegendSize = 12, kLegendLine = 17, kSwatch = 11;
constexpr qreal kLabelSize = 12, kLabelLine = 15;
constexpr qreal kValueSize = 11;
constexpr qreal kTickSize = 11, kAxisTitleSize = 12;
constexpr qreal kLongestLabelColumn = 0.4 * kWidth;
constexpr qreal kSingleBar = 18, kGroupedBar = 12, kBarGap = 2;
constexpr int kMostSteps = 5;

const QColor kInk(0x22, 0x22, 0x22);
const QColor kSoftInk(0x55, 0x55, 0x55);
const QColor kGrid(0xe3, 0xe7, 0xec);
const QColor kAxisLine(0x8a, 0x96, 0xa3);
const QColor kColours[] = {QColor(0x2b, 0x6c, 0xb0), QColor(0xe0, 0x8a, 0x1e), QColor(0x2f, 0x9e, 0x6e),
                           QColor(0xc2, 0x41, 0x3b), QColor(0x7b, 0x5e, 0xa7), QColor(0x7a, 0x7a, 0x7a),
                           QColor(0x8c, 0x56, 0x3c), QColor(0xd6, 0x6f, 0xa9), QColor(0x9a, 0x9c, 0x2a),
                           QColor(0x2a, 0xa3, 0xb8)};
static_assert(std::size(kColours) == kColourCount);
// How much of white a small group's colour takes.
constexpr double kFaintWhite = 0.6;

// A series' colour; a small group's, lighter.
QColor colour(qsizetype series, bool faint)
{
    const QColor c = kColours[series % kColourCount];
    if (!faint)
        return c;
    auto lift = [](int v) { return int(std::lround(v + (255 - v) * kFaintWhite)); };
    return QColor(lift(c.red()), lift(c.green()), lift(c.blue()));
}

// Whether the bar of a series in a category is a small group's.
bool faint(const Chart &chart, qsizetype series, qsizetype category)
{
    return chart.series[series].faint || chart.faint.value(category);
}

// The baseline of a line of text of the given size, centred in a line box from top.
qreal baseline(qreal top, qreal line, qreal size)
{
    return top + (line - size) / 2 + 0.82 * size;
}

// The share of an em that a character takes in the widest common faces.
qreal emOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0x2000)
        return 1.0; // Chinese, full-width forms, quotation marks and dashes of a Chinese face
    if (u == u' ')
        return 0.33;
    if (u == u'm' || u == u'w' || u == u'M' || u == u'W' || u == u'@' || u == u'%')
        return 0.9;
    if ((u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9'))
        return 0.66;
    if (u >= u'a' && u <= u'z')
        return 0.58;
    return 0.45;
}

bool isWordCharacter(QChar c)
{
    return c.unicode() < 0x2000 && !c.isSpace();
}

// Marks that never begin a line, and those that never end one.
bool closes(QChar c)
{
    return QStringLiteral("，。、；：？！）》」』”’,.;:?!)%").contains(c);
}
bool opens(QChar c)
{
    return QStringLiteral("（《「『“‘(").contains(c);
}

// The pieces a line may break between: a Latin word, a Chinese character,
// a blank; a closing mark goes with what comes before it, an opening one
// with what follows.
QStringList tokens(const QString &text)
{
    QStringList out;
    QString pending; // opening marks waiting for what they open
    for (qsizetype i = 0; i < text.size();) {
        QString token;
        if (isWordCharacter(text[i]) && !opens(text[i]) && !closes(text[i])) {
            while (i < text.size() && isWordCharacter(text[i]) && !opens(text[i]) && !closes(text[i]))
                token += text[i++];
        } else {
            token = text[i++];
        }
        if (token.size() == 1 && opens(token[0])) {
            pending += token;
            continue;
        }
        if (token.size() == 1 && closes(token[0]) && !out.isEmpty() && pending.isEmpty()) {
            out.back() += token;
            continue;
        }
        out << pending + token;
        pending.clear();
    }
    if (!pending.isEmpty())
        out << pending;
    return out;
}

QString valueText(const Chart &chart, double value)
{
    if (chart.percent)
        return Report::decimal(value, chart.decimals) + QLatin1Char('%');
    if (chart.decimals > 0)
        return Report::decimal(value, chart.decimals);
    return Report::whole(qint64(std::llround(value)));
}

QString tickText(const Chart &chart, const Axis &a, double tick)
{
    const QString shown =
        a.decimals > 0 ? Report::decimal(tick, a.decimals) : Report::whole(qint64(std::llround(tick)));
    return chart.percent ? shown + QLatin1Char('%') : shown;
}

// How far a category's bars reach: its longest bar, or stacked, all together.
double extent(const Chart &chart, qsizetype category)
{
    double high = 0, sum = 0;
    for (const Report::Series &s : chart.series) {
        const double v = s.values.value(category);
        if (!std::isfinite(v))
            continue;
        high = std::max(high, v);
        sum += std::max(v, 0.0);
    }
    return chart.stacked ? sum : high;
}

// The title, wrapped, from top; returns where it ends.
qreal title(Drawing &d, const QString &text, qreal top)
{
    for (const QString &line : wrapped(text, kTitleSize, kWidth - 2 * kPad, true)) {
        d.text({kPad, baseline(top, kTitleLine, kTitleSize)}, line, kTitleSize, kInk, true);
        top += kTitleLine;
    }
    return top;
}

// A swatch and a name for each series, flowing onto as many rows as they need.
qreal legend(Drawing &d, const QList<Report::Series> &series, qreal top)
{
    if (series.size() < 2)
        return top;
    top += 4;
    qreal x = kPad, rowHeight = 0;
    const qreal room = kWidth - 2 * kPad;
    for (qsizetype s = 0; s < series.size(); ++s) {
        const QStringList lines = wrapped(series[s].name, kLegendSize, room - kSwatch - 5);
        qreal width = 0;
        for (const QString &line : lines)
            width = std::max(width, textWidth(line, kLegendSize));
        width += kSwatch + 5 + 14;
        if (x > kPad && x + width > kPad + room) {
            top += rowHeight;
            x = kPad;
            rowHeight = 0;
        }
        d.box(QRectF(x, top + (kLegendLine - kSwatch) / 2, kSwatch, kSwatch), colour(s, series[s].faint));
        for (qsizetype l = 0; l < lines.size(); ++l)
            d.text({x + kSwatch + 5, baseline(top + qreal(l) * kLegendLine, kLegendLine, kLegendSize)}, lines[l],
                   kLegendSize, kInk);
        rowHeight = std::max(rowHeight, qreal(lines.size()) * kLegendLine);
        x += width;
    }
    return top + rowHeight;
}

} // namespace

qreal textWidth(const QString &text, qreal size, bool bold)
{
    qreal ems = 0;
    for (QChar c : text)
        ems += emOf(c);
    return ems * size * (bold ? 1.06 : 1.0);
}

QStringList wrapped(const QString &text, qreal size, qreal width, bool bold)
{
    QStringList lines;
    QString line;
    auto flush = [&] {
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
        line.clear();
    };
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        for (const QString &token : tokens(paragraph.simplified())) {
            if (textWidth(line + token, size, bold) <= width || line.trimmed().isEmpty()) {
                line += token;
            } else {
                flush();
                line = token.trimmed();
            }
            // A word wider than the line itself breaks between its letters.
            while (textWidth(line, size, bold) > width && line.size() > 1) {
                qsizetype fits = 1;
                while (fits < line.size() && textWidth(line.left(fits + 1), size, bold) <= width)
                    ++fits;
                lines << line.left(fits);
                line = line.mid(fits);
            }
        }
        flush();
    }
    return lines;
}

Axis axis(const Chart &chart)
{
    Axis a;
    if (chart.axisTo > chart.axisFrom) {
        a.bottom = chart.axisFrom;
        a.step = Report::niceStep((chart.axisTo - chart.axisFrom) / kMostSteps);
        a.top = a.bottom + std::ceil((chart.axisTo - a.bottom) / a.step - 1e-9) * a.step;
    } else {
        double high = 0;
        qsizetype categories = 0;
        for (const Report::Series &s : chart.series)
            categories = std::max(categories, s.values.size());
        for (qsizetype c = 0; c < categories; ++c)
            high = std::max(high, extent(chart, c));
        const bool counts = !chart.percent && chart.decimals == 0;
        if (high <= 0)
            high = chart.percent ? 10 : 1; // an axis all the same, for a chart of nothing but zeros
        a.step = Report::niceStep(high / kMostSteps);
        if (counts)
            a.step = std::max(1.0, a.step);
        a.top = std::ceil(high / a.step - 1e-9) * a.step;
        if (chart.percent)
            a.top = std::min(a.top, 100.0); // every step of 1, 2 or 5 times ten divides a hundred
    }
    a.decimals = a.step < 1 ? int(std::ceil(-std::log10(a.step) - 1e-9)) : 0;
    return a;
}

namespace {

// Where a value stands across the plot.
struct Scale {
    Axis axis;
    qreal x0, x1;
    qreal at(double v) const
    {
        return x0 + (x1 - x0) * std::clamp((v - axis.bottom) / (axis.top - axis.bottom), 0.0, 1.0);
    }
};

// A category's bars one below the other, each with its value at its end.
void bars(Drawing &d, const Chart &chart, qsizetype c, const Scale &scale, qreal top)
{
    const qreal bar = chart.series.size() == 1 ? kSingleBar : kGroupedBar;
    for (qsizetype s = 0; s < chart.series.size(); ++s) {
        const double v = chart.series[s].values.value(c);
        const qreal y = top + qreal(s) * (bar + kBarGap);
        if (v > scale.axis.bottom)
            d.box(QRectF(scale.x0, y, scale.at(v) - scale.x0, bar), colour(s, faint(chart, s, c)));
        if (v != 0) // a bar of nothing says so by its absence
            d.text({scale.at(v) + 4, baseline(y, bar, kValueSize)}, valueText(chart, v), kValueSize, kSoftInk);
    }
}

// A category's one bar split into its series in order, each part's value
// inside it where it fits.
void stackedBar(Drawing &d, const Chart &chart, qsizetype c, const Scale &scale, qreal top)
{
    double from = 0;
    for (qsizetype s = 0; s < chart.series.size(); ++s) {
        const double v = chart.series[s].values.value(c);
        if (!(v > 0))
            continue;
        const qreal left = scale.at(from), right = scale.at(from + v);
        const bool light = faint(chart, s, c);
        d.box(QRectF(left, top, right - left, kSingleBar), colour(s, light));
        const QString shown = valueText(chart, v);
        if (textWidth(shown, kValueSize) + 4 <= right - left)
            d.text({(left + right) / 2, baseline(top, kSingleBar, kValueSize)}, shown, kValueSize,
                   light ? kInk : Qt::white, false, Qt::AlignHCenter);
        from += v;
    }
}

// The categories' labels, wrapped in a column as wide as the widest, up to a share of the chart.
struct Labels {
    qreal column = 0;
    QList<QStringList> lines;
};

Labels labels(const Chart &chart)
{
    Labels out;
    for (const QString &category : chart.categories)
        for (const QString &paragraph : category.split(QLatin1Char('\n')))
            out.column = std::max(out.column, textWidth(paragraph, kLabelSize));
    out.column = std::min(out.column, kLongestLabelColumn);
    for (const QString &category : chart.categories)
        out.lines << wrapped(category, kLabelSize, out.column);
    return out;
}

// The plot runs from the labels' column to the right, leaving room for the
// values at the bars' ends and for the last tick's label.
Scale scaleOf(const Chart &chart, qreal column)
{
    const Axis a = axis(chart);
    qreal valueRoom = textWidth(tickText(chart, a, a.top), kTickSize) / 2;
    for (const Report::Series &s : chart.series)
        for (double v : s.values)
            if (!chart.stacked)
                valueRoom = std::max(valueRoom, textWidth(valueText(chart, v), kValueSize) + 6);
    return Scale{a, kPad + column + 8, kWidth - kPad - valueRoom};
}

// A band for each category top to bottom, as tall as its bars or its label.
struct Bands {
    QList<qreal> tops;
    qreal top = 0;
    qreal bottom = 0;
    qreal group = 0; // the height of a category's bars
    bool grouped = false;

    qreal height(qsizetype c) const { return (c + 1 < tops.size() ? tops[c + 1] : bottom) - tops[c]; }
};

Bands bands(const Chart &chart, const Labels &labels, qreal top)
{
    const qsizetype seriesCount = chart.stacked ? 1 : std::max<qsizetype>(1, chart.series.size());
    const qreal bar = seriesCount == 1 ? kSingleBar : kGroupedBar;
    Bands b;
    b.grouped = seriesCount > 1;
    b.group = qreal(seriesCount) * bar + qreal(seriesCount - 1) * kBarGap;
    b.top = top;
    for (const QStringList &lines : labels.lines) {
        b.tops << top;
        top += std::max(b.group, qreal(lines.size()) * kLabelLine) + (b.grouped ? 12 : 8);
    }
    b.bottom = top;
    return b;
}

qint64 stepCount(const Axis &a)
{
    return std::llround((a.top - a.bottom) / a.step);
}

// The grid first, so that the bars stand on it; between grouped bands, a rule.
void grid(Drawing &d, const Scale &scale, const Bands &b)
{
    const Axis &a = scale.axis;
    for (qint64 k = 0; k <= stepCount(a); ++k) {
        const qreal x = scale.at(a.bottom + double(k) * a.step);
        d.rule(QLineF(x, b.top, x, b.bottom), k == 0 ? kAxisLine : kGrid);
    }
    d.rule(QLineF(scale.x0, b.bottom, scale.x1, b.bottom), kAxisLine);
    for (qsizetype c = 1; b.grouped && c < b.tops.size(); ++c)
        d.rule(QLineF(kPad, b.tops[c], scale.x1, b.tops[c]), kGrid);
}

// Each category's label, right-aligned against the plot, and its bars, both centred in its band.
void categories(Drawing &d, const Chart &chart, const Labels &labels, const Scale &scale, const Bands &b)
{
    for (qsizetype c = 0; c < labels.lines.size(); ++c) {
        const QStringList &lines = labels.lines[c];
        const qreal labelTop = b.tops[c] + (b.height(c) - qreal(lines.size()) * kLabelLine) / 2;
        for (qsizetype l = 0; l < lines.size(); ++l)
            d.text({scale.x0 - 8, baseline(labelTop + qreal(l) * kLabelLine, kLabelLine, kLabelSize)}, lines[l],
                   kLabelSize, kInk, false, Qt::AlignRight);
        const qreal barsTop = b.tops[c] + (b.height(c) - b.group) / 2;
        if (chart.stacked)
            stackedBar(d, chart, c, scale, barsTop);
        else
            bars(d, chart, c, scale, barsTop);
    }
}

// The ticks' values under the plot, and what the values are.
void valueAxis(Drawing &d, const Chart &chart, const Scale &scale, qreal bottom)
{
    const Axis &a = scale.axis;
    for (qint64 k = 0; k <= stepCount(a); ++k) {
        const double tick = a.bottom + double(k) * a.step;
        d.text({scale.at(tick), bottom + 15}, tickText(chart, a, tick), kTickSize, kSoftInk, false, Qt::AlignHCenter,
               QStringLiteral("tick"));
    }
    d.text({(scale.x0 + scale.x1) / 2, bottom + 33}, chart.valueTitle, kAxisTitleSize, kInk, false, Qt::AlignHCenter,
           QStringLiteral("axis"));
}

} // namespace

Drawing layout(const Chart &chart)
{
    Drawing d;
    qreal top = title(d, chart.title, kPad);
    top = legend(d, chart.series, top) + 8;
    const Labels categoryLabels = labels(chart);
    const Scale scale = scaleOf(chart, categoryLabels.column);
    const Bands b = bands(chart, categoryLabels, top);
    grid(d, scale, b);
    categories(d, chart, categoryLabels, scale, b);
    valueAxis(d, chart, scale, b.bottom);
    d.size = QSizeF(kWidth, b.bottom + 42);
    return d;
}

} // namespace ReportChart
