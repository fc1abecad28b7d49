// Files of the same enterprise, or without a name and of the same content:
// the newest content is kept, the others dropped and reported.
#include "collect/merge/Duplicates.h"

#include "collect/data/SameKeys.h"
#include "survey/RecordCheck.h"

#include <algorithm>

namespace Duplicates {
namespace {

using Group = QList<qsizetype>;

class Dropping {
public:
    Dropping(const QList<InputScanner::File> &files, const QList<RecordReader::Result> &results)
        : files_(files), results_(results)
    {
    }

    // Of the newest content, the copy whose name follows line 1 best, then the newest, then the last by path.
    qsizetype keeper(const Group &members) const
    {
        const qsizetype newest = *std::max_element(members.begin(), members.end(), [&](qsizetype a, qsizetype b) {
            if (results_[a].modified != results_[b].modified)
                return results_[a].modified < results_[b].modified;
            return files_[a].displayPath < files_[b].displayPath;
        });
        const QByteArray &content = results_[newest].record.sha256;
        qsizetype keeper = newest;
        for (qsizetype m : members) {
            const RecordReader::Result &o = results_[m], &k = results_[keeper];
            if (o.record.sha256 == content &&
                (o.named > k.named || (o.named == k.named && (o.modified > k.modified ||
                                                              (o.modified == k.modified &&
                                                               files_[m].displayPath > files_[keeper].displayPath)))))
                keeper = m;
        }
        return keeper;
    }

    ProblemReport::Entry dropped(qsizetype file, qsizetype keeper) const
    {
        ProblemReport::Entry e;
        e.file = files_[file].displayPath;
        if (results_[file].record.sha256 == results_[keeper].record.sha256) {
            e.kind = ProblemReport::Kind::IdenticalCopy;
            e.what = QStringLiteral("与 %1 完全相同，只计一次").arg(files_[keeper].displayPath);
        } else {
            e.kind = ProblemReport::Kind::Duplicate;
            e.what = QStringLiteral("未汇总：与 %1 同为%2，保留较新的 %1")
                         .arg(files_[keeper].displayPath, RecordCheck::quoted(results_[file].enterprise.trimmed()));
        }
        return e;
    }

private:
    const QList<InputScanner::File> &files_;
    const QList<RecordReader::Result> &results_;
};

} // namespace

QString enterpriseOf(const RecordReader::Result &result)
{
    return result.enterprise.trimmed();
}

qsizetype drop(const QList<InputScanner::File> &files, const QList<RecordReader::Result> &results, QList<bool> &kept,
               QList<QList<ProblemReport::Entry>> &entries)
{
    kept = QList<bool>(files.size(), false);
    // The files by their enterprise's name; those without a name, by their content.
    QStringList names(files.size()), contents(files.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
        const RecordReader::Result &o = results[i];
        if (!o.accepted())
            continue;
        kept[i] = true;
        if (const QString name = enterpriseOf(o); name.isEmpty())
            contents[i] = QString::fromLatin1(o.record.sha256);
        else
            names[i] = name;
    }
    const Dropping dropping(files, results);
    qsizetype dropped = 0;
    for (const QStringList *keys : {&names, &contents})
        for (const Group &members : SameKeys::groups(*keys)) {
            const qsizetype keeper = dropping.keeper(members);
            for (qsizetype m : members) {
                kept[m] = m == keeper;
                if (m == keeper)
                    continue;
                ++dropped;
                entries[m].append(dropping.dropped(m, keeper));
            }
        }
    return dropped;
}

} // namespace Duplicates
