// Reading one file found by the search: the result file read and checked,
// made into a record of the data set with its ID (the SHA-256 of its bytes),
// its time, its problems and the lines that are 不适用, unanswered or spoilt;
// or why it is not a result file, in words for the people who sent it.
#pragma once

#include "collect/data/DataSet.h"
#include "collect/input/FileName.h"
#include "collect/input/InputScanner.h"
#include "survey/DataChecks.h"
#include "survey/RecordCheck.h"
#include "survey/ResultFileReader.h"

#include <QList>
#include <QPair>
#include <QString>

namespace RecordReader {

struct Result {
    ResultFileReader::Rejection rejection = ResultFileReader::Rejection::None;
    int rejectionLine = 0;
    QString reason; // why it was rejected
    DataSet::Record record;
    QList<RecordCheck::Problem> problems;
    QList<DataChecks::Finding> findings; // of the data checks that look at one record
    QString enterpriseKey;               // for those across records: see DataChecks::enterpriseKey
    QList<QPair<int, QString>> controlCharacters; // lines that held some, as they were
    QString enterprise;                           // its line as written
    FileName::Match named = FileName::Match::None;
    qint64 modified = 0; // nanoseconds since 1970, as the reader gives it

    bool accepted() const { return rejection == ResultFileReader::Rejection::None; }
};

// Called on the readers' own threads.
Result read(const InputScanner::File &file);

// The same for bytes received otherwise (file.nativePath is not used), with
// the time they count from.
Result readBytes(const InputScanner::File &file, const QByteArray &bytes, qint64 modified);

} // namespace RecordReader
