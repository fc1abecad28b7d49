// The merge runs on a QThread of its own, its report and commit too; its
// signals reach the window queued.
#include "collect/window/MergeWorker.h"

#include "collect/report/ReportStep.h"

#include <QThread>

MergeWorker::MergeWorker(QObject *parent) : QObject(parent) {}

MergeWorker::~MergeWorker()
{
    if (thread_) {
        cancel();
        thread_->wait();
        delete thread_;
    }
}

void MergeWorker::start(const Merge::Options &options)
{
    if (isRunning())
        return;
    delete thread_;
    options_ = options;
    merge_ = std::make_unique<Merge>(options);
    control_ = std::make_unique<Control>(*this);
    summary_ = {};
    Merge *merge = merge_.get();
    Control *control = control_.get();
    thread_ = QThread::create([this, merge, control] { summary_ = ReportStep::mergeAndReport(*merge, *control); });
    // The thread's end arrives in this object's thread, after its last progress.
    connect(thread_, &QThread::finished, this, &MergeWorker::finished);
    thread_->start();
}

void MergeWorker::cancel()
{
    if (control_)
        control_->cancel();
}

bool MergeWorker::isRunning() const
{
    return thread_ && thread_->isRunning();
}

const ProblemReport &MergeWorker::problems() const
{
    return merge_ && !isRunning() ? merge_->problems() : empty_;
}
