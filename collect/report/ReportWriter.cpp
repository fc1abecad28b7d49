// The HTML is written here as text; the PDF's pages are laid out by
// ReportPages. Both draw each chart from its one layout.
#include "collect/report/ReportWriter.h"

#include "collect/report/ReportChart.h"
#include "collect/report/ReportDrawing.h"
#include "collect/report/ReportPages.h"
#include "collect/report/ReportWorkbook.h"

namespace ReportWriter {
namespace {

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString cssFonts()
{
    QStringList families;
    for (const QString &family : Report::fontFamilies())
        families << QLatin1Char('"') + family + QLatin1Char('"');
    return families.join(QLatin1Char(',')) + QStringLiteral(",sans-serif");
}

// What a figure is, and in a breakdown which group it counts; nothing for a text.
QString figureAttributes(const QString &variable, const QString &stat, const QString &value, const QString &group)
{
    if (stat.isEmpty())
        return {};
    QString out = QStringLiteral(" data-var=\"%1\" data-stat=\"%2\" data-value=\"%3\"")
                      .arg(escaped(variable), escaped(stat), escaped(value));
    if (!group.isEmpty())
        out += QStringLiteral(" data-group=\"%1\"").arg(escaped(group));
    return out;
}

// A table whose every figure says what it is, and in a breakdown which group it counts.
QString table(const Report::Table &t)
{
    QString out = QStringLiteral("<table>\n<thead><tr>");
    for (const QString &h : t.header)
        out += QStringLiteral("<th>") + escaped(h) + QStringLiteral("</th>");
    out += QStringLiteral("</tr></thead>\n<tbody>\n");
    for (const QList<Report::Cell> &row : t.rows) {
        out += QStringLiteral("<tr>");
        for (const Report::Cell &cell : row) {
            out += QStringLiteral("<td");
            if (cell.figure)
                out += QStringLiteral(" class=\"n\"");
            else if (cell.unbroken)
                out += QStringLiteral(" class=\"w\"");
            out += figureAttributes(cell.variable, cell.stat, cell.value, cell.group) + QLatin1Char('>') +
                   escaped(cell.text);
            if (cell.hasShare())
                out += QStringLiteral("（<span%1>%2</span>）")
                           .arg(figureAttributes(cell.variable, cell.share.stat, cell.share.value, cell.group),
                                escaped(cell.share.text));
            out += QStringLiteral("</td>");
        }
        out += QStringLiteral("</tr>\n");
    }
    return out + QStringLiteral("</tbody></table>\n");
}

QString chart(const Report::Chart &chart)
{
    return QStringLiteral("<figure>") + QString::fromUtf8(Report::svg(ReportChart::layout(chart), chart.title)) +
           QStringLiteral("</figure>\n");
}

QString notes(const QStringList &texts)
{
    QString out;
    for (const QString &text : texts)
        out += QStringLiteral("<p class=\"note\">%1</p>\n").arg(escaped(text));
    return out;
}

QString block(const Report::Block &b)
{
    QString out;
    if (!b.heading.isEmpty())
        out += QStringLiteral("<h2>%1</h2>\n").arg(escaped(b.heading));
    out += QStringLiteral("<article>\n<h3>%1</h3>\n").arg(escaped(b.title)) + notes(b.notes) + table(b.table);
    for (const Report::Chart &c : b.charts)
        out += chart(c);
    for (const Report::Part &part : b.parts) {
        out += QStringLiteral("<div class=\"part\">\n<h4>%1</h4>\n").arg(escaped(part.title)) + notes(part.notes);
        for (const Report::Table &t : part.tables)
            out += table(t);
        for (const Report::Chart &c : part.charts)
            out += chart(c);
        out += QStringLiteral("</div>\n");
    }
    return out + QStringLiteral("</article>\n");
}

QString contents(const Report::Content &content)
{
    QString out = QStringLiteral("<nav><h2>目录</h2><ol>");
    for (qsizetype s = 1; s < content.sections.size(); ++s)
        out += QStringLiteral("<li><a href=\"#s%1\">%2</a></li>").arg(s + 1).arg(escaped(content.sections[s].title));
    return out + QStringLiteral("</ol></nav>\n");
}

// The report's formats by extension; .htm is taken too, but not offered. The
// workbook has no render: libxlsxwriter writes it by name (ReportWorkbook).
struct ReportFormat {
    QStringView extension;
    QByteArray (*render)(const Report::Content &content);
    bool named;
};
const ReportFormat kFormats[] = {
    {u".html", html, true}, {u".htm", html, false}, {u".pdf", pdf, true}, {ReportWorkbook::kExtension, nullptr, true}};

const ReportFormat *formatOf(const QString &path)
{
    for (const ReportFormat &format : kFormats)
        if (path.endsWith(format.extension, Qt::CaseInsensitive))
            return &format;
    return nullptr;
}

} // namespace

bool isReportPath(const QString &path)
{
    return formatOf(path) != nullptr;
}

QStringList extensions()
{
    QStringList named;
    for (const ReportFormat &format : kFormats)
        if (format.named)
            named << format.extension.toString();
    return named;
}

QByteArray html(const Report::Content &content)
{
    QString out = QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
                                 "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                                 "<title>%1</title>\n<style>\n"
                                 "body{font-family:%2;color:#222;margin:0 auto;max-width:980px;padding:16px 24px;"
                                 "line-height:1.5}\n"
                                 "h1{font-size:1.6em;border-bottom:2px solid #8aa4c0;padding-bottom:4px}\n"
                                 "h2{font-size:1.3em;color:#1f4e80;margin-top:1.6em}\n"
                                 "h3{font-size:1.05em;margin:1.4em 0 .3em}\n"
                                 "h4{font-size:1em;margin:1em 0 .3em}\n"
                                 "h1,h2,h3,h4{break-after:avoid}\n"
                                 "section{break-before:page}\nsection:first-of-type{break-before:auto}\n"
                                 "div.part{border-left:3px solid #d5dde6;padding-left:12px;margin:1em 0}\n"
                                 "p.note{color:#555;margin:.2em 0}\n"
                                 "table{border-collapse:collapse;margin:.4em 0 .6em;font-size:.92em}\n"
                                 "thead{display:table-header-group}\ntr{break-inside:avoid}\n"
                                 "th,td{border:1px solid #c8d0d8;padding:2px 8px;text-align:left;vertical-align:top}\n"
                                 "th{background:#e8eef5}\ntd.n{text-align:right;font-variant-numeric:tabular-nums}\n"
                                 "td.w{white-space:nowrap}\n"
                                 "figure{margin:.4em 0 1em;break-inside:avoid}\n"
                                 "figure svg{max-width:100%;height:auto;display:block;font-family:%2}\n"
                                 "nav ol{columns:2}\n"
                                 "</style>\n</head>\n<body>\n")
                      .arg(escaped(content.title), cssFonts());
    for (qsizetype s = 0; s < content.sections.size(); ++s) {
        out += QStringLiteral("<section id=\"s%1\">\n<h1>%2</h1>\n").arg(s + 1).arg(escaped(content.sections[s].title));
        for (const Report::Block &b : content.sections[s].blocks)
            out += block(b);
        // The cover ends with the contents.
        out += (s == 0 ? contents(content) : QString()) + QStringLiteral("</section>\n");
    }
    out += QStringLiteral("</body>\n</html>\n");
    return out.toUtf8();
}

QByteArray pdf(const Report::Content &content)
{
    return ReportPages::pdf(content);
}

QByteArray render(const Report::Content &content, const QString &path)
{
    const ReportFormat *format = formatOf(path);
    if (format && !format->render)
        return {};
    return format ? format->render(content) : html(content);
}

} // namespace ReportWriter
