// The formats the collector writes, told by a file name's extension.
#pragma once

#include <QString>

enum class FileFormat { Unknown, Csv, Xlsx, Sav, Dta, Markdown };

// .csv, .xlsx, .sav, .dta, .md (any case).
FileFormat fileFormatOf(const QString &path);
QString fileFormatName(FileFormat format);
// Whether the format can hold the data set (Markdown holds only the codebook).
inline bool holdsData(FileFormat format)
{
    return format == FileFormat::Csv || format == FileFormat::Xlsx || format == FileFormat::Sav ||
           format == FileFormat::Dta;
}
