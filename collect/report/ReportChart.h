// A chart of the report laid out as a drawing: its title, legend, bars with
// their values, the categories' labels wrapped onto as many lines as they
// need, and a value axis stepping by round numbers.
#pragma once

#include "collect/report/ReportDrawing.h"
#include "collect/report/ReportParts.h"

namespace ReportChart {

// The width every chart is laid out at, in CSS pixels; its height grows with its bars.
inline constexpr qreal kWidth = 680;
// The series a chart tells apart by colour.
inline constexpr qsizetype kColourCount = 10;

Report::Drawing layout(const Report::Chart &chart);

// The value axis: from bottom (0, or the chart's own) to top by step (1, 2
// or 5 times a power of ten; a whole number for counts), in no more than
// about five steps.
struct Axis {
    double step = 1;
    double bottom = 0;
    double top = 1;
    int decimals = 0; // of the tick labels
};
Axis axis(const Report::Chart &chart);

// A text's width, taken generously, for a layout that a browser will draw
// in a face of its own: a Chinese character is a full em, a Latin one most
// of one.
qreal textWidth(const QString &text, qreal size, bool bold = false);
// The text broken at its line feeds and into lines no wider than width:
// between Chinese characters and at blanks, a Latin word whole where it
// fits; no character is lost.
QStringList wrapped(const QString &text, qreal size, qreal width, bool bold = false);

} // namespace ReportChart
