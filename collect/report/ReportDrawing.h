// A drawing of the report as a short list of shapes (boxes, rules, lines of
// text, with their places and styles in CSS pixels), laid out once and
// rendered twice: as SVG text for the HTML, and as vectors onto any painter
// (a PDF page).
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QLineF>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace Report {

struct Shape {
    enum class Kind { Box, Rule, Text };
    Kind kind = Kind::Box;
    QRectF box{};  // Box
    QLineF rule{}; // Rule
    QPointF at{};  // Text: its baseline's start, middle or end, by anchor
    QString text{};
    QColor colour{};
    qreal size = 0; // Text: font size in pixels; Rule: width
    bool bold = false;
    Qt::AlignmentFlag anchor = Qt::AlignLeft; // Text: AlignLeft, AlignHCenter or AlignRight
    QString role{};                           // Text: its class in SVG, for a reader of the file
};

struct Drawing {
    QSizeF size{};
    QList<Shape> shapes{};

    void box(const QRectF &box, const QColor &colour);
    void rule(const QLineF &rule, const QColor &colour, qreal width = 1);
    void text(const QPointF &at, const QString &text, qreal size, const QColor &colour, bool bold = false,
              Qt::AlignmentFlag anchor = Qt::AlignLeft, const QString &role = {});
};

// The family list the report's text is drawn with: the survey's Windows
// face first, then the Chinese faces other systems have.
QStringList fontFamilies();
// A font of the report at a size in CSS pixels (1/96 inch).
QFont font(qreal pixels, bool bold = false);

// An <svg> element for a page of HTML: no id, no gradient, texts escaped.
QByteArray svg(const Drawing &drawing, const QString &title);

// Draws the drawing with its top left corner at origin, scaled.
void paint(const Drawing &drawing, QPainter &painter, const QPointF &origin, qreal scale = 1);

} // namespace Report
