// The report as A4 pages: the cover, then the contents with each part, tab
// and question and its page, each section from a new page, a heading kept with
// what follows it, a table that fits a page kept whole, the header row of a
// longer one repeated on each page it runs onto, charts drawn as vectors,
// page numbers at the foot.
#pragma once

#include "collect/report/ReportParts.h"

#include <QByteArray>
#include <QList>

namespace ReportPages {

QByteArray pdf(const Report::Content &content);

// Where each laid-out part of the report lands, in order, as pdf() places it:
// its page (from 0), and whether it is a heading or a note.
struct Placed {
    int page;
    bool heading;
};
QList<Placed> placement(const Report::Content &content);

} // namespace ReportPages
