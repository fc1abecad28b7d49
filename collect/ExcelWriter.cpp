// Writing Excel workbooks with libxlsxwriter.
#include "collect/ExcelWriter.h"

#include "collect/Codebook.h"
#include "collect/DataSet.h"
#include "collect/ProblemReport.h"
#include "collect/RunControl.h"
#include "collect/SafeOutput.h"
#include "collect/TextLimit.h"

#include <QFileInfo>

#include <dlfcn.h>
#include <string>
#include <xlsxwriter.h>

// libxlsxwriter 1.1 has minizip deflate every part of the workbook at zlib's
// default level and offers no setting. The sheet's XML is so repetitive that
// the fastest level costs little in size (12 MB instead of 9.5 MB for 10,000
// records) and saves a third of the time, so the one minizip call that opens
// a part is taken here and passed on with level 1. Where libxlsxwriter carries
// a minizip of its own, this is never called and nothing changes.
extern "C" int zipOpenNewFileInZip4_64(void *file, const char *filename, const void *info, const void *extraLocal,
                                       unsigned extraLocalSize, const void *extraGlobal, unsigned extraGlobalSize,
                                       const char *comment, int method, int level, int raw, int windowBits,
                                       int memLevel, int strategy, const char *password, unsigned long crc,
                                       unsigned long versionMadeBy, unsigned long flagBase, int zip64)
{
    using Open =
        int (*)(void *, const char *, const void *, const void *, unsigned, const void *, unsigned, const char *, int,
                int, int, int, int, int, const char *, unsigned long, unsigned long, unsigned long, int);
    static const Open next = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "zipOpenNewFileInZip4_64"));
    if (!next)
        return -104; // ZIP_INTERNALERROR: the workbook then fails to write, and says so
    constexpr int kFastest = 1;
    return next(file, filename, info, extraLocal, extraLocalSize, extraGlobal, extraGlobalSize, comment, method,
                level == 0 ? 0 : kFastest, raw, windowBits, memLevel, strategy, password, crc, versionMadeBy, flagBase,
                zip64);
}

namespace ExcelWriter {
namespace {

class Workbook {
public:
    explicit Workbook(SafeOutput &out) : out_(out)
    {
        // Constant memory: rows go to disk as they are written, so 100,000
        // records need no more memory than ten.
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        book_ = workbook_new_opt(out.temporaryPath().constData(), &options);
        if (!book_) {
            out.fail(QStringLiteral("无法建立 Excel 文件"));
            return;
        }
        bold_ = workbook_add_format(book_);
        format_set_bold(bold_);
        header_ = workbook_add_format(book_);
        format_set_bold(header_);
        format_set_text_wrap(header_);
        format_set_align(header_, LXW_ALIGN_VERTICAL_TOP);
    }
    ~Workbook()
    {
        if (book_)
            lxw_workbook_free(book_); // never closed: nothing is written
    }

    bool ok() const { return book_ != nullptr && error_ == LXW_NO_ERROR; }

    lxw_worksheet *sheet(const char *utf8Name) { return book_ ? workbook_add_worksheet(book_, utf8Name) : nullptr; }

    void text(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t col, QByteArrayView utf8, lxw_format *format = nullptr)
    {
        if (utf8.isEmpty())
            return;
        utf8 = TextLimit::cut(FileFormat::Xlsx, utf8);
        buffer_.assign(utf8.data(), size_t(utf8.size()));
        note(worksheet_write_string(sheet, row, col, buffer_.c_str(), format));
    }
    void text(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t col, const QString &text, lxw_format *format = nullptr)
    {
        this->text(sheet, row, col, QByteArrayView(text.toUtf8()), format);
    }
    void number(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t col, double value)
    {
        note(worksheet_write_number(sheet, row, col, value, nullptr));
    }

    // A table of text: a bold header row, then the rows.
    void table(lxw_worksheet *sheet, const QStringList &columns, const QList<QStringList> &rows)
    {
        for (int c = 0; c < int(columns.size()); ++c)
            text(sheet, 0, lxw_col_t(c), columns[c], bold_);
        for (qsizetype r = 0; r < rows.size(); ++r)
            for (int c = 0; c < int(rows[r].size()); ++c)
                text(sheet, lxw_row_t(r + 1), lxw_col_t(c), rows[r][c]);
        worksheet_freeze_panes(sheet, 1, 0);
    }

    bool close()
    {
        if (!book_)
            return false;
        const lxw_error closed = workbook_close(book_);
        book_ = nullptr;
        if (error_ == LXW_NO_ERROR)
            error_ = closed;
        if (error_ != LXW_NO_ERROR)
            out_.fail(QString::fromUtf8(lxw_strerror(error_)));
        return error_ == LXW_NO_ERROR;
    }

    lxw_format *header() const { return header_; }

private:
    void note(lxw_error error)
    {
        if (error_ == LXW_NO_ERROR)
            error_ = error;
    }

    SafeOutput &out_;
    lxw_workbook *book_ = nullptr;
    lxw_format *bold_ = nullptr;
    lxw_format *header_ = nullptr;
    lxw_error error_ = LXW_NO_ERROR;
    std::string buffer_;
};

void codebookSheet(Workbook &book, const DataSet &data)
{
    lxw_worksheet *sheet = book.sheet("变量说明");
    book.table(sheet, Codebook::columns(), Codebook::rows(data));
    worksheet_set_column(sheet, 0, 0, 14, nullptr);
    worksheet_set_column(sheet, 2, 2, 60, nullptr);
    worksheet_set_column(sheet, 3, 3, 24, nullptr);
    worksheet_set_column(sheet, 5, 5, 60, nullptr);
}

} // namespace

bool write(const DataSet &data, const ProblemReport &problems, SafeOutput &out, RunControl &control)
{
    const QString item = QFileInfo(out.target()).fileName();
    Workbook book(out);
    if (!book.ok())
        return false;

    lxw_worksheet *sheet = book.sheet("数据");
    const QList<DataSet::Variable> &variables = data.variables();
    worksheet_set_column(sheet, 0, 0, 28, nullptr);
    worksheet_set_column(sheet, 1, lxw_col_t(variables.size() - 1), 12, nullptr);
    worksheet_freeze_panes(sheet, 2, 1);
    for (int c = 0; c < int(variables.size()); ++c)
        book.text(sheet, 0, lxw_col_t(c), variables[c].name, book.header());
    for (int c = 0; c < int(variables.size()); ++c)
        book.text(sheet, 1, lxw_col_t(c), variables[c].label, book.header());

    const qsizetype rows = data.rowCount();
    for (qsizetype row = 0; row < rows; ++row) {
        const DataSet::Record &record = data.records()[row];
        const DataSet::Lines lines = DataSet::split(record);
        const lxw_row_t at = lxw_row_t(row + 2);
        for (int c = 0; c < int(variables.size()); ++c) {
            const DataSet::Variable &v = variables[c];
            const bool numeric = v.kind == DataSet::Kind::Number || v.kind == DataSet::Kind::Flag ||
                                 (v.kind == DataSet::Kind::Code && v.numericCodes);
            if (numeric) {
                if (const auto value = DataSet::number(v, record, lines))
                    book.number(sheet, at, lxw_col_t(c), *value);
            } else {
                book.text(sheet, at, lxw_col_t(c), DataSet::text(v, record, lines));
            }
        }
        if ((row & 255) == 255) {
            if (control.isCancelled() || !book.ok())
                return false;
            control.progress(RunControl::Phase::Writing, row + 1, rows, item);
        }
    }

    codebookSheet(book, data);

    lxw_worksheet *problemSheet = book.sheet("问题");
    QList<QStringList> problemRows;
    for (const ProblemReport::Entry &entry : problems.entries()) {
        QStringList cells;
        for (int c = 0; c < int(ProblemReport::columns().size()); ++c)
            cells << ProblemReport::cell(entry, c);
        problemRows << cells;
    }
    book.table(problemSheet, ProblemReport::columns(), problemRows);
    worksheet_set_column(problemSheet, 0, 0, 40, nullptr);
    worksheet_set_column(problemSheet, 4, 4, 60, nullptr);

    if (control.isCancelled())
        return false;
    control.progress(RunControl::Phase::Writing, rows, rows, item);
    return book.close();
}

bool writeCodebook(const DataSet &data, SafeOutput &out)
{
    Workbook book(out);
    if (!book.ok())
        return false;
    codebookSheet(book, data);
    return book.close();
}

} // namespace ExcelWriter
