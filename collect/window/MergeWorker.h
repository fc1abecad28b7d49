// Runs a merge with its report on a thread of its own for the window (see
// ReportStep::mergeAndReport), so that the window keeps answering and its
// cancel is taken while the report draws; reports progress and the end
// through queued signals.
#pragma once

#include "collect/merge/Merge.h"
#include "collect/merge/RunControl.h"

#include <QObject>
#include <memory>

class QThread;

class MergeWorker : public QObject {
    Q_OBJECT
public:
    explicit MergeWorker(QObject *parent = nullptr);
    ~MergeWorker() override; // cancels a running merge and waits for it

    // Starts a merge, its report and the commit of its outputs; ignored while one runs.
    void start(const Merge::Options &options);
    // Asks the running merge to stop; finished() follows.
    void cancel();
    bool isRunning() const;
    // The last merge, once finished() has been emitted; nullptr before.
    const Merge *merge() const { return isRunning() ? nullptr : merge_.get(); }

    // The last merge, once finished() has been emitted.
    const Merge::Options &options() const { return options_; }
    const Merge::Summary &summary() const { return summary_; }
    const ProblemReport &problems() const;

signals:
    // From the merge's thread, received queued: see RunControl::progress.
    void progressed(int phase, qint64 done, qint64 total, const QString &item);
    void finished();

private:
    class Control : public RunControl {
    public:
        explicit Control(MergeWorker &worker) : worker_(worker) {}
        void progress(Phase phase, qint64 done, qint64 total, const QString &item) override
        {
            emit worker_.progressed(int(phase), done, total, item);
        }

    private:
        MergeWorker &worker_;
    };

    QThread *thread_ = nullptr;
    std::unique_ptr<Merge> merge_;
    std::unique_ptr<Control> control_;
    Merge::Options options_;
    Merge::Summary summary_;
    ProblemReport empty_;
};
