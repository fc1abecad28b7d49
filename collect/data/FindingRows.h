// The findings of the data checks as a list for people: one row per finding
// (the file, the enterprise, the check, its severity and description, and the
// values involved in words), as a CSV of its own, a sheet of the workbook, a
// section of the report and a table in the window. The words are made when a
// row is shown: a finding itself keeps only what it is about.
#pragma once

#include "collect/data/DataSet.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace FindingRows {

enum class Column { File, Enterprise, Check, Severity, Description, Values };
inline constexpr int kColumnCount = int(Column::Values) + 1;

// The columns' names, for scripts.
QStringList columns();
// And, when a collector checked any finding, "status" last: "已核实" or "未核实".
QStringList columns(const DataSet &data);
// Their captions, for people (the window, the report).
QStringList captions();

QString cell(const DataSet &data, const DataSet::Finding &finding, Column column);
QStringList cells(const DataSet &data, const DataSet::Finding &finding);
// Every finding's cells, as the CSV and the workbook's sheet hold them (with
// the status when columns(data) has it).
QList<QStringList> rows(const DataSet &data);

// The words of a finding's status.
QString statusText(bool checked);

// The open findings of each check (those no collector checked), in the table's order.
QList<qsizetype> counts(const DataSet &data);

// The checks across records: every pair of rows whose enterprise keys (see
// DataChecks::enterpriseKey, one for each row) are equal, a finding on each
// of the two.
QList<DataSet::Finding> acrossRecords(const QStringList &enterpriseKeys);

} // namespace FindingRows
