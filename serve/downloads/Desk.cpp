#include "serve/downloads/Desk.h"

#include "serve/downloads/Snapshot.h"
#include "serve/service/Answers.h"
#include "serve/store/ThreadStore.h"

#include <QDateTime>
#include <QDir>

namespace Serve::Downloads {

using namespace Answers;

namespace {

// A file replaced by a newer one stays this long for whoever is still fetching it.
constexpr qint64 kKeptSeconds = 600;

bool finished(Progress::Step step)
{
    return step == Progress::Step::Done || step == Progress::Step::Failed;
}

} // namespace

Desk::Desk(Database database, const QString &folder) : database_(std::move(database)), folder_(folder)
{
    // What a server killed mid-job left: only ever files of its own. The
    // folder is made again by the first job.
    QDir(folder_).removeRecursively();
    pool_.setMaxThreadCount(2);
}

Desk::~Desk()
{
    pool_.clear();
    {
        std::lock_guard lock(mutex_);
        for (const std::shared_ptr<Job> &job : std::as_const(jobs_))
            job->progress.cancel();
    }
    pool_.waitForDone();
}

Response Desk::request(const Kind &kind, const QStringList &groupBy, qint64 jobId, bool progressOnly, Store &store,
                       const CollectorSession &session)
{
    const QString what = kind.name + QLatin1Char('?') + groupBy.join(QLatin1Char(','));
    QString error;
    const QString key = changeKey(store, &error);
    if (key.isEmpty()) {
        dropThreadStore();
        return unavailable();
    }
    std::shared_ptr<Job> job;
    {
        std::lock_guard lock(mutex_);
        if (const std::shared_ptr<Job> asked = jobs_.value(jobId); asked && asked->what == what)
            job = asked; // the moment it was started at, even if more has come since
        const std::shared_ptr<Job> latest = jobs_.value(latest_.value(what, -1));
        if (!job && latest) {
            const Progress::Step step = latest->progress.current();
            if ((!finished(step) && latest->askedAt == key) || (step == Progress::Step::Done && latest->result.key == key))
                job = latest;
        }
        if (!job)
            job = start(kind, groupBy, what, key);
    }
    return answer(*job, kind, progressOnly, store, session);
}

// Called with the lock held.
std::shared_ptr<Desk::Job> Desk::start(const Kind &kind, const QStringList &groupBy, const QString &what,
                                       const QString &key)
{
    // Files replaced long enough ago, and failures already told, go first.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (auto it = jobs_.begin(); it != jobs_.end();) {
        const Job &old = **it;
        if (finished(old.progress.current()) && old.what == what && now - old.finishedAt > kKeptSeconds) {
            QDir(old.folder).removeRecursively();
            it = jobs_.erase(it);
        } else {
            ++it;
        }
    }
    auto job = std::make_shared<Job>();
    job->id = ++next_;
    job->what = what;
    job->askedAt = key;
    job->folder = folder_ + QLatin1Char('/') + QString::number(job->id);
    jobs_.insert(job->id, job);
    latest_.insert(what, job->id);
    JobRequest request{kind, groupBy, database_, job->folder, folder_ + QStringLiteral("/files")};
    pool_.start([this, job, request] {
        JobResult result;
        if (!job->progress.isCancelled())
            result = runJob(request, job->progress);
        finish(job, std::move(result));
        // Once the file is given: the links to the files, which are not needed any more.
        QDir(job->folder + QStringLiteral("/in")).removeRecursively();
    });
    return job;
}

void Desk::finish(const std::shared_ptr<Job> &job, JobResult result)
{
    if (!result.made)
        QDir(job->folder).removeRecursively();
    if (!result.made && result.error.isEmpty())
        result.error = QStringLiteral("已取消");
    std::lock_guard lock(mutex_);
    const bool made = result.made;
    job->result = std::move(result);
    job->finishedAt = QDateTime::currentSecsSinceEpoch();
    job->progress.step(made ? Progress::Step::Done : Progress::Step::Failed);
}

Response Desk::answer(const Job &job, const Kind &kind, bool progressOnly, Store &store,
                      const CollectorSession &session)
{
    const Progress::Step step = job.progress.current();
    if (step == Progress::Step::Failed)
        return refusal(500, QStringLiteral("文件没有做成：%1").arg(job.result.error));
    if (step != Progress::Step::Done || progressOnly) {
        QJsonObject body = job.progress.json();
        body.insert("job", job.id);
        if (step != Progress::Step::Done) {
            Response r = json(202, body);
            r.headers.emplaceBack("Retry-After", "1");
            return r;
        }
        body.insert("files", job.result.files);
        return json(200, body);
    }
    QString error;
    const QString detail = QStringLiteral("%1 个文件").arg(job.result.files);
    if (!Access(store).audit(session.collectorId, Audit::kDownload, kind.fileName(), detail, &error)) {
        dropThreadStore();
        return unavailable();
    }
    Response r = secured({200, kind.contentType(), {}, {}});
    r.file = job.result.file;
    r.headers.emplaceBack("Content-Disposition", "attachment; filename=\"" + kind.fileName().toLatin1() + '"');
    r.headers.emplaceBack("X-Files", QByteArray::number(job.result.files)); // of the moment it is of
    r.headers.emplaceBack("X-Job", QByteArray::number(job.id));
    return r;
}

} // namespace Serve::Downloads
