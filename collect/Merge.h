// One merge: find the result files in the inputs, read and check each, drop
// duplicates, build the data set and the problem report, and write every
// output. Outputs are all written or none: nothing is replaced before every
// one of them has been written whole, and a cancelled or failed run leaves
// no temporary file behind.
#pragma once

#include "collect/DataSet.h"
#include "collect/Formats.h"
#include "collect/InputScanner.h"
#include "collect/ProblemReport.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <span>
#include <thread>
#include <vector>

class FileSystemCalls;
class RunControl;

namespace Folders {
class Hold;
}

class Merge {
public:
    struct Options {
        QStringList inputs;
        QStringList outputs;   // data sets, each in the format of its extension
        QStringList codebooks; // .csv, .xlsx or .md
        QStringList problems;  // .csv
        int threads = 0;       // readers; 0 for one per processor
        std::span<const Format> formats = Formats::all();
        FileSystemCalls *files = nullptr; // what outputs are written through; the system's when null
    };

    struct Summary {
        qsizetype found = 0;      // .dbf files found (or named)
        qsizetype accepted = 0;   // rows of the data set
        qsizetype rejected = 0;   // not result files
        qsizetype duplicates = 0; // dropped: older files of the same enterprise, and identical copies
        qsizetype problems = 0;   // rows of the problem report
        qsizetype notable = 0;    // of those, the rows that make the exit status 1
        qsizetype skipped = 0;    // other files in the folders
        bool read = false;        // the inputs were read: every output could be started
        bool cancelled = false;
        QStringList outputErrors; // why an output could not be written

        // 0: every file clean; 1: some files had problems; 2: an output could
        // not be written, or the run was cancelled.
        int exitStatus() const;
        // The one line a person reads at the end.
        QString line() const;
    };

    explicit Merge(Options options);
    ~Merge();

    // Runs the whole merge on the calling thread (reading uses helper threads).
    Summary run(RunControl &control);

    const ProblemReport &problems() const { return report_; }
    // The data set of the last run, as the outputs were written from it.
    const DataSet &data() const { return data_; }

private:
    struct Outcome;
    struct Output;
    struct ReadQueue;

    void planOutputs();
    bool startOutputs();
    void findAndRead(QList<InputScanner::File> &files, QList<Outcome> &outcomes, RunControl &control);
    std::vector<std::thread> startReaders(ReadQueue &queue, RunControl &control) const;
    void search(InputScanner &scanner, RunControl &control);
    void waitForReaders(ReadQueue &queue, std::vector<std::thread> &readers, RunControl &control) const;
    void reportSearch(const InputScanner &scanner);
    static void readOne(const InputScanner::File &file, Outcome &outcome);
    QList<bool> dropDuplicates(const QList<InputScanner::File> &files, QList<Outcome> &outcomes,
                               QList<QList<ProblemReport::Entry>> &entries);
    void buildDataSet(const QList<InputScanner::File> &files, QList<Outcome> &outcomes, const QList<bool> &kept,
                      QList<QList<ProblemReport::Entry>> &entries);
    void writeOutputs(RunControl &control);
    bool writeOne(Output &output, RunControl &control);
    void commitOutputs();

    Options options_;
    DataSet data_;
    ProblemReport report_;
    Summary summary_;
    std::vector<std::unique_ptr<Output>> outputs_;
    std::vector<std::unique_ptr<Folders::Hold>> holds_;
    QStringList unread_;
};
