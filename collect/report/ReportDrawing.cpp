// SVG takes the shapes as they are (a text's anchor is SVG's text-anchor);
// the painter measures a text to place its middle or end, in the font it
// draws with.
#include "collect/report/ReportDrawing.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace Report {
namespace {

// A coordinate as SVG takes it: at most one decimal, no trailing zero.
QString number(qreal x)
{
    QString text = QString::number(x, 'f', 1);
    if (text.endsWith(QLatin1String(".0")))
        text.chop(2);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString colourOf(const QColor &colour)
{
    return colour.name(QColor::HexRgb);
}

QFont fontAt(qreal pixels, bool bold, qreal dpi)
{
    QFont f;
    f.setFamilies(fontFamilies());
    f.setPointSizeF(pixels * 72.0 / dpi);
    f.setBold(bold);
    return f;
}

} // namespace

void Drawing::box(const QRectF &box, const QColor &colour)
{
    shapes.append({.kind = Shape::Kind::Box, .box = box, .colour = colour});
}

void Drawing::rule(const QLineF &rule, const QColor &colour, qreal width)
{
    shapes.append({.kind = Shape::Kind::Rule, .rule = rule, .colour = colour, .size = width});
}

void Drawing::text(const QPointF &at, const QString &text, qreal size, const QColor &colour, bool bold,
                   Qt::AlignmentFlag anchor, const QString &role)
{
    shapes.append({.kind = Shape::Kind::Text,
                   .at = at,
                   .text = text,
                   .colour = colour,
                   .size = size,
                   .bold = bold,
                   .anchor = anchor,
                   .role = role});
}

QStringList fontFamilies()
{
    return {QStringLiteral("Microsoft YaHei"), QStringLiteral("微软雅黑"), QStringLiteral("WenQuanYi Micro Hei"),
            QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")};
}

QFont font(qreal pixels, bool bold)
{
    return fontAt(pixels, bold, 96);
}

QByteArray svg(const Drawing &drawing, const QString &title)
{
    const QString w = number(drawing.size.width()), h = number(drawing.size.height());
    QString out = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
                                 "viewBox=\"0 0 %1 %2\" role=\"img\"><title>%3</title>")
                      .arg(w, h, title.toHtmlEscaped());
    for (const Shape &s : drawing.shapes) {
        switch (s.kind) {
        case Shape::Kind::Box:
            out += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>")
                       .arg(number(s.box.x()), number(s.box.y()), number(s.box.width()), number(s.box.height()),
                            colourOf(s.colour));
            break;
        case Shape::Kind::Rule:
            out += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\"/>")
                       .arg(number(s.rule.x1()), number(s.rule.y1()), number(s.rule.x2()), number(s.rule.y2()),
                            colourOf(s.colour), number(s.size));
            break;
        case Shape::Kind::Text: {
            QString attributes = QStringLiteral(" x=\"%1\" y=\"%2\" font-size=\"%3\"")
                                     .arg(number(s.at.x()), number(s.at.y()), number(s.size));
            if (s.colour != Qt::black)
                attributes += QStringLiteral(" fill=\"%1\"").arg(colourOf(s.colour));
            if (s.bold)
                attributes += QStringLiteral(" font-weight=\"bold\"");
            if (s.anchor == Qt::AlignHCenter)
                attributes += QStringLiteral(" text-anchor=\"middle\"");
            else if (s.anchor == Qt::AlignRight)
                attributes += QStringLiteral(" text-anchor=\"end\"");
            if (!s.role.isEmpty())
                attributes += QStringLiteral(" class=\"%1\"").arg(s.role);
            out += QStringLiteral("<text%1>%2</text>").arg(attributes, s.text.toHtmlEscaped());
            break;
        }
        }
    }
    return (out + QStringLiteral("</svg>")).toUtf8();
}

void paint(const Drawing &drawing, QPainter &painter, const QPointF &origin, qreal scale)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(origin);
    painter.scale(scale, scale);
    const qreal dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    for (const Shape &s : drawing.shapes) {
        switch (s.kind) {
        case Shape::Kind::Box:
            painter.fillRect(s.box, s.colour);
            break;
        case Shape::Kind::Rule:
            painter.setPen(QPen(s.colour, s.size, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(s.rule);
            break;
        case Shape::Kind::Text: {
            // The painter is scaled: the font keeps its size in the drawing's pixels.
            const QFont f = fontAt(s.size, s.bold, dpi);
            painter.setFont(f);
            painter.setPen(s.colour);
            QPointF at = s.at;
            if (s.anchor != Qt::AlignLeft) {
                const qreal width = QFontMetricsF(f, painter.device()).horizontalAdvance(s.text);
                at.rx() -= s.anchor == Qt::AlignHCenter ? width / 2 : width;
            }
            painter.drawText(at, s.text);
            break;
        }
        }
    }
    painter.restore();
}

} // namespace Report
