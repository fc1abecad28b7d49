// Every part of the report is laid out once into a drawing of its own (a
// heading, a note, a table's row, a chart), measured in the PDF's own fonts;
// the pages are then filled with them in order, and each is painted where it
// lands. The page is counted in CSS pixels (96 per inch), as the charts are.
#include "collect/report/ReportPages.h"

#include "collect/report/ReportChart.h"
#include "collect/report/ReportDrawing.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>

namespace ReportPages {
namespace {

using Report::Drawing;

constexpr int kDpi = 96;
constexpr qreal kMargin = 57;       // 15 mm
constexpr qreal kFootRoom = 30;     // below the text, for the page number
constexpr int kRowsWithHeading = 3; // of a long table, kept with what opens it
constexpr qreal kCellPadX = 6, kCellPadY = 3;
constexpr qreal kNarrowestColumn = 56; // unless the table is too wide for it
constexpr qreal kLeastColumnEms = 3;   // of a table too wide: two characters of a header a line
constexpr qreal kSmallestCell = 9; // the least size a wide table's text is set at

const QColor kInk(0x22, 0x22, 0x22);
const QColor kNoteInk(0x55, 0x55, 0x55);
const QColor kHeadingInk(0x1f, 0x4e, 0x80);
const QColor kBorder(0xb8, 0xc2, 0xcc);
const QColor kHeaderFill(0xe8, 0xee, 0xf5);

// The styles of the report's texts: size in pixels, weight, colour, space above and below.
struct Style {
    qreal size;
    bool bold;
    QColor colour;
    qreal above;
    qreal below;
};
const Style kTitle{24, true, kHeadingInk, 0, 10};
const Style kTabHeading{18.5, true, kHeadingInk, 14, 4};
const Style kBlockTitle{14.5, true, kInk, 12, 4};
const Style kPartTitle{13, true, kInk, 10, 3};
const Style kNote{12, false, kNoteInk, 0, 3};
const Style kCell{12, false, kInk, 0, 0};

qreal lineHeight(qreal size)
{
    return size * 1.45;
}

// One laid-out part: a drawing, and how it takes to the page's end.
struct Piece {
    enum class Kind { Heading, Text, TableHeader, TableRow, Chart };
    Kind kind;
    Drawing drawing;
    int table = -1;          // the table a header or row belongs to
    bool pageBefore = false; // a section's title
};

// A line of the contents: a part (0), a tab's heading (1) or a question (2),
// and the piece that opens it.
struct Entry {
    int level;
    QString title;
    qsizetype piece;
};

class Layout {
public:
    explicit Layout(const QPaintDevice *device) : device_(device) {}

    QList<Piece> pieces;
    QList<Entry> entries; // of every part after the cover

    void content(const Report::Content &content);
    // The pieces with the contents after the cover, each entry with its page
    // (none yet: blank); the contents take the same room either way.
    QList<Piece> withContents(const QList<int> &pages) const;
    // Where the piece that opens an entry stands once the contents are in.
    qsizetype afterContents(qsizetype piece) const { return piece + entries.size() + 1; }

private:
    QStringList lines(const QString &text, const QFont &font, qreal width) const;
    void text(const QString &text, const Style &style, Piece::Kind kind, bool pageBefore = false);
    void table(const Report::Table &table);
    void chart(const Report::Chart &chart);
    void block(const Report::Block &block);
    Piece entry(const Entry &entry, const QString &page) const;

    const QPaintDevice *device_;
    int tables_ = 0;
};

const qreal kPageWidth = QPageSize(QPageSize::A4).sizePoints().width() * kDpi / 72.0;
const qreal kPageHeight = QPageSize(QPageSize::A4).sizePoints().height() * kDpi / 72.0;
const qreal kTextWidth = kPageWidth - 2 * kMargin;
const qreal kTextHeight = kPageHeight - 2 * kMargin - kFootRoom;

// The text broken into lines of the width, by the font's own measure: between
// Chinese characters and at blanks, anywhere in a word that alone is too wide.
QStringList Layout::lines(const QString &text, const QFont &font, qreal width) const
{
    QStringList out;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font, device_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            out << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    if (out.isEmpty())
        out << QString();
    return out;
}

void Layout::text(const QString &text, const Style &style, Piece::Kind kind, bool pageBefore)
{
    Piece piece{kind, {}, -1, pageBefore};
    const qreal line = lineHeight(style.size);
    qreal y = style.above;
    for (const QString &l : lines(text, Report::font(style.size, style.bold), kTextWidth)) {
        piece.drawing.text({0, y + (line - style.size) / 2 + 0.82 * style.size}, l, style.size, style.colour,
                           style.bold);
        y += line;
    }
    if (&style == &kTitle) {
        piece.drawing.rule(QLineF(0, y + 3, kTextWidth, y + 3), QColor(0x8a, 0xa4, 0xc0), 2);
        y += 5;
    }
    piece.drawing.size = QSizeF(kTextWidth, y + style.below);
    pieces << piece;
}

// A table's columns at a size of its text, and whether its figures fit on one line each.
struct ColumnWidths {
    QList<qreal> widths;
    bool fits;
};

// Columns as wide as their widest cell, the first taking what is left. Where
// that is too wide, a column of figures keeps its widest figure on one line,
// and texts (headers too) wrap, each column giving up in proportion.
ColumnWidths columnWidths(const Report::Table &t, qreal size, const QPaintDevice *device)
{
    const QFontMetricsF plainMetrics(Report::font(size), device), boldMetrics(Report::font(size, true), device);
    const qsizetype columns = t.header.size();
    auto widthOf = [&](const QFontMetricsF &metrics, const QString &text) {
        return metrics.horizontalAdvance(text) + 2 * kCellPadX + 1;
    };
    QList<qreal> natural(columns, kNarrowestColumn), narrowest(columns, kLeastColumnEms * size);
    for (qsizetype c = 0; c < columns; ++c) {
        natural[c] = std::max(natural[c], widthOf(boldMetrics, t.header[c]));
        for (const QList<Report::Cell> &row : t.rows) {
            if (c >= row.size())
                continue;
            const qreal w = widthOf(plainMetrics, row[c].shown());
            natural[c] = std::max(natural[c], w);
            if (row[c].figure || row[c].unbroken)
                narrowest[c] = std::max(narrowest[c], w);
        }
    }
    // The captions' column keeps room for a few words a line.
    narrowest[0] = std::max(narrowest[0], std::min(natural[0], kTextWidth / 5));
    qreal total = 0, least = 0;
    for (qsizetype c = 0; c < columns; ++c) {
        total += natural[c];
        least += narrowest[c];
    }
    QList<qreal> widths = natural;
    if (total <= kTextWidth) {
        widths[0] += kTextWidth - total;
    } else if (least < kTextWidth && total > least) {
        for (qsizetype c = 0; c < columns; ++c)
            widths[c] = narrowest[c] + (natural[c] - narrowest[c]) * (kTextWidth - least) / (total - least);
    } else {
        for (qreal &w : widths)
            w *= kTextWidth / total;
    }
    return {widths, least <= kTextWidth};
}

// A table's rows as pieces, its header first.
void Layout::table(const Report::Table &t)
{
    const int id = tables_++;
    const qsizetype columns = t.header.size();
    if (columns == 0)
        return;
    // A table too wide for its figures at the text's size is set smaller.
    qreal size = kCell.size;
    ColumnWidths fitted = columnWidths(t, size, device_);
    for (; !fitted.fits && size > kSmallestCell; fitted = columnWidths(t, size, device_))
        size -= 0.5;
    const QList<qreal> &widths = fitted.widths;
    const QFont plain = Report::font(size), bold = Report::font(size, true);

    auto row = [&](const QList<Report::Cell> &cells, bool header) {
        const QFont &font = header ? bold : plain;
        QList<QStringList> wrapped;
        qsizetype most = 1;
        for (qsizetype c = 0; c < columns; ++c) {
            wrapped << lines(c < cells.size() ? cells[c].shown() : QString(), font, widths[c] - 2 * kCellPadX);
            most = std::max(most, wrapped.back().size());
        }
        const qreal line = lineHeight(size);
        const qreal height = qreal(most) * line + 2 * kCellPadY;
        Piece piece{header ? Piece::Kind::TableHeader : Piece::Kind::TableRow, {}, id};
        Drawing &d = piece.drawing;
        if (header)
            d.box(QRectF(0, 0, kTextWidth, height), kHeaderFill);
        qreal x = 0;
        for (qsizetype c = 0; c < columns; ++c) {
            const bool right = !header && c < cells.size() && cells[c].figure;
            for (qsizetype l = 0; l < wrapped[c].size(); ++l) {
                const qreal y = kCellPadY + qreal(l) * line + (line - size) / 2 + 0.82 * size;
                d.text({right ? x + widths[c] - kCellPadX : x + kCellPadX, y}, wrapped[c][l], size, kInk, header,
                       right ? Qt::AlignRight : Qt::AlignLeft);
            }
            d.rule(QLineF(x, 0, x, height), kBorder, 0.75);
            x += widths[c];
        }
        d.rule(QLineF(kTextWidth, 0, kTextWidth, height), kBorder, 0.75);
        d.rule(QLineF(0, 0, kTextWidth, 0), kBorder, 0.75);
        d.rule(QLineF(0, height, kTextWidth, height), kBorder, 0.75);
        d.size = QSizeF(kTextWidth, height);
        pieces << piece;
    };
    QList<Report::Cell> headerCells;
    for (const QString &h : t.header)
        headerCells << Report::Cell{h};
    row(headerCells, true);
    for (const QList<Report::Cell> &cells : t.rows)
        row(cells, false);
    // Room below the table.
    pieces.back().drawing.size.rheight() += 8;
}

void Layout::chart(const Report::Chart &chart)
{
    Piece piece{Piece::Kind::Chart, ReportChart::layout(chart)};
    piece.drawing.size.rheight() += 8;
    pieces << piece;
}

void Layout::block(const Report::Block &b)
{
    if (!b.heading.isEmpty()) {
        entries.append({1, b.heading, pieces.size()});
        text(b.heading, kTabHeading, Piece::Kind::Heading);
    }
    entries.append({2, b.title, pieces.size()});
    text(b.title, kBlockTitle, Piece::Kind::Heading);
    for (const QString &note : b.notes)
        text(note, kNote, Piece::Kind::Heading);
    table(b.table);
    for (const Report::Chart &c : b.charts)
        chart(c);
    for (const Report::Part &part : b.parts) {
        text(part.title, kPartTitle, Piece::Kind::Heading);
        for (const QString &note : part.notes)
            text(note, kNote, Piece::Kind::Heading);
        for (const Report::Table &t : part.tables)
            table(t);
        for (const Report::Chart &c : part.charts)
            chart(c);
    }
}

void Layout::content(const Report::Content &content)
{
    for (qsizetype s = 0; s < content.sections.size(); ++s) {
        const qsizetype entriesBefore = entries.size();
        if (s > 0)
            entries.append({0, content.sections[s].title, pieces.size()});
        text(content.sections[s].title, kTitle, Piece::Kind::Heading, s > 0);
        for (const Report::Block &b : content.sections[s].blocks)
            block(b);
        if (s == 0)
            entries.resize(entriesBefore); // the cover is not in the contents it opens
    }
}

// An entry's title wrapped beside the column of page numbers, indented by its level.
Piece Layout::entry(const Entry &e, const QString &page) const
{
    constexpr qreal kIndent = 18, kNumberColumn = 44;
    const qreal size = e.level == 2 ? 11.5 : 12.5;
    const bool bold = e.level < 2;
    const qreal line = lineHeight(size);
    const qreal indent = e.level * kIndent;
    Piece piece{Piece::Kind::Text, {}};
    qreal y = e.level == 0 ? 8 : 0;
    const QStringList titleLines = lines(e.title, Report::font(size, bold), kTextWidth - indent - kNumberColumn);
    for (qsizetype l = 0; l < titleLines.size(); ++l) {
        const qreal base = y + (line - size) / 2 + 0.82 * size;
        piece.drawing.text({indent, base}, titleLines[l], size, kInk, bold);
        if (l + 1 == titleLines.size())
            piece.drawing.text({kTextWidth, base}, page, size, kInk, bold, Qt::AlignRight);
        y += line;
    }
    piece.drawing.size = QSizeF(kTextWidth, y);
    return piece;
}

QList<Piece> Layout::withContents(const QList<int> &pages) const
{
    if (entries.isEmpty())
        return pieces;
    QList<Piece> out = pieces.mid(0, entries.front().piece);
    Layout contents(device_);
    contents.text(QStringLiteral("目录"), kTitle, Piece::Kind::Heading, true);
    out << contents.pieces;
    for (qsizetype e = 0; e < entries.size(); ++e)
        out << entry(entries[e], e < pages.size() ? QString::number(pages[e]) : QString());
    out << pieces.mid(entries.front().piece);
    return out;
}

// How big a chart is drawn: the text's width, or smaller where it would not fit a page.
qreal scaleOf(const Piece &piece)
{
    if (piece.kind != Piece::Kind::Chart)
        return 1;
    const QSizeF size = piece.drawing.size;
    return std::min(kTextWidth / size.width(), kTextHeight / size.height());
}

qreal heightOf(const Piece &piece)
{
    return piece.drawing.size.height() * scaleOf(piece);
}

// Fills the pages in order and paints each piece where it lands (or, with
// no painter, only notes where).
class Pages {
public:
    Pages(QPdfWriter *writer, QPainter *painter, const QList<Piece> &pieces)
        : writer_(writer), painter_(painter), pieces_(pieces), pageOf(pieces.size(), -1)
    {
    }

    QList<Placed> placed;

    void fill()
    {
        for (qsizetype i = 0; i < pieces_.size();) {
            const Piece &piece = pieces_[i];
            if (piece.pageBefore && y_ > 0)
                newPage();
            if (piece.kind == Piece::Kind::Heading)
                i = placeHeadings(i);
            else if (piece.kind == Piece::Kind::TableHeader)
                i = placeTable(i, false);
            else
                place(pieces_[i++], false);
        }
        foot();
    }

private:
    // The run of headings and notes that starts at i, on one page with the
    // start of what follows it, which is placed here too.
    qsizetype placeHeadings(qsizetype i)
    {
        qsizetype end = i;
        qreal headings = 0;
        while (end < pieces_.size() && pieces_[end].kind == Piece::Kind::Heading &&
               (end == i || !pieces_[end].pageBefore))
            headings += heightOf(pieces_[end++]);
        makeRoom(headings + opening(end, headings));
        while (i < end)
            place(pieces_[i++], false);
        if (end == pieces_.size() || pieces_[end].pageBefore || pieces_[end].kind == Piece::Kind::Heading)
            return end;
        if (pieces_[end].kind == Piece::Kind::TableHeader)
            return placeTable(end, true);
        place(pieces_[end], true);
        return end + 1;
    }

    // The end of the table that starts at the header at i.
    qsizetype tableEnd(qsizetype i) const
    {
        qsizetype end = i + 1;
        while (end < pieces_.size() && pieces_[end].kind == Piece::Kind::TableRow &&
               pieces_[end].table == pieces_[i].table)
            ++end;
        return end;
    }

    qreal heightOf(qsizetype first, qsizetype end) const
    {
        qreal h = 0;
        for (qsizetype k = first; k < end; ++k)
            h += ReportPages::heightOf(pieces_[k]);
        return h;
    }
    static qreal heightOf(const Piece &piece) { return ReportPages::heightOf(piece); }

    // The most a chart below headings of that height may take: the rest of
    // the page, or half a page where the headings take more.
    static qreal roomBelow(qreal headings) { return std::max(kTextHeight - headings, kTextHeight / 2); }

    // How much of what starts at i must stand on the same page as the
    // headings above it: a table whole where it fits there, else its header
    // and first rows; a chart, drawn smaller where it would not fit.
    qreal opening(qsizetype i, qreal headings) const
    {
        if (i >= pieces_.size() || pieces_[i].pageBefore)
            return 0;
        if (pieces_[i].kind == Piece::Kind::Chart)
            return std::min(heightOf(pieces_[i]), roomBelow(headings));
        if (pieces_[i].kind != Piece::Kind::TableHeader)
            return heightOf(pieces_[i]);
        const qsizetype end = tableEnd(i);
        const qreal whole = heightOf(i, end);
        return headings + whole <= kTextHeight ? whole : heightOf(i, std::min(end, i + 1 + kRowsWithHeading));
    }

    // A table kept whole where it fits a page, else run on with its header
    // repeated. Below headings, their room was made for its start already.
    qsizetype placeTable(qsizetype header, bool belowHeadings)
    {
        const qsizetype end = tableEnd(header);
        if (!belowHeadings)
            makeRoom(opening(header, 0));
        place(pieces_[header], false);
        for (qsizetype k = header + 1; k < end; ++k) {
            if (y_ + heightOf(pieces_[k]) > kTextHeight && y_ > 0) {
                newPage();
                place(pieces_[header], false);
            }
            place(pieces_[k], false);
        }
        return end;
    }

    void makeRoom(qreal need)
    {
        if (y_ > 0 && y_ + need > kTextHeight)
            newPage();
    }

    // A chart below headings is drawn smaller where the page has less room left.
    void place(const Piece &piece, bool belowHeadings)
    {
        qreal scale = scaleOf(piece);
        if (belowHeadings && piece.kind == Piece::Kind::Chart)
            scale = std::min(scale, roomBelow(y_) / piece.drawing.size.height());
        makeRoom(piece.drawing.size.height() * scale);
        if (painter_)
            Report::paint(piece.drawing, *painter_, QPointF(kMargin, kMargin + y_), scale);
        placed.append({page_, piece.kind == Piece::Kind::Heading});
        int &first = pageOf[&piece - pieces_.constData()];
        if (first < 0)
            first = page_;
        y_ += piece.drawing.size.height() * scale;
    }

    void foot()
    {
        if (!painter_)
            return;
        Drawing number;
        number.text({kPageWidth / 2, kPageHeight - kMargin + 6}, QString::number(page_ + 1), 11, kNoteInk, false,
                    Qt::AlignHCenter);
        Report::paint(number, *painter_, QPointF(0, 0));
    }

    void newPage()
    {
        foot();
        if (writer_)
            writer_->newPage();
        ++page_;
        y_ = 0;
    }

    QPdfWriter *writer_;
    QPainter *painter_;
    const QList<Piece> &pieces_;
    qreal y_ = 0;
    int page_ = 0;

public:
    QList<int> pageOf; // of each piece, where it first stands
};

// The report's parts laid out in the writer's fonts, the writer set up to draw them.
QList<Piece> laidOut(QPdfWriter &writer, const Report::Content &content)
{
    writer.setTitle(content.title);
    writer.setCreator(QStringLiteral("csr-collect"));
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    Layout layout(&writer);
    layout.content(content);
    // The contents' page numbers are known once the pages are filled.
    const QList<Piece> blank = layout.withContents({});
    Pages dry(nullptr, nullptr, blank);
    dry.fill();
    QList<int> pages;
    for (const Entry &e : layout.entries)
        pages << dry.pageOf[layout.afterContents(e.piece)] + 1;
    return layout.withContents(pages);
}

} // namespace

QByteArray pdf(const Report::Content &content)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        const QList<Piece> pieces = laidOut(writer, content);
        QPainter painter(&writer);
        Pages(&writer, &painter, pieces).fill();
    }
    buffer.close();
    return buffer.data();
}

QList<Placed> placement(const Report::Content &content)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    const QList<Piece> pieces = laidOut(writer, content);
    Pages pages(nullptr, nullptr, pieces);
    pages.fill();
    return pages.placed;
}

} // namespace ReportPages
