// The codebook: one row per variable of the data set (variable, line, label,
// type, unit, values, and when it is missing or 不适用), as CSV, Markdown, or
// a sheet of an Excel workbook (export/ writes them).
#pragma once

#include <QList>
#include <QStringList>

class DataSet;

namespace Codebook {

QStringList columns();
// The column of the line number (empty for the file's own variables).
inline constexpr int kLineColumn = 1;
QList<QStringList> rows(const DataSet &data);

} // namespace Codebook
