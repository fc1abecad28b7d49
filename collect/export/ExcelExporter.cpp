// libxlsxwriter writes the workbook itself, by the temporary file's name;
// the safe file renames it into place like every other output. Rows go to
// disk as they are written (constant memory), so 100,000 records need no
// more memory than ten.
#include "collect/export/ExcelExporter.h"

#include "collect/data/FindingRows.h"
#include "collect/data/Codebook.h"
#include "collect/data/DataSet.h"
#include "collect/data/ProblemReport.h"
#include "collect/export/XlsxFile.h"
#include "platform/SafeFile.h"

#include <string>
#include <xlsxwriter.h>

namespace ExcelExporter {
namespace {

using Kind = DataSet::Kind;

// Excel refuses a longer page header.
constexpr qsizetype kMostHeaderCharacters = 200;

// Excel counts days from 1899-12-30.
constexpr double kExcelDaysTo1970 = 25569;

bool isNumberInExcel(const DataSet::Variable &v)
{
    return v.kind == Kind::Number || v.kind == Kind::Flag || v.kind == Kind::RankOf || v.kind == Kind::Modified ||
           (v.kind == Kind::Code && v.numericCodes);
}

class Workbook {
public:
    Workbook(SafeFile &file, const TextLimit &limit) : xlsx_(file, &options_), limit_(limit)
    {
        book_ = xlsx_.book();
        if (!book_)
            return;
        bold_ = workbook_add_format(book_);
        format_set_bold(bold_);
        dateTime_ = workbook_add_format(book_);
        format_set_num_format(dateTime_, "yyyy-mm-dd hh:mm:ss");
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    bool ok() const { return xlsx_.ok(); }

    lxw_worksheet *sheet(const char *utf8Name) { return book_ ? workbook_add_worksheet(book_, utf8Name) : nullptr; }
    lxw_worksheet *firstSheet() const { return book_ ? STAILQ_FIRST(book_->worksheets) : nullptr; }

    void text(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t col, QByteArrayView utf8, lxw_format *format = nullptr)
    {
        if (utf8.isEmpty())
            return;
        utf8 = limit_.cut(utf8);
        buffer_.assign(utf8.data(), size_t(utf8.size()));
        note(worksheet_write_string(sheet, row, col, buffer_.c_str(), format));
    }
    void text(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t col, const QString &text, lxw_format *format = nullptr)
    {
        this->text(sheet, row, col, QByteArrayView(text.toUtf8()), format);
    }
    void number(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t col, double value, lxw_format *format = nullptr)
    {
        note(worksheet_write_number(sheet, row, col, value, format));
    }
    void comment(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t col, const QString &text)
    {
        const std::string utf8 = text.toStdString();
        note(worksheet_write_comment(sheet, row, col, utf8.c_str()));
    }

    // A table: a bold header row, then the rows, texts but for the line
    // numbers in the given column, if any, which sort and filter as numbers.
    void table(lxw_worksheet *sheet, const QStringList &columns, const QList<QStringList> &rows, int lineColumn = -1)
    {
        for (int c = 0; c < int(columns.size()); ++c)
            text(sheet, 0, lxw_col_t(c), columns[c], bold_);
        for (qsizetype r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < int(rows[r].size()); ++c) {
                bool isNumber = false;
                const int line = c == lineColumn ? rows[r][c].toInt(&isNumber) : 0;
                if (isNumber)
                    number(sheet, lxw_row_t(r + 1), lxw_col_t(c), line);
                else
                    text(sheet, lxw_row_t(r + 1), lxw_col_t(c), rows[r][c]);
            }
        }
        headerRow(sheet, lxw_row_t(rows.size()), lxw_col_t(columns.size() - 1), 0);
    }

    // The header row stays in view and filters the rows below it.
    void headerRow(lxw_worksheet *sheet, lxw_row_t lastRow, lxw_col_t lastColumn, lxw_col_t frozenColumns)
    {
        worksheet_freeze_panes(sheet, 1, frozenColumns);
        note(worksheet_autofilter(sheet, 0, 0, lastRow, lastColumn));
    }

    bool close()
    {
        book_ = nullptr;
        return xlsx_.close();
    }

    // Says which filter made the workbook: in its properties, and in the
    // printed header of its first sheet, whose first row the table needs.
    void describe(lxw_worksheet *sheet, const QString &filter)
    {
        if (filter.isEmpty() || !book_ || !sheet)
            return;
        std::string comments = filter.toStdString();
        lxw_doc_properties properties{};
        properties.comments = comments.data();
        note(workbook_set_properties(book_, &properties));
        QString header = filter.left(kMostHeaderCharacters);
        std::string left = (QStringLiteral("&L") + header.replace(u'&', QStringLiteral("&&"))).toStdString();
        note(worksheet_set_header(sheet, left.c_str()));
    }

    lxw_format *bold() const { return bold_; }
    lxw_format *dateTime() const { return dateTime_; }

private:
    void note(lxw_error error) { xlsx_.note(error); }

    // Rows go to disk as they are written.
    static lxw_workbook_options rowsToDisk()
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        return options;
    }

    lxw_workbook_options options_ = rowsToDisk();
    XlsxFile xlsx_;
    TextLimit limit_;
    lxw_workbook *book_ = nullptr; // xlsx_'s, until it is closed
    lxw_format *bold_ = nullptr;
    lxw_format *dateTime_ = nullptr;
    std::string buffer_;
};

void codebookSheet(Workbook &book, const DataSet &data)
{
    lxw_worksheet *sheet = book.sheet("变量说明");
    book.table(sheet, Codebook::columns(), Codebook::rows(data), Codebook::kLineColumn);
    worksheet_set_column(sheet, 0, 0, 14, nullptr);
    worksheet_set_column(sheet, 2, 2, 60, nullptr);
    worksheet_set_column(sheet, 3, 3, 24, nullptr);
    worksheet_set_column(sheet, 5, 6, 60, nullptr);
}

void problemSheet(Workbook &book, const ProblemReport &problems)
{
    lxw_worksheet *sheet = book.sheet("问题");
    book.table(sheet, ProblemReport::columns(), problems.rows(), int(ProblemReport::Column::Line));
    worksheet_set_column(sheet, 0, 0, 40, nullptr);
    worksheet_set_column(sheet, 4, 4, 60, nullptr);
}

void checkSheet(Workbook &book, const DataSet &data)
{
    lxw_worksheet *sheet = book.sheet("核查");
    book.table(sheet, FindingRows::columns(data), FindingRows::rows(data));
    worksheet_set_column(sheet, 0, 1, 30, nullptr);
    worksheet_set_column(sheet, 2, 2, 22, nullptr);
    worksheet_set_column(sheet, 4, 5, 60, nullptr);
}

class ExcelData : public Exporter {
public:
    bool open(SafeFile &file, const Target &target) override
    {
        file_ = &file;
        data_ = &target.data;
        problems_ = &target.problems;
        book_ = std::make_unique<Workbook>(file, target.limit);
        sheet_ = book_->sheet("数据");
        book_->describe(sheet_, data_->filter());
        return book_->ok();
    }

    bool header() override
    {
        const QList<DataSet::Variable> &variables = data_->variables();
        worksheet_set_column(sheet_, 0, 0, 28, nullptr);
        worksheet_set_column(sheet_, 1, 1, 19, nullptr);
        worksheet_set_column(sheet_, 2, lxw_col_t(variables.size() - 1), 12, nullptr);
        book_->headerRow(sheet_, lxw_row_t(data_->rowCount()), lxw_col_t(variables.size() - 1), 1);
        for (int c = 0; c < int(variables.size()); ++c) {
            book_->text(sheet_, 0, lxw_col_t(c), variables[c].name, book_->bold());
            book_->comment(sheet_, 0, lxw_col_t(c), variables[c].label);
        }
        return book_->ok();
    }

    bool row(qsizetype index) override
    {
        const QList<DataSet::Variable> &variables = data_->variables();
        const DataSet::Record &record = data_->records()[index];
        const DataSet::Lines lines = DataSet::split(record);
        const lxw_row_t at = lxw_row_t(index + 1);
        for (int c = 0; c < int(variables.size()); ++c) {
            const DataSet::Variable &v = variables[c];
            const DataSet::Cell cell = DataSet::cell(v, record, lines);
            if (!cell.isValue())
                continue; // missing and 不适用 alike are empty
            if (v.kind == Kind::Modified)
                book_->number(sheet_, at, lxw_col_t(c), cell.number / 86400 + kExcelDaysTo1970, book_->dateTime());
            else if (isNumberInExcel(v))
                book_->number(sheet_, at, lxw_col_t(c), cell.number);
            else
                book_->text(sheet_, at, lxw_col_t(c), cell.text);
        }
        return (index & 255) != 255 || book_->ok();
    }

    bool finish() override
    {
        codebookSheet(*book_, *data_);
        problemSheet(*book_, *problems_);
        checkSheet(*book_, *data_);
        return book_->close();
    }

    QString errorText() const override { return file_->errorText(); }

private:
    SafeFile *file_ = nullptr;
    const DataSet *data_ = nullptr;
    const ProblemReport *problems_ = nullptr;
    std::unique_ptr<Workbook> book_;
    lxw_worksheet *sheet_ = nullptr;
};

// A workbook of one sheet.
bool writeOneSheetBook(SafeFile &file, const TextLimit &limit, void (*sheet)(Workbook &, const DataSet &),
                const DataSet &data)
{
    Workbook book(file, limit);
    if (!book.ok())
        return false;
    sheet(book, data);
    book.describe(book.firstSheet(), data.filter());
    return book.close();
}

} // namespace

std::unique_ptr<Exporter> make()
{
    return std::make_unique<ExcelData>();
}

bool writeCodebook(const DataSet &data, SafeFile &file, const TextLimit &limit)
{
    return writeOneSheetBook(file, limit, codebookSheet, data);
}

bool writeChecks(const DataSet &data, SafeFile &file, const TextLimit &limit)
{
    return writeOneSheetBook(file, limit, checkSheet, data);
}

} // namespace ExcelExporter
