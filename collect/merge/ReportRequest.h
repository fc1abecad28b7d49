// What the report of a merge is asked to be: the files it is drawn into, each
// in the format of its extension (.html, .pdf, .xlsx), and the variables each
// question is broken down by. One value, built by the command line or the
// window and carried by the merge's options: the merge starts the report's
// files with its other outputs, the report step reads the rest.
#pragma once

#include <QStringList>

struct ReportRequest {
    QStringList paths;   // none: no report
    QStringList groupBy; // variables of the data set, each once, in the order asked
    QStringList inputsShown; // how the cover names the inputs; none: as they were given
};
