// The files found, shared by the search and the readers: readers start on
// the first files while the search goes on, each on a thread of its own.
#pragma once

#include "collect/input/InputScanner.h"
#include "collect/input/RecordReader.h"

#include <QList>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class RunControl;

class ReadQueue {
public:
    // Starts the readers: threads of them, or one per processor for 0.
    ReadQueue(int threads, RunControl &control);
    ~ReadQueue(); // cancels and waits for readers still running
    ReadQueue(const ReadQueue &) = delete;
    ReadQueue &operator=(const ReadQueue &) = delete;

    // A file found: from the search, on the thread that made the queue.
    void add(InputScanner::File file);
    // The search ended: readers take what is left, and then stop. Returns how many files were found.
    qsizetype searchEnded();
    // After searchEnded(): waits for the readers, telling the control how far
    // they are a few times a second; then hands over the files and what was
    // read from each, in the order of their paths, whatever order the folders gave.
    void finish(QList<InputScanner::File> &files, QList<RecordReader::Result> &results);

private:
    void work();
    void waitForReaders();

    RunControl &control_;
    std::mutex mutex_;
    std::condition_variable more_;         // a file was found, or the search ended
    std::condition_variable finished_;     // the last reader ended
    std::deque<InputScanner::File> found_; // a deque keeps earlier elements in place as it grows
    std::deque<RecordReader::Result> results_;
    qsizetype next_ = 0;
    bool searching_ = true;
    int waiting_ = 0; // readers waiting for files
    int running_ = 0; // readers not yet ended
    std::atomic<qsizetype> done_{0};
    std::vector<std::thread> readers_;
};
