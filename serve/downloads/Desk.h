// The downloads' desk: starts a job for a file asked for, lets a second
// request for the same file join it, answers its progress while it runs and
// the file once made; keeps the newest file of each kind while nothing has
// changed since its moment. Jobs run on threads of their own, two at a time,
// never on the threads that answer requests. Everything it makes is under
// one folder, emptied at the start: a server killed mid-job leaves only that.
#pragma once

#include "serve/access/Access.h"
#include "serve/downloads/Job.h"
#include "serve/http/HttpServer.h"

#include <QHash>
#include <QThreadPool>

#include <memory>
#include <mutex>

namespace Serve::Downloads {

class Desk {
public:
    Desk(Database database, const QString &folder);
    ~Desk(); // cancels what runs, and waits for it
    Desk(const Desk &) = delete;
    Desk &operator=(const Desk &) = delete;

    // The file, when one of the moment now (or of the job asked after) is
    // made; else 202 with the job's progress, starting it if need be. A
    // request joins a job under way when nothing has changed since it was
    // asked for: what a collector changed is in what they download next.
    // progressOnly: once made, 200 with the job's number rather than the
    // file, which the browser then fetches itself by that number.
    Response request(const Kind &kind, const QStringList &groupBy, qint64 jobId, bool progressOnly, Store &store,
                     const CollectorSession &session);

private:
    struct Job {
        qint64 id = 0;
        QString what;    // the kind's name and the grouping: what a second request joins
        QString askedAt; // the moment it was asked at (its snapshot is of that one or a later one)
        Progress progress;
        JobResult result; // once progress says Done or Failed
        QString folder;
        qint64 finishedAt = 0; // seconds since 1970
    };

    std::shared_ptr<Job> start(const Kind &kind, const QStringList &groupBy, const QString &what, const QString &key);
    void finish(const std::shared_ptr<Job> &job, JobResult result);
    Response answer(const Job &job, const Kind &kind, bool progressOnly, Store &store,
                    const CollectorSession &session);

    Database database_;
    QString folder_;
    std::mutex mutex_;
    QHash<qint64, std::shared_ptr<Job>> jobs_;
    QHash<QString, qint64> latest_; // by what: the newest job
    qint64 next_ = 0;
    QThreadPool pool_;
};

} // namespace Serve::Downloads
