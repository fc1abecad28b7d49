// What a merge tells its caller as it goes, and how the caller stops it.
#pragma once

#include <QString>
#include <atomic>

class RunControl {
public:
    enum class Phase {
        Scanning, // searching the inputs; done counts files found, total is 0
        Reading,  // reading and checking; done of total files
        Writing,  // writing one output; done of total rows, item names the output
        Drawing,  // drawing the report: done of total steps (its content, then each file), item names the file
    };

    virtual ~RunControl() = default;

    // Called from the thread that runs the merge, a few times a second at most
    // for each phase, and once at the end of each phase.
    virtual void progress(Phase phase, qint64 done, qint64 total, const QString &item)
    {
        Q_UNUSED(phase);
        Q_UNUSED(done);
        Q_UNUSED(total);
        Q_UNUSED(item);
    }

    // Called once for each output folder where another merge is putting its
    // outputs in place: this one waits for its turn (or a cancel).
    virtual void waiting(const QString &folder) { Q_UNUSED(folder); }

    // May be called from any thread; the merge stops soon after and writes nothing.
    void cancel() { cancelled_.store(true); }
    bool isCancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    const std::atomic<bool> *flag() const { return &cancelled_; }
    // For a signal handler, which may do no more than store: see Console::InterruptGuard.
    std::atomic<bool> &cancelFlag() { return cancelled_; }

private:
    std::atomic<bool> cancelled_{false};
};
