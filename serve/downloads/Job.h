// One download being made, on a worker thread with its own connection: the
// moment's files written to a private folder, then the collector's own merge
// and report run on them (or the zip made of them), exactly as csr-collect's
// command line runs them.
#pragma once

#include "collect/merge/RunControl.h"
#include "serve/downloads/Kinds.h"
#include "serve/store/Store.h"

#include <QJsonObject>
#include <QStringList>

#include <atomic>
#include <mutex>

namespace Serve::Downloads {

// Where the job is, read by the threads that answer while it runs.
class Progress : public RunControl {
public:
    enum class Step { Waiting, Copying, Scanning, Reading, Writing, Reporting, Zipping, Done, Failed };

    void progress(Phase phase, qint64 done, qint64 total, const QString &item) override;
    void step(Step step, qint64 done = 0, qint64 total = 0);
    Step current() const { return step_.load(); }
    // {"step", "done", "total", "fraction", "words"}
    QJsonObject json() const;

private:
    std::atomic<Step> step_{Step::Waiting};
    std::atomic<qint64> done_{0}, total_{0};
};

struct JobRequest {
    Kind kind;
    QStringList groupBy; // for a report
    Database database;
    QString folder; // the job's own, empty; what it makes stays there
    QString cache;  // each submission's file, kept for the next jobs
};

struct JobResult {
    bool made = false;
    QString file;  // the file to send
    QString key;   // the moment it is of (Snapshot::key)
    qsizetype files = 0;
    QString error; // why not made
};

// Runs the whole job on the calling thread. Stops, not made, on a cancel.
// The folder's in/ (the files) is left for the caller to remove.
JobResult runJob(const JobRequest &request, Progress &progress);

} // namespace Serve::Downloads
