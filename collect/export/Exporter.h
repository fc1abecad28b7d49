// What every writer of the data set does, whatever its format. The merge
// opens it on a safe file, gives it the header and then each row in turn,
// and finishes it; when a step fails, the exporter says why.
#pragma once

#include "collect/data/TextLimit.h"

#include <QString>

class DataSet;
class ProblemReport;
class SafeFile;

class Exporter {
public:
    struct Target {
        const DataSet &data;
        const ProblemReport &problems; // the workbook carries them as a sheet
        QString path;                  // where the output goes when the run succeeds
        QString companion;             // the syntax files: where the CSV they read goes
        TextLimit limit{};             // the longest text a cell of the format holds
    };

    virtual ~Exporter() = default;

    // Starts writing into file, which is open. False when it cannot.
    virtual bool open(SafeFile &file, const Target &target) = 0;
    virtual bool header() = 0;
    // Row index of the data set; rows come in order, each once.
    virtual bool row(qsizetype index) = 0;
    // Writes what is left; the merge then finishes the file.
    virtual bool finish() = 0;
    // Why the last step failed, in words for people.
    virtual QString errorText() const = 0;
};
