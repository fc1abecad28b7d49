#include "serve/store/Committer.h"

#include <cstdio>
#include <future>

namespace Serve {

Committer::Committer(Database database, int batch) : database_(std::move(database)), batch_(batch) {}

Committer::~Committer()
{
    stop();
}

bool Committer::start(QString *error)
{
    std::promise<QString> opened;
    std::future<QString> result = opened.get_future();
    thread_ = std::thread([this, &opened] {
        QString failure;
        store_ = Store::open(database_, &failure);
        opened.set_value(store_ ? QString() : failure);
        if (store_)
            loop();
        store_.reset();
    });
    *error = result.get();
    if (error->isEmpty())
        return true;
    thread_.join();
    return false;
}

void Committer::submit(Submission submission, Done done)
{
    {
        std::lock_guard lock(mutex_);
        if (!stopping_) {
            queue_.push_back({std::move(submission), std::move(done)});
            wake_.notify_one();
            return;
        }
    }
    done(false, submission, false);
}

void Committer::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        wake_.notify_one();
    }
    if (thread_.joinable())
        thread_.join();
}

// Whatever arrived while the last transaction was committed makes the next.
void Committer::loop()
{
    for (;;) {
        std::deque<Pending> batch;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            const size_t take = std::min(queue_.size(), size_t(batch_));
            for (size_t i = 0; i < take; ++i) {
                batch.push_back(std::move(queue_.front()));
                queue_.pop_front();
            }
        }
        commitBatch(batch);
    }
}

void Committer::commitBatch(std::deque<Pending> &batch)
{
    QList<Submission> rows;
    rows.reserve(qsizetype(batch.size()));
    for (Pending &p : batch)
        rows.append(std::move(p.submission));
    QList<bool> isNew;
    QString error;
    const bool committed = store_->commit(rows, isNew, &error);
    if (!committed) {
        std::fprintf(stderr, "csr-serve: 提交失败，%zu 个文件未保存：%s\n", batch.size(), qPrintable(error));
        // The connection may be what failed (a database server restarted): the next batch gets a new one.
        QString reopening;
        if (std::unique_ptr<Store> fresh = Store::open(database_, &reopening))
            store_ = std::move(fresh);
    }
    for (size_t i = 0; i < batch.size(); ++i)
        batch[i].done(committed, rows[qsizetype(i)], committed && isNew[qsizetype(i)]);
}

} // namespace Serve
