// HTML for browsers and Qt's rich text for the PDF are written from the same
// content; the PDF's charts are text objects that Qt Charts draws straight
// onto the page, so they stay vectors and their text stays text.
#include "collect/ReportWriter.h"

#include "collect/Folders.h"
#include "collect/ReportChart.h"
#include "survey/SafeFile.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextObjectInterface>

namespace ReportWriter {
namespace {

constexpr int kChartObject = QTextFormat::UserObject + 1;
constexpr int kChartIndex = QTextFormat::UserProperty + 1;
const QString kChartScheme = QStringLiteral("chart:");

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString cssFonts()
{
    QStringList families;
    for (const QString &family : ReportChart::fontFamilies())
        families << QLatin1Char('"') + family + QLatin1Char('"');
    return families.join(QLatin1Char(',')) + QStringLiteral(",sans-serif");
}

// A table; with data attributes (for the HTML) every figure says what it is.
QString table(const Report::Table &t, bool attributes)
{
    QString out = attributes ? QStringLiteral("<table>\n<thead><tr>")
                             : QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                                              "style=\"border-color:#b8c2cc; border-collapse:collapse\">\n<tr>");
    for (const QString &h : t.header)
        out += (attributes ? QStringLiteral("<th>") : QStringLiteral("<th bgcolor=\"#e8eef5\">")) + escaped(h) +
               QStringLiteral("</th>");
    out += attributes ? QStringLiteral("</tr></thead>\n<tbody>\n") : QStringLiteral("</tr>\n");
    for (const QList<Report::Cell> &row : t.rows) {
        out += QStringLiteral("<tr>");
        for (const Report::Cell &cell : row) {
            out += QStringLiteral("<td");
            if (cell.figure)
                out += attributes ? QStringLiteral(" class=\"n\"") : QStringLiteral(" align=\"right\"");
            if (attributes && !cell.stat.isEmpty())
                out += QStringLiteral(" data-var=\"%1\" data-stat=\"%2\" data-value=\"%3\"")
                           .arg(escaped(cell.variable), escaped(cell.stat), escaped(cell.value));
            out += QLatin1Char('>') + escaped(cell.text) + QStringLiteral("</td>");
        }
        out += QStringLiteral("</tr>\n");
    }
    return out + (attributes ? QStringLiteral("</tbody></table>\n") : QStringLiteral("</table>\n"));
}

// Draws the report's charts where the PDF's text holds their objects.
class ChartObjects : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit ChartObjects(QList<Report::Chart> charts) : charts_(std::move(charts)) {}

    QSizeF intrinsicSize(QTextDocument *doc, int, const QTextFormat &format) override
    {
        const QSizeF css = ReportChart::size(chart(format));
        // The layout counts in the device's pixels: the PDF's, once printing.
        const QPaintDevice *device = doc->documentLayout()->paintDevice();
        const qreal scale = device ? device->logicalDpiX() / 96.0 : 1.0;
        QSizeF size = css * scale;
        const qreal room =
            doc->pageSize().width() - 2 * doc->rootFrame()->frameFormat().margin() - 4 * doc->documentMargin();
        if (room > 0 && size.width() > room)
            size *= room / size.width();
        return size;
    }

    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *, int, const QTextFormat &format) override
    {
        ReportChart::paint(chart(format), *painter, rect);
    }

    const QList<Report::Chart> &charts() const { return charts_; }

private:
    const Report::Chart &chart(const QTextFormat &format) const
    {
        return charts_[std::clamp<qsizetype>(format.property(kChartIndex).toInt(), 0, charts_.size() - 1)];
    }

    QList<Report::Chart> charts_;
};

// The report in Qt's rich text, with an image placeholder for each chart.
QString richText(const Report::Content &content, QList<Report::Chart> &charts)
{
    QString out = QStringLiteral("<html><body>");
    bool first = true;
    for (const Report::Section &section : content.sections) {
        out += QStringLiteral("<h1 style=\"%1\">%2</h1>\n")
                   .arg(first ? QString() : QStringLiteral("page-break-before: always"), escaped(section.title));
        first = false;
        for (const Report::Block &block : section.blocks) {
            if (!block.heading.isEmpty())
                out += QStringLiteral("<h2>%1</h2>\n").arg(escaped(block.heading));
            out += QStringLiteral("<h3>%1</h3>\n").arg(escaped(block.title));
            for (const QString &note : block.notes)
                out += QStringLiteral("<p style=\"color:#555555\">%1</p>\n").arg(escaped(note));
            out += table(block.table, false);
            for (const Report::Chart &chart : block.charts) {
                out += QStringLiteral("<p><img src=\"%1%2\"></p>\n").arg(kChartScheme).arg(charts.size());
                charts.append(chart);
            }
            if (!block.othersTitle.isEmpty()) {
                out += QStringLiteral("<p><b>%1</b></p>\n").arg(escaped(block.othersTitle));
                out += block.others.isEmpty() ? QStringLiteral("<p>（无）</p>\n") : table(block.others, false);
            }
        }
    }
    return out + QStringLiteral("</body></html>");
}

// Puts a chart object where each placeholder image stands.
void placeCharts(QTextDocument &doc)
{
    QList<QPair<int, int>> places; // position, chart
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isImageFormat())
                continue;
            const QString name = format.toImageFormat().name();
            if (name.startsWith(kChartScheme))
                places.append({fragment.position(), name.mid(kChartScheme.size()).toInt()});
        }
    QTextCursor cursor(&doc);
    for (auto it = places.crbegin(); it != places.crend(); ++it) {
        cursor.setPosition(it->first);
        cursor.setPosition(it->first + 1, QTextCursor::KeepAnchor);
        QTextCharFormat object;
        object.setObjectType(kChartObject);
        object.setProperty(kChartIndex, it->second);
        cursor.insertText(QString(QChar::ObjectReplacementCharacter), object);
    }
}

} // namespace

bool builtIn()
{
    return true;
}

bool isReportPath(const QString &path)
{
    for (const char *extension : {".html", ".htm", ".pdf"})
        if (path.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return true;
    return false;
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
                                 "section{break-before:page}\nsection:first-of-type{break-before:auto}\n"
                                 "article{break-inside:avoid-page}\n"
                                 "p.note{color:#555;margin:.2em 0}\n"
                                 "table{border-collapse:collapse;margin:.4em 0 .6em;font-size:.92em}\n"
                                 "th,td{border:1px solid #c8d0d8;padding:2px 8px;text-align:left;vertical-align:top}\n"
                                 "th{background:#e8eef5}\ntd.n{text-align:right;font-variant-numeric:tabular-nums}\n"
                                 "figure{margin:.4em 0 1em}\nfigure svg{max-width:100%;height:auto;display:block}\n"
                                 "nav ol{columns:2}\n"
                                 "</style>\n</head>\n<body>\n")
                      .arg(escaped(content.title), cssFonts());
    QString contents = QStringLiteral("<nav><h2>目录</h2><ol>");
    for (qsizetype s = 1; s < content.sections.size(); ++s)
        contents +=
            QStringLiteral("<li><a href=\"#s%1\">%2</a></li>").arg(s + 1).arg(escaped(content.sections[s].title));
    contents += QStringLiteral("</ol></nav>\n");
    int charts = 0;
    for (qsizetype s = 0; s < content.sections.size(); ++s) {
        const Report::Section &section = content.sections[s];
        out += QStringLiteral("<section id=\"s%1\">\n<h1>%2</h1>\n").arg(s + 1).arg(escaped(section.title));
        for (const Report::Block &block : section.blocks) {
            if (!block.heading.isEmpty())
                out += QStringLiteral("<h2>%1</h2>\n").arg(escaped(block.heading));
            out += QStringLiteral("<article>\n<h3>%1</h3>\n").arg(escaped(block.title));
            for (const QString &note : block.notes)
                out += QStringLiteral("<p class=\"note\">%1</p>\n").arg(escaped(note));
            out += table(block.table, true);
            for (const Report::Chart &chart : block.charts)
                out += QStringLiteral("<figure class=\"chart\" id=\"chart-%1\">").arg(++charts) +
                       QString::fromUtf8(ReportChart::svg(chart)) + QStringLiteral("</figure>\n");
            if (!block.othersTitle.isEmpty()) {
                out += QStringLiteral("<h4>%1</h4>\n").arg(escaped(block.othersTitle));
                out += block.others.isEmpty() ? QStringLiteral("<p class=\"note\">（无）</p>\n")
                                              : table(block.others, true);
            }
            out += QStringLiteral("</article>\n");
        }
        if (s == 0) // the cover ends with the contents
            out += contents;
        out += QStringLiteral("</section>\n");
    }
    out += QStringLiteral("</body>\n</html>\n");
    return out.toUtf8();
}

QByteArray pdf(const Report::Content &content)
{
    QList<Report::Chart> charts;
    QTextDocument doc;
    doc.setDefaultFont(ReportChart::font(9.5));
    doc.setDefaultStyleSheet(QStringLiteral("h1{font-size:18pt; color:#1f4e80} h2{font-size:14pt; color:#1f4e80} "
                                            "h3{font-size:11pt} th{text-align:left}"));
    doc.setHtml(richText(content, charts));
    ChartObjects objects(charts);
    doc.documentLayout()->registerHandler(kChartObject, &objects);
    placeCharts(doc);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(content.title);
    writer.setCreator(QStringLiteral("csr-collect"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(300);
    doc.print(&writer);
    buffer.close();
    return buffer.data();
}

bool write(const Report::Content &content, const QString &path, QString &error, FileSystemCalls *files)
{
    const QByteArray bytes = path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? pdf(content) : html(content);
    // Held like a merge's output folder, so that no merge's clean-up takes the file half-written.
    const Folders::Hold hold(FileSystemCalls::nativeFolderOf(FileSystemCalls::nativePath(path)),
                             Folders::kTemporaryTag);
    SafeFile file(path, files ? *files : FileSystemCalls::system());
    if (file.open(Folders::kTemporaryTag) && file.write(bytes) && file.commit())
        return true;
    error = file.errorText();
    return false;
}

} // namespace ReportWriter

#include "ReportWriter.moc"
