// What the report on a merge says, before it is drawn (see ReportParts):
// every figure counted from the data set the exports write and every label
// taken from the survey's definition. HTML and PDF are drawn from this one
// content.
#pragma once

#include "collect/merge/Merge.h"
#include "collect/report/ReportParts.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class DataSet;

namespace Report {

struct Source {
    const DataSet &data;
    QStringList inputs;
    Merge::Summary summary;
    QStringList problemFiles; // the problem reports written beside it, if any
    QDateTime made = QDateTime::currentDateTime();
    QStringList groupBy{}; // the variables each question is broken down by
};

Content build(const Source &source);

} // namespace Report
