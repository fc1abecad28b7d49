// Rows are put side by side by their keys' hashes: sorting ten thousand
// numbers costs less than a table of ten thousand strings, and few hashes
// come twice.
#include "collect/data/SameKeys.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace SameKeys {

QList<QList<qsizetype>> groups(const QStringList &keys)
{
    std::vector<std::pair<size_t, qsizetype>> byHash; // hash, row
    byHash.reserve(size_t(keys.size()));
    for (qsizetype row = 0; row < keys.size(); ++row)
        if (!keys[row].isEmpty())
            byHash.emplace_back(qHash(keys[row]), row);
    std::sort(byHash.begin(), byHash.end());
    QList<QList<qsizetype>> out;
    for (size_t first = 0, end = 0; first < byHash.size(); first = end) {
        for (end = first + 1; end < byHash.size() && byHash[end].first == byHash[first].first;)
            ++end;
        // Within one hash, the rows of each key.
        QList<qsizetype> left;
        for (size_t i = first; i < end; ++i)
            left.append(byHash[i].second);
        while (left.size() > 1) {
            QList<qsizetype> group, rest;
            for (qsizetype row : std::as_const(left))
                (keys[row] == keys[left.front()] ? group : rest).append(row);
            if (group.size() > 1)
                out.append(group);
            left = rest;
        }
    }
    return out;
}

} // namespace SameKeys
