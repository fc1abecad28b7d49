// Every figure goes in as the number its cell carries (the same exact value
// the HTML gives in data-value), formatted with the decimals its text shows.
// The workbook is held in memory until it is closed (a report is small), so
// that the contents, the first sheet, are written last, when every entry's
// cell is known.
#include "collect/report/ReportWorkbook.h"

#include "collect/export/Formats.h"
#include "collect/export/XlsxFile.h"
#include "platform/SafeFile.h"

#include <QHash>

#include <cmath>
#include <string>
#include <xlsxwriter.h>

namespace ReportWorkbook {
namespace {

using Report::Block;
using Report::Section;
using Report::Table;

// A part longer than this many rows gets a sheet for each of its sections.
constexpr qsizetype kMostRowsOnASheet = 1000;
// Widths in characters: the captions' column, the figures' columns.
constexpr double kCaptionWidth = 46;
constexpr double kFigureWidth = 14;
constexpr double kContentsWidths[] = {26, 30, 60, 20};

enum class Style { Plain, Title, Heading, Question, Subtitle, Note, Header, Dash, Link };

// A line of the contents: a part (level 0), a section (1) or a question (2), and where it starts.
struct Entry {
    int level;
    QString title;
    QString sheet;
    lxw_row_t row;
};

// The number format that shows a figure as its text begins: "12.50" as
// #,##0.00, "12.5%" as 0.0%.
QString formatOf(const QString &text)
{
    qsizetype end = 0;
    while (end < text.size() && (text[end].isDigit() || QStringView(u",.-").contains(text[end])))
        ++end;
    const qsizetype point = text.left(end).indexOf(QLatin1Char('.'));
    const QString zeros = point < 0 ? QString() : QLatin1Char('.') + QString(end - point - 1, QLatin1Char('0'));
    if (text.mid(end).startsWith(QLatin1Char('%')))
        return QLatin1Char('0') + zeros + QLatin1Char('%');
    return QStringLiteral("#,##0") + zeros;
}

class Book {
public:
    explicit Book(SafeFile &file) : xlsx_(file, nullptr), book_(xlsx_.book())
    {
        if (!book_)
            return;
        const Format *excel = Formats::of(Formats::all(), kExtension.toString());
        limit_ = excel ? excel->limit : TextLimit{};
        styles_.insert(Style::Plain, nullptr);
        add(Style::Title, [](lxw_format *f) { format_set_bold(f), format_set_font_size(f, 15); });
        add(Style::Heading,
            [](lxw_format *f) { format_set_bold(f), format_set_font_size(f, 13), format_set_font_color(f, 0x1F4E80); });
        add(Style::Question, [](lxw_format *f) { format_set_bold(f), format_set_font_size(f, 12); });
        add(Style::Subtitle, [](lxw_format *f) { format_set_bold(f); });
        add(Style::Note, [](lxw_format *f) { format_set_font_color(f, 0x555555); });
        add(Style::Header, [](lxw_format *f) {
            format_set_bold(f), format_set_bg_color(f, 0xE8EEF5), format_set_bottom(f, LXW_BORDER_THIN);
        });
        add(Style::Dash, [](lxw_format *f) { format_set_align(f, LXW_ALIGN_RIGHT); });
        add(Style::Link, [](lxw_format *f) { format_set_font_color(f, LXW_COLOR_BLUE), format_set_underline(f, 1); });
    }
    Book(const Book &) = delete;
    Book &operator=(const Book &) = delete;

    bool ok() const { return xlsx_.ok(); }

    lxw_worksheet *sheet(const QString &name)
    {
        if (!book_)
            return nullptr;
        const QByteArray utf8 = name.toUtf8();
        const lxw_error invalid = workbook_validate_sheet_name(book_, utf8.constData());
        note(invalid);
        return invalid == LXW_NO_ERROR ? workbook_add_worksheet(book_, utf8.constData()) : nullptr;
    }

    void title(const QString &title)
    {
        std::string utf8 = title.toStdString();
        lxw_doc_properties properties{};
        properties.title = utf8.data();
        note(workbook_set_properties(book_, &properties));
    }

    void text(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t col, const QString &text, Style style = Style::Plain)
    {
        if (!sheet || text.isEmpty())
            return;
        const QByteArray utf8 = text.toUtf8();
        const std::string cut(limit_.cut(utf8).toByteArray().toStdString());
        note(worksheet_write_string(sheet, row, col, cut.c_str(), styles_.value(style)));
    }

    // A figure as its number where it has one, shown as the HTML shows it; else its text.
    void cell(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t col, const QString &shown, const QString &exact,
              bool figure)
    {
        bool isNumber = false;
        const double value = exact.toDouble(&isNumber);
        if (!sheet || !figure || !isNumber || !std::isfinite(value))
            return text(sheet, row, col, shown, figure ? Style::Dash : Style::Plain);
        note(worksheet_write_number(sheet, row, col, value, number(formatOf(shown))));
    }

    // A link to a cell of a sheet of this workbook.
    void link(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t col, const QString &text, const QString &toSheet,
              lxw_row_t toRow)
    {
        QString quoted = toSheet;
        quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
        const std::string url = QStringLiteral("internal:'%1'!A%2").arg(quoted).arg(toRow + 1).toStdString();
        const std::string shown = text.toStdString();
        note(worksheet_write_url_opt(sheet, row, col, url.c_str(), styles_.value(Style::Link), shown.c_str(), nullptr));
    }

    bool close()
    {
        book_ = nullptr;
        return xlsx_.close(QStringLiteral("无法写出 Excel 报告："));
    }

private:
    template <typename Set> void add(Style style, Set set)
    {
        lxw_format *format = workbook_add_format(book_);
        set(format);
        styles_.insert(style, format);
    }

    // One format for each way of showing a figure, made once.
    lxw_format *number(const QString &code)
    {
        if (lxw_format *made = numbers_.value(code))
            return made;
        lxw_format *format = workbook_add_format(book_);
        format_set_num_format(format, code.toLatin1().constData());
        numbers_.insert(code, format);
        return format;
    }

    void note(lxw_error error) { xlsx_.note(error); }

    XlsxFile xlsx_;
    lxw_workbook *book_; // xlsx_'s, until it is closed
    TextLimit limit_{};
    QHash<Style, lxw_format *> styles_;
    QHash<QString, lxw_format *> numbers_;
};

// Writes blocks one below the other, a row apart, and notes where each
// section and question starts. Without a book it only counts the rows.
class SheetWriter {
public:
    SheetWriter(Book *book, lxw_worksheet *sheet, const QString &name, QList<Entry> &entries)
        : book_(book), sheet_(sheet), name_(name), entries_(entries)
    {
    }

    lxw_worksheet *sheet() const { return sheet_; }
    lxw_row_t row() const { return row_; }
    lxw_col_t columns() const { return columns_; }

    void line(const QString &text, Style style)
    {
        if (book_)
            book_->text(sheet_, row_, 0, text, style);
        ++row_;
    }

    void skip() { ++row_; }

    void block(const Block &b)
    {
        if (!b.heading.isEmpty()) {
            entries_.append({1, b.heading, name_, row_});
            line(b.heading, Style::Heading);
        }
        entries_.append({2, b.title, name_, row_});
        line(b.title, Style::Question);
        notes(b.notes);
        table(b.table);
        for (const Report::Part &part : b.parts) {
            line(part.title, Style::Subtitle);
            notes(part.notes);
            for (const Table &t : part.tables)
                table(t);
        }
        skip();
    }

private:
    void notes(const QStringList &texts)
    {
        for (const QString &text : texts)
            line(text, Style::Note);
    }

    // A column of counts with their shares beside them becomes two: the
    // counts, then the shares as numbers of their own.
    void table(const Table &t)
    {
        QList<bool> withShares(t.header.size(), false);
        for (const QList<Report::Cell> &cells : t.rows)
            for (qsizetype c = 0; c < cells.size() && c < withShares.size(); ++c)
                withShares[c] = withShares[c] || cells[c].hasShare();
        lxw_col_t col = 0;
        for (qsizetype c = 0; c < t.header.size(); ++c) {
            header(col++, t.header[c]);
            if (withShares[c])
                header(col++, t.header[c] + QStringLiteral(" 比例"));
        }
        columns_ = std::max(columns_, col);
        ++row_;
        for (const QList<Report::Cell> &cells : t.rows) {
            col = 0;
            for (qsizetype c = 0; c < cells.size(); ++c) {
                const Report::Cell &cell = cells[c];
                if (book_)
                    book_->cell(sheet_, row_, col, cell.text, cell.value, cell.figure);
                ++col;
                if (!withShares.value(c))
                    continue;
                if (book_ && cell.hasShare())
                    book_->cell(sheet_, row_, col, cell.share.text, cell.share.value, true);
                ++col;
            }
            ++row_;
        }
    }

    void header(lxw_col_t col, const QString &text)
    {
        if (book_)
            book_->text(sheet_, row_, col, text, Style::Header);
    }

    Book *book_;
    lxw_worksheet *sheet_;
    QString name_;
    QList<Entry> &entries_;
    lxw_row_t row_ = 0;
    lxw_col_t columns_ = 1;
};

// A sheet's share of a part: all of it, or one of its sections.
struct SheetPlan {
    QString name;
    QList<const Block *> blocks;
};

qsizetype rowsOf(const Section &section)
{
    QList<Entry> none;
    SheetWriter counter(nullptr, nullptr, {}, none);
    for (const Block &b : section.blocks)
        counter.block(b);
    return qsizetype(counter.row());
}

// A name Excel takes: none of []:*?/\, no quote at either end, 31
// characters at most, and unlike the names taken (in any case).
QString sheetName(const QString &title, QStringList &taken)
{
    QString base = title.simplified();
    for (QChar &c : base)
        if (QStringView(u"[]:*?/\\").contains(c))
            c = QLatin1Char('_');
    while (base.startsWith(QLatin1Char('\'')) || base.endsWith(QLatin1Char('\'')))
        base = base.startsWith(QLatin1Char('\'')) ? base.mid(1) : base.chopped(1);
    if (base.isEmpty())
        base = QStringLiteral("表");
    QString name = base.left(LXW_SHEETNAME_MAX);
    for (int n = 2; taken.contains(name, Qt::CaseInsensitive); ++n) {
        const QString suffix = QStringLiteral("（%1）").arg(n);
        name = base.left(LXW_SHEETNAME_MAX - suffix.size()) + suffix;
    }
    taken << name;
    return name;
}

// A part on one sheet; or, where that would be too long and it has
// sections, a sheet for each section (what comes before the first with it).
QList<SheetPlan> plan(const Section &section, QStringList &taken)
{
    QList<SheetPlan> sheets;
    const bool split = rowsOf(section) > kMostRowsOnASheet;
    for (const Block &b : section.blocks) {
        if (sheets.isEmpty() || (split && !b.heading.isEmpty()))
            sheets.append({sheetName(sheets.isEmpty() || b.heading.isEmpty() ? section.title : b.heading, taken), {}});
        sheets.back().blocks << &b;
    }
    if (sheets.isEmpty())
        sheets.append({sheetName(section.title, taken), {}});
    return sheets;
}

void widths(lxw_worksheet *sheet, lxw_col_t columns)
{
    if (!sheet)
        return;
    worksheet_set_column(sheet, 0, 0, kCaptionWidth, nullptr);
    if (columns > 1)
        worksheet_set_column(sheet, 1, columns - 1, kFigureWidth, nullptr);
}

// A sheet for each part (or section), every question's entry noted.
void partSheets(Book &book, const Report::Content &content, QStringList &taken, QList<Entry> &entries)
{
    for (qsizetype s = 1; s < content.sections.size(); ++s) {
        const Section &section = content.sections[s];
        bool first = true;
        for (const SheetPlan &plan : plan(section, taken)) {
            SheetWriter writer(&book, book.sheet(plan.name), plan.name, entries);
            if (first)
                entries.append({0, section.title, plan.name, 0});
            first = false;
            writer.line(section.title, Style::Title);
            writer.skip();
            for (const Block *b : plan.blocks)
                writer.block(*b);
            widths(writer.sheet(), writer.columns());
        }
    }
}

// The contents: the report's title and cover, then a row for each part,
// section and question, in the column of its level, linked to where it starts.
void contentsSheet(Book &book, lxw_worksheet *sheet, const QString &name, const Report::Content &content,
                   const QList<Entry> &entries)
{
    QList<Entry> none;
    SheetWriter writer(&book, sheet, name, none);
    writer.line(content.title, Style::Title);
    writer.skip();
    if (!content.sections.isEmpty())
        for (const Block &b : content.sections.front().blocks)
            writer.block(b);
    writer.line(name, Style::Heading);
    lxw_row_t row = writer.row();
    const QStringList header = {QStringLiteral("部分"), QStringLiteral("节"), QStringLiteral("题目"),
                                QStringLiteral("工作表")};
    for (qsizetype c = 0; c < header.size(); ++c)
        book.text(sheet, row, lxw_col_t(c), header[c], Style::Header);
    for (const Entry &e : entries) {
        ++row;
        book.link(sheet, row, lxw_col_t(e.level), e.title, e.sheet, e.row);
        book.text(sheet, row, lxw_col_t(header.size() - 1), e.sheet);
    }
    if (!sheet)
        return;
    for (lxw_col_t c = 0; c < std::size(kContentsWidths); ++c)
        worksheet_set_column(sheet, c, c, kContentsWidths[c], nullptr);
}

} // namespace

bool isWorkbookPath(const QString &path)
{
    return path.endsWith(kExtension, Qt::CaseInsensitive);
}

bool write(const Report::Content &content, SafeFile &file)
{
    Book book(file);
    if (!book.ok())
        return false;
    book.title(content.title);
    QStringList taken;
    const QString contentsName = sheetName(QStringLiteral("目录"), taken);
    lxw_worksheet *contents = book.sheet(contentsName);
    QList<Entry> entries;
    partSheets(book, content, taken, entries);
    contentsSheet(book, contents, contentsName, content, entries);
    return book.close();
}

} // namespace ReportWorkbook
