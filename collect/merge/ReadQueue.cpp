// Files are taken a few at a time, and the search wakes a reader only when
// one waits: a lock and a wake-up per file would cost more than the file.
// Progress comes from the thread that made the queue only.
#include "collect/merge/ReadQueue.h"

#include "collect/merge/RunControl.h"

#include <QThread>

#include <algorithm>
#include <array>
#include <chrono>
#include <numeric>

namespace {

constexpr qsizetype kTake = 16;

} // namespace

ReadQueue::ReadQueue(int threads, RunControl &control) : control_(control)
{
    const int count = threads > 0 ? threads : std::max(1, QThread::idealThreadCount());
    running_ = count;
    for (int t = 0; t < count; ++t)
        readers_.emplace_back([this] {
            work();
            std::lock_guard lock(mutex_);
            if (--running_ == 0)
                finished_.notify_all();
        });
}

ReadQueue::~ReadQueue()
{
    {
        std::lock_guard lock(mutex_);
        searching_ = false;
    }
    more_.notify_all();
    for (std::thread &t : readers_)
        if (t.joinable())
            t.join();
}

void ReadQueue::add(InputScanner::File file)
{
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        found_.push_back(std::move(file));
        results_.emplace_back();
        wake = waiting_ > 0 && qsizetype(found_.size()) - next_ >= kTake;
    }
    if (wake)
        more_.notify_one();
}

qsizetype ReadQueue::searchEnded()
{
    qsizetype total = 0;
    {
        std::lock_guard lock(mutex_);
        searching_ = false;
        total = qsizetype(found_.size());
    }
    more_.notify_all();
    return total;
}

void ReadQueue::work()
{
    std::array<std::pair<const InputScanner::File *, RecordReader::Result *>, kTake> taken;
    for (;;) {
        qsizetype count = 0;
        {
            std::unique_lock lock(mutex_);
            ++waiting_;
            more_.wait(lock, [&] {
                return qsizetype(found_.size()) - next_ >= (searching_ ? kTake : 1) || !searching_ ||
                       control_.isCancelled();
            });
            --waiting_;
            if (next_ >= qsizetype(found_.size()) || control_.isCancelled())
                break;
            // The elements stay where they are as the deque grows, but its
            // index does not: the addresses are taken under the lock.
            for (; count < kTake && next_ < qsizetype(found_.size()); ++count, ++next_)
                taken[size_t(count)] = {&found_[size_t(next_)], &results_[size_t(next_)]};
        }
        for (qsizetype i = 0; i < count; ++i)
            *taken[size_t(i)].second = RecordReader::read(*taken[size_t(i)].first);
        done_.fetch_add(count, std::memory_order_relaxed);
    }
}

void ReadQueue::waitForReaders()
{
    const qsizetype total = qsizetype(found_.size());
    {
        std::unique_lock lock(mutex_);
        while (running_ > 0) {
            finished_.wait_for(lock, std::chrono::milliseconds(100), [&] { return running_ == 0; });
            if (running_ > 0) {
                lock.unlock();
                control_.progress(RunControl::Phase::Reading, done_.load(), total, QString());
                lock.lock();
            }
        }
    }
    for (std::thread &t : readers_)
        t.join();
    control_.progress(RunControl::Phase::Reading, done_.load(), total, QString());
}

void ReadQueue::finish(QList<InputScanner::File> &files, QList<RecordReader::Result> &results)
{
    // The search has ended, so the files are all there: they are put in
    // order while the readers still read them (both only look at them),
    // not in a step of its own after.
    const qsizetype total = qsizetype(found_.size());
    QList<qsizetype> order(total);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return InputScanner::inPathOrder(found_[size_t(a)], found_[size_t(b)]);
    });
    waitForReaders();
    files.reserve(total);
    results.reserve(total);
    for (qsizetype i : order) {
        files.append(std::move(found_[size_t(i)]));
        results.append(std::move(results_[size_t(i)]));
    }
}
