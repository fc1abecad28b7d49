// The last step of a merge that ended well, the same from the window and the
// command line: the report drawn from the data set the outputs were written
// from, and written to each path asked for.
#pragma once

#include "collect/report/ReportContent.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ReportStep {

struct Failure {
    QString path;
    QString why;
};

// Returns the paths that could not be written, and why.
QList<Failure> write(const Report::Source &source, const QStringList &paths);

} // namespace ReportStep
