// HTML for browsers and Qt's rich text for the PDF are written from the same
// content; the PDF's charts are text objects that Qt Charts draws straight
// onto the page, so they stay vectors and their text stays text.
#include "collect/report/ReportWriter.h"

#include "collect/merge/OutputSet.h"
#include "collect/report/ReportChart.h"

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

// The walk through the report's sections and blocks, the same for both
// forms; each form says how it writes each part.
class Form {
public:
    virtual ~Form() = default;

    QString walk(const Report::Content &content)
    {
        QString out;
        for (qsizetype s = 0; s < content.sections.size(); ++s) {
            out += sectionStart(s, content.sections[s].title);
            for (const Report::Block &block : content.sections[s].blocks)
                out += this->block(block);
            out += sectionEnd(s, content);
        }
        return out;
    }

protected:
    virtual QString sectionStart(qsizetype index, const QString &title) = 0;
    virtual QString sectionEnd(qsizetype index, const Report::Content &content) = 0;
    virtual QString blockStart(const QString &title) = 0;
    virtual QString blockEnd() = 0;
    virtual QString note(const QString &text) = 0;
    virtual QString tableOf(const Report::Table &t) = 0;
    virtual QString chart(const Report::Chart &chart) = 0;
    virtual QString othersTitle(const QString &title) = 0;
    virtual QString noOthers() = 0;

private:
    QString block(const Report::Block &block)
    {
        QString out;
        if (!block.heading.isEmpty())
            out += QStringLiteral("<h2>%1</h2>\n").arg(escaped(block.heading));
        out += blockStart(block.title);
        for (const QString &text : block.notes)
            out += note(text);
        out += tableOf(block.table);
        for (const Report::Chart &c : block.charts)
            out += chart(c);
        if (!block.othersTitle.isEmpty())
            out += othersTitle(block.othersTitle) + (block.others.isEmpty() ? noOthers() : tableOf(block.others));
        return out + blockEnd();
    }
};

// The page for browsers: sections, articles, and the charts as inline SVG.
class HtmlForm : public Form {
protected:
    QString sectionStart(qsizetype index, const QString &title) override
    {
        return QStringLiteral("<section id=\"s%1\">\n<h1>%2</h1>\n").arg(index + 1).arg(escaped(title));
    }
    QString sectionEnd(qsizetype index, const Report::Content &content) override
    {
        // The cover ends with the contents.
        return (index == 0 ? contents(content) : QString()) + QStringLiteral("</section>\n");
    }
    QString blockStart(const QString &title) override
    {
        return QStringLiteral("<article>\n<h3>%1</h3>\n").arg(escaped(title));
    }
    QString blockEnd() override { return QStringLiteral("</article>\n"); }
    QString note(const QString &text) override
    {
        return QStringLiteral("<p class=\"note\">%1</p>\n").arg(escaped(text));
    }
    QString tableOf(const Report::Table &t) override { return table(t, true); }
    QString chart(const Report::Chart &chart) override
    {
        return QStringLiteral("<figure class=\"chart\" id=\"chart-%1\">").arg(++charts_) +
               QString::fromUtf8(ReportChart::svg(chart)) + QStringLiteral("</figure>\n");
    }
    QString othersTitle(const QString &title) override { return QStringLiteral("<h4>%1</h4>\n").arg(escaped(title)); }
    QString noOthers() override { return QStringLiteral("<p class=\"note\">（无）</p>\n"); }

private:
    static QString contents(const Report::Content &content)
    {
        QString out = QStringLiteral("<nav><h2>目录</h2><ol>");
        for (qsizetype s = 1; s < content.sections.size(); ++s)
            out +=
                QStringLiteral("<li><a href=\"#s%1\">%2</a></li>").arg(s + 1).arg(escaped(content.sections[s].title));
        return out + QStringLiteral("</ol></nav>\n");
    }

    int charts_ = 0;
};

// The report in Qt's rich text, for the PDF, with an image placeholder for
// each chart; the charts are kept in their order for the placeholders.
class RichTextForm : public Form {
public:
    QList<Report::Chart> charts;

protected:
    QString sectionStart(qsizetype index, const QString &title) override
    {
        return QStringLiteral("<h1 style=\"%1\">%2</h1>\n")
            .arg(index == 0 ? QString() : QStringLiteral("page-break-before: always"), escaped(title));
    }
    QString sectionEnd(qsizetype, const Report::Content &) override { return {}; }
    QString blockStart(const QString &title) override { return QStringLiteral("<h3>%1</h3>\n").arg(escaped(title)); }
    QString blockEnd() override { return {}; }
    QString note(const QString &text) override
    {
        return QStringLiteral("<p style=\"color:#555555\">%1</p>\n").arg(escaped(text));
    }
    QString tableOf(const Report::Table &t) override { return table(t, false); }
    QString chart(const Report::Chart &chart) override
    {
        charts.append(chart);
        return QStringLiteral("<p><img src=\"%1%2\"></p>\n").arg(kChartScheme).arg(charts.size() - 1);
    }
    QString othersTitle(const QString &title) override
    {
        return QStringLiteral("<p><b>%1</b></p>\n").arg(escaped(title));
    }
    QString noOthers() override { return QStringLiteral("<p>（无）</p>\n"); }
};

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

// The report's formats by extension; .htm is taken too, but not offered.
struct ReportFormat {
    QStringView extension;
    QByteArray (*render)(const Report::Content &content);
    bool named;
};
const ReportFormat kFormats[] = {{u".html", html, true}, {u".htm", html, false}, {u".pdf", pdf, true}};

const ReportFormat *formatOf(const QString &path)
{
    for (const ReportFormat &format : kFormats)
        if (path.endsWith(format.extension, Qt::CaseInsensitive))
            return &format;
    return nullptr;
}

} // namespace

bool builtIn()
{
    return true;
}

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
    out += HtmlForm().walk(content);
    out += QStringLiteral("</body>\n</html>\n");
    return out.toUtf8();
}

QByteArray pdf(const Report::Content &content)
{
    RichTextForm form;
    const QString text = QStringLiteral("<html><body>") + form.walk(content) + QStringLiteral("</body></html>");
    QTextDocument doc;
    doc.setDefaultFont(ReportChart::font(9.5));
    doc.setDefaultStyleSheet(QStringLiteral("h1{font-size:18pt; color:#1f4e80} h2{font-size:14pt; color:#1f4e80} "
                                            "h3{font-size:11pt} th{text-align:left}"));
    doc.setHtml(text);
    ChartObjects objects(form.charts);
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

QByteArray render(const Report::Content &content, const QString &path)
{
    const ReportFormat *format = formatOf(path);
    return format ? format->render(content) : html(content);
}

bool write(const Report::Content &content, const QString &path, QString &error, FileSystemCalls *files)
{
    return writeAlone(path, render(content, path), error, files);
}

} // namespace ReportWriter

#include "ReportWriter.moc"
