// Files of one enterprise (line 1, blanks around not counted): the newest
// content is kept, and of byte-identical copies of it the one whose name
// follows line 1 best, then the newest. Files without a name are only
// compared byte for byte.
#pragma once

#include "collect/data/ProblemReport.h"
#include "collect/input/InputScanner.h"
#include "collect/input/RecordReader.h"

#include <QList>

namespace Duplicates {

// What makes two accepted files the same enterprise's: equal keys (empty for
// a file without a name, which only equal bytes make the same).
QString enterpriseOf(const RecordReader::Result &result);

// Which of the accepted files are kept (rejected ones are not). Each dropped
// file gets its entry in entries, one list per file; returns how many were dropped.
qsizetype drop(const QList<InputScanner::File> &files, const QList<RecordReader::Result> &results, QList<bool> &kept,
               QList<QList<ProblemReport::Entry>> &entries);

} // namespace Duplicates
