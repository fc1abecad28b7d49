// The codebook: one row per variable of the data set (variable, line, label,
// type, unit, values, and when it is missing or 不适用), as CSV, Markdown, or
// a sheet of an Excel workbook.
#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

class DataSet;
class SafeFile;

namespace Codebook {

QStringList columns();
QList<QStringList> rows(const DataSet &data);

QByteArray toCsv(const DataSet &data);
QByteArray toMarkdown(const DataSet &data);

// Written into an open file.
bool writeCsv(const DataSet &data, SafeFile &file);
bool writeMarkdown(const DataSet &data, SafeFile &file);

} // namespace Codebook
