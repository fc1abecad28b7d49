// The report as A4 pages: each section from a new page, a heading kept with
// what follows it, a table that fits a page kept whole, the header row of a
// longer one repeated on each page it runs onto, charts drawn as vectors,
// page numbers at the foot.
#pragma once

#include "collect/report/ReportParts.h"

#include <QByteArray>

namespace ReportPages {

QByteArray pdf(const Report::Content &content);

} // namespace ReportPages
