// A rate per key (an address, a code): a bucket of a minute's allowance,
// refilled as time passes. Thread-safe.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>

#include <mutex>

namespace Serve {

class RateLimit {
public:
    explicit RateLimit(double perMinute) : perMinute_(perMinute) { clock_.start(); }

    // 0 when allowed (and counted); else the seconds to wait.
    int take(const QByteArray &key);

private:
    struct Bucket {
        double tokens = 0;
        qint64 at = 0; // milliseconds on clock_
    };
    double perMinute_;
    QElapsedTimer clock_;
    std::mutex mutex_;
    QHash<QByteArray, Bucket> buckets_;
};

} // namespace Serve
