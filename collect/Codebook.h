// The codebook: one row per variable of the data set (variable, line, label,
// type, unit, values), as CSV, Markdown, or a sheet of an Excel workbook.
#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

class DataSet;

namespace Codebook {

QStringList columns();
QList<QStringList> rows(const DataSet &data);

QByteArray toCsv(const DataSet &data);
QByteArray toMarkdown(const DataSet &data);

} // namespace Codebook
