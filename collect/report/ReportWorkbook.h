// The report as an Excel workbook, drawn from the same content as the HTML
// and the PDF: a first sheet "目录" (the cover's table, then every part,
// section and question, each a link to its sheet and cell), then a sheet for
// each part of the survey, or for each of its sections where the part would
// be too long to use. Each question's tables stand under its title, its
// breakdowns below them; counts, shares and statistics are numbers, shown as
// the HTML shows them, so that an analyst can filter, pivot and chart them.
#pragma once

#include "collect/report/ReportParts.h"

#include <QString>
#include <QStringView>

class SafeFile;

namespace ReportWorkbook {

inline constexpr QStringView kExtension = u".xlsx";

// Whether a path names a workbook: .xlsx in any case.
bool isWorkbookPath(const QString &path);

// Finishes the open file and writes the workbook into it by its temporary
// name (libxlsxwriter writes files by name); false, and the file failed with
// why, when it cannot.
bool write(const Report::Content &content, SafeFile &file);

} // namespace ReportWorkbook
