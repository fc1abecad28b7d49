// One merge: find the result files in the inputs, read and check each, drop
// duplicates, build the data set and the problem report, and write every
// output. Outputs are all written or none: nothing is replaced before every
// one of them, the reports included, has been written whole, and a cancelled
// or failed run leaves no temporary file behind.
#pragma once

#include "collect/data/DataSet.h"
#include "collect/data/ProblemReport.h"
#include "collect/data/RecordFilter.h"
#include "collect/export/Formats.h"
#include "collect/input/InputScanner.h"
#include "collect/input/RecordReader.h"
#include "collect/merge/OutputSet.h"
#include "collect/merge/ReportRequest.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <span>

class FileSystemCalls;
class RunControl;

class Merge {
public:
    struct Options {
        QStringList inputs;
        QStringList outputs;   // data sets, each in the format of its extension
        QStringList codebooks; // .csv, .xlsx or .md
        QStringList problems;  // .csv
        QStringList checks;    // the findings of the data checks: .csv or .xlsx
        ReportRequest report;  // drawn between write() and commit() (see ReportStep)
        RecordFilter filter;   // the records every output holds
        int threads = 0;       // readers; 0 for one per processor
        std::span<const Format> formats = Formats::all();
        FileSystemCalls *files = nullptr; // what outputs are written through; the system's when null
        // Whether a collector marked a file's finding as checked (the server
        // says, by the file's name); none is when not set.
        std::function<bool(const QString &fileName, const DataChecks::Finding &finding)> checked;
    };

    struct Summary {
        qsizetype found = 0;      // .dbf files found (or named)
        qsizetype accepted = 0;   // rows of the data set
        qsizetype rejected = 0;   // not result files
        qsizetype duplicates = 0; // dropped: older files of the same enterprise, and identical copies
        qsizetype filteredOut = 0; // accepted files that the filter left out of the data set
        QString filter;            // the filter in words; empty for none
        qsizetype problems = 0;   // rows of the problem report
        qsizetype notable = 0;    // of those, the rows that make the exit status 1
        qsizetype checks = 0;     // findings of the data checks: questions about the content, not faults
        qsizetype skipped = 0;    // other files in the folders
        bool read = false;        // the inputs were read: every output could be started
        bool cancelled = false;
        bool committed = false;   // the outputs were put in place (an error may have come after)
        QStringList outputErrors; // why an output could not be written

        // 0: every file clean; 1: some files had problems; 2: an output could
        // not be written, or the run was cancelled.
        int exitStatus() const;
        // The one line a person reads at the end.
        QString line() const;
    };

    explicit Merge(Options options);
    ~Merge();

    // Everything but putting the outputs in place: each is written to its
    // temporary file, but the reports, which ReportStep::mergeAndReport, the
    // one caller of these three steps, draws into reports().
    Summary write(RunControl &control);
    // The reports' files, once write() ended well: each is written whole and
    // finished, or failed with its reason, before commit().
    std::vector<OutputSet::Output *> reports() const;
    // Puts every output in place in one step, unless the run was cancelled or
    // an output failed; then none. No temporary file outlives it.
    Summary commit(RunControl &control);

    const Options &options() const { return options_; }
    // As the last step left it.
    const Summary &summary() const { return summary_; }
    const ProblemReport &problems() const { return problems_; }
    // The data set of the last run, as the outputs were written from it.
    const DataSet &data() const { return data_; }

    // The problem report's entries of one accepted file: its checks, its
    // control characters, its name (the server words its answers with them).
    static void noteProblems(const InputScanner::File &file, const RecordReader::Result &result,
                             QList<ProblemReport::Entry> &entries);

private:
    using Files = QList<InputScanner::File>;
    using Results = QList<RecordReader::Result>;
    using Entries = QList<QList<ProblemReport::Entry>>; // each file's, in file order

    void findAndRead(Files &files, Results &results, RunControl &control);
    void reportSearch(const InputScanner &scanner);
    void reportRejected(const Files &files, const Results &results, Entries &entries);
    void buildDataSet(const Files &files, Results &results, const QList<bool> &kept, Entries &entries);
    void reportCuts(const InputScanner::File &file, const DataSet::Record &record, const QList<const Format *> &limited,
                    QList<ProblemReport::Entry> &entries) const;
    void finishProblems(const Entries &entries);
    void writeOutputs(RunControl &control);
    bool writeOne(OutputSet::Output &output, RunControl &control);
    bool writeDataSet(OutputSet::Output &output, RunControl &control);

    Options options_;
    DataSet data_;
    ProblemReport problems_;
    Summary summary_;
    OutputSet outputs_;
    QStringList unread_;
};
