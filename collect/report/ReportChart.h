// A chart of the report drawn by Qt Charts: as SVG text for the HTML and
// onto any painter (a PDF page) as vectors, from one chart code.
#pragma once

#include "collect/report/ReportParts.h"

#include <QByteArray>
#include <QFont>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace ReportChart {

// The family list the report's text is drawn with: the survey's Windows
// face first, then the Chinese faces other systems have.
QStringList fontFamilies();
QFont font(qreal pointSize, bool bold = false);

// The chart's size in CSS pixels (1/96 inch), grown with its bars.
QSizeF size(const Report::Chart &chart);

// Draws the chart into target on painter.
void paint(const Report::Chart &chart, QPainter &painter, const QRectF &target);

// An <svg> element, without the XML prologue, for a page of HTML.
QByteArray svg(const Report::Chart &chart);

} // namespace ReportChart
