// The report written out: one self-contained HTML file (charts inline as
// SVG, nothing loaded from elsewhere) or an A4 PDF (fonts embedded, a page
// break before each section, page numbers, charts as vectors), the format by
// the extension; the workbook of its tables is ReportWorkbook's.
#pragma once

#include "collect/report/ReportParts.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ReportWriter {

// Whether a path names a report: .html, .htm, .pdf or .xlsx in any case.
bool isReportPath(const QString &path);
// The extensions offered, one for each format: .html, .pdf, .xlsx.
QStringList extensions();

QByteArray html(const Report::Content &content);
QByteArray pdf(const Report::Content &content);
// The report in the format of the path's extension; empty for a workbook,
// which ReportWorkbook writes by name.
QByteArray render(const Report::Content &content, const QString &path);

} // namespace ReportWriter
