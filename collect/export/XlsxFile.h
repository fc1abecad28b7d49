// A workbook that libxlsxwriter writes by the name of a safe file's
// temporary: the first error of any call is kept, and a workbook never
// closed is freed with nothing written.
#pragma once

#include <QString>

#include <xlsxwriter.h>

class SafeFile;

class XlsxFile {
public:
    // Null options for libxlsxwriter's own.
    XlsxFile(SafeFile &file, lxw_workbook_options *options);
    ~XlsxFile();
    XlsxFile(const XlsxFile &) = delete;
    XlsxFile &operator=(const XlsxFile &) = delete;

    // Null when it could not be made (the safe file then says why).
    lxw_workbook *book() const { return book_; }
    bool ok() const { return book_ != nullptr && error_ == LXW_NO_ERROR; }
    void note(lxw_error error)
    {
        if (error_ == LXW_NO_ERROR)
            error_ = error;
    }
    // Written out; else the safe file fails with the first error, after `failing`.
    bool close(const QString &failing = {});

private:
    SafeFile &file_;
    lxw_workbook *book_ = nullptr;
    lxw_error error_ = LXW_NO_ERROR;
};
