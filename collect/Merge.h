// One merge: find the result files in the inputs, read and check each, drop
// duplicates, build the data set and the problem report, and write every
// output. Outputs are all written or none: nothing is replaced before every
// one of them has been written whole.
#pragma once

#include "collect/DataSet.h"
#include "collect/FileFormat.h"
#include "collect/InputScanner.h"
#include "collect/ProblemReport.h"

#include <QList>
#include <QString>
#include <QStringList>

class RunControl;

class Merge {
public:
    struct Options {
        QStringList inputs;
        QStringList outputs; // data sets: .csv, .xlsx, .sav, .dta
        QString codebook;    // .csv, .xlsx or .md; empty for none
        QString problems;    // .csv; empty for none
        int threads = 0;     // readers; 0 for one per processor
    };

    struct Summary {
        qsizetype found = 0;           // result files found (or named)
        qsizetype accepted = 0;        // rows of the data set
        qsizetype rejected = 0;        // not result files
        qsizetype duplicates = 0;      // dropped: older files of the same enterprise, and identical copies
        qsizetype problems = 0;        // problems of accepted files, and inputs that could not be searched
        qsizetype skipped = 0;         // other files in the folders
        bool droppedDiffering = false; // a dropped duplicate that differed from the kept file
        bool cancelled = false;
        QStringList outputErrors; // why an output could not be written

        // 0: every file clean; 1: some files had problems; 2: an output could not be written.
        int exitStatus() const;
        // The one line a person reads at the end.
        QString line() const;
    };

    explicit Merge(Options options);

    // Runs the whole merge on the calling thread (reading uses helper threads).
    Summary run(RunControl &control);

    const DataSet &dataSet() const { return data_; }
    const ProblemReport &problems() const { return report_; }

private:
    struct Outcome;
    void findAndRead(QList<InputScanner::File> &files, QList<Outcome> &outcomes, RunControl &control);
    static void readOne(const InputScanner::File &file, Outcome &outcome);
    void writeOutputs(RunControl &control);

    Options options_;
    DataSet data_;
    ProblemReport report_;
    Summary summary_;
};
