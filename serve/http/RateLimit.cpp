#include "serve/http/RateLimit.h"

#include <algorithm>
#include <cmath>

namespace Serve {

int RateLimit::take(const QByteArray &key)
{
    if (perMinute_ <= 0)
        return 0;
    const qint64 now = clock_.elapsed();
    const double perMs = perMinute_ / 60000.0;
    std::lock_guard lock(mutex_);
    // Full buckets tell nothing: dropped now and then, so that the table
    // does not grow with every address ever seen.
    if (buckets_.size() > 100000)
        buckets_.removeIf([&](const auto &b) { return b.value().tokens + (now - b.value().at) * perMs >= perMinute_; });
    auto found = buckets_.find(key);
    if (found == buckets_.end())
        found = buckets_.insert(key, Bucket{perMinute_, now});
    Bucket &bucket = found.value();
    bucket.tokens = std::min(perMinute_, bucket.tokens + (now - bucket.at) * perMs);
    bucket.at = now;
    if (bucket.tokens >= 1) {
        bucket.tokens -= 1;
        return 0;
    }
    return std::max(1, int(std::ceil((1 - bucket.tokens) / perMs / 1000)));
}

} // namespace Serve
