#include "collect/export/XlsxFile.h"

#include "platform/SafeFile.h"

XlsxFile::XlsxFile(SafeFile &file, lxw_workbook_options *options) : file_(file)
{
    // Closed before libxlsxwriter opens it by name: Windows lets no second
    // writer open a file that this one holds.
    if (!file.finish())
        return;
    book_ = options ? workbook_new_opt(file.temporaryPath().constData(), options)
                    : workbook_new(file.temporaryPath().constData());
    if (!book_)
        file.fail(QStringLiteral("无法建立 Excel 文件"));
}

XlsxFile::~XlsxFile()
{
    if (book_)
        lxw_workbook_free(book_);
}

bool XlsxFile::close(const QString &failing)
{
    if (!book_)
        return false;
    const lxw_error closed = workbook_close(book_);
    book_ = nullptr;
    note(closed);
    if (error_ != LXW_NO_ERROR)
        file_.fail(failing + QString::fromUtf8(lxw_strerror(error_)));
    return error_ == LXW_NO_ERROR;
}
