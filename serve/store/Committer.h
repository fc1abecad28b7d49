// Group commit: submissions arriving together are written in one
// transaction by one thread, with its own connection; each is answered only
// once that transaction is committed (or has failed).
#pragma once

#include "serve/store/Store.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace Serve {

class Committer {
public:
    // stored: the row as kept (new, or the earlier one with the same bytes);
    // committed false when the transaction failed and nothing was kept.
    using Done = std::function<void(bool committed, const Submission &stored, bool isNew)>;

    Committer(Database database, int batch);
    ~Committer();

    // Opens the committer's connection on its own thread.
    bool start(QString *error);
    void submit(Submission submission, Done done);
    // Commits what is queued, answers it, and ends.
    void stop();

private:
    struct Pending {
        Submission submission;
        Done done;
    };
    void loop();
    void commitBatch(std::deque<Pending> &batch);

    Database database_;
    int batch_;
    std::unique_ptr<Store> store_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Pending> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace Serve
