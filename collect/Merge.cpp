// The merge, from inputs to outputs.
#include "collect/Merge.h"

#include "collect/Codebook.h"
#include "collect/CsvWriter.h"
#include "collect/ExcelWriter.h"
#include "collect/RunControl.h"
#include "collect/SafeOutput.h"
#include "collect/StatWriter.h"
#include "collect/TextLimit.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"
#include "survey/ResultFileReader.h"

#include <QCryptographicHash>
#include <QHash>
#include <QThread>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

namespace {

const QString kSuffix = Survey::kResultFileSuffix.toString();

// Problems after which a line's value means nothing: it becomes missing.
bool makesUnusable(RecordCheck::ProblemKind kind)
{
    using K = RecordCheck::ProblemKind;
    return kind == K::BadCode || kind == K::UnknownListItem || kind == K::BadRanking || kind == K::NotANumber;
}

QString quoted(const QString &text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

// The start of a long text, for the report.
QString excerpt(QByteArrayView utf8)
{
    const QString text = QString::fromUtf8(utf8);
    return text.size() > 40 ? text.left(40) + QStringLiteral("…") : text;
}

} // namespace

struct Merge::Outcome {
    ResultFileReader::Rejection rejection = ResultFileReader::Rejection::None;
    int rejectionLine = 0;
    QString reason;
    DataSet::Record record;
    QList<RecordCheck::Problem> problems;
    QString enterprise; // line 1 as written
    bool named = false; // the file's name is line 1 followed by the suffix
    qint64 modified = 0;
};

Merge::Merge(Options options) : options_(std::move(options)) {}

int Merge::Summary::exitStatus() const
{
    if (!outputErrors.isEmpty() || cancelled)
        return 2;
    return rejected > 0 || problems > 0 || droppedDiffering ? 1 : 0;
}

QString Merge::Summary::line() const
{
    QString text = QStringLiteral("找到 %1 个填报结果文件：接受 %2，拒绝 %3，舍弃重复 %4，问题 %5")
                       .arg(found)
                       .arg(accepted)
                       .arg(rejected)
                       .arg(duplicates)
                       .arg(problems);
    if (skipped > 0)
        text += QStringLiteral("（另有 %1 个其他文件未读）").arg(skipped);
    if (cancelled)
        text += QStringLiteral("。已取消，未写入任何文件");
    return text;
}

void Merge::readOne(const InputScanner::File &file, Outcome &o)
{
    ResultFileReader::Result r = ResultFileReader::readNative(file.nativePath, ResultFileReader::Decode::Utf8);
    o.modified = r.modified;
    if (!r.accepted()) {
        o.rejection = r.rejection;
        o.rejectionLine = r.line;
        o.reason = r.reason;
        return;
    }
    o.record = DataSet::makeRecord(file.fileName, std::move(r.utf8));
    const DataSet::Lines lines = DataSet::split(o.record);
    o.problems = RecordCheck::checkUtf8(lines);
    for (const RecordCheck::Problem &p : o.problems)
        if (makesUnusable(p.kind))
            o.record.unusable.set(size_t(p.line - 1));
    o.enterprise = QString::fromUtf8(lines.front());
    o.named = file.fileName.size() == o.enterprise.size() + kSuffix.size() && file.fileName.startsWith(o.enterprise) &&
              file.fileName.endsWith(kSuffix, Qt::CaseInsensitive);
}

// Reader threads start on the first files while this thread still searches
// the folders. Files and outcomes come back sorted by the files' paths.
void Merge::findAndRead(QList<InputScanner::File> &files, QList<Outcome> &outcomes, RunControl &control)
{
    std::mutex mutex;
    std::condition_variable more;         // a file was found, or the search ended
    std::condition_variable finished;     // the last reader ended
    std::deque<InputScanner::File> found; // a deque keeps earlier elements in place as it grows
    std::deque<Outcome> results;
    qsizetype next = 0;
    bool searching = true;
    std::atomic<qsizetype> done{0};

    // Files are taken a few at a time, and the search wakes a reader only when
    // one waits: a lock and a wake-up per file would cost more than the file.
    constexpr qsizetype kTake = 16;
    int waiting = 0;
    auto work = [&] {
        std::array<std::pair<const InputScanner::File *, Outcome *>, kTake> taken;
        for (;;) {
            qsizetype count = 0;
            {
                std::unique_lock lock(mutex);
                ++waiting;
                more.wait(lock, [&] {
                    return qsizetype(found.size()) - next >= (searching ? kTake : 1) || !searching ||
                           control.isCancelled();
                });
                --waiting;
                if (next >= qsizetype(found.size()) || control.isCancelled())
                    break;
                // The elements stay where they are as the deque grows, but its
                // index does not: the addresses are taken under the lock.
                for (; count < kTake && next < qsizetype(found.size()); ++count, ++next)
                    taken[size_t(count)] = {&found[size_t(next)], &results[size_t(next)]};
            }
            for (qsizetype i = 0; i < count; ++i)
                readOne(*taken[size_t(i)].first, *taken[size_t(i)].second);
            done.fetch_add(count, std::memory_order_relaxed);
        }
    };

    const int threads = options_.threads > 0 ? options_.threads : std::max(1, QThread::idealThreadCount());
    int running = threads;
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&] {
            work();
            std::lock_guard lock(mutex);
            if (--running == 0)
                finished.notify_all();
        });

    InputScanner scanner(control.flag(), [&](InputScanner::File file) {
        bool wake = false;
        {
            std::lock_guard lock(mutex);
            found.push_back(std::move(file));
            results.emplace_back();
            wake = waiting > 0 && qsizetype(found.size()) - next >= kTake;
        }
        if (wake)
            more.notify_one();
    });
    for (const QString &input : options_.inputs)
        if (!scanner.add(input))
            break;
    qsizetype total = 0;
    {
        std::lock_guard lock(mutex);
        searching = false;
        total = qsizetype(found.size());
    }
    more.notify_all();
    summary_.skipped = scanner.skipped();
    for (const InputScanner::Failure &f : scanner.failures()) {
        ProblemReport::Entry e;
        e.file = f.path;
        e.kind = ProblemReport::Kind::Input;
        e.what = f.reason;
        report_.add(e);
        ++summary_.problems;
    }
    control.progress(RunControl::Phase::Scanning, total, 0, QString());

    {
        // Progress comes from this thread only, a few times a second.
        std::unique_lock lock(mutex);
        while (running > 0) {
            finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return running == 0; });
            if (running > 0) {
                lock.unlock();
                control.progress(RunControl::Phase::Reading, done.load(), total, QString());
                lock.lock();
            }
        }
    }
    for (std::thread &t : pool)
        t.join();
    control.progress(RunControl::Phase::Reading, done.load(), total, QString());

    // In the order of the paths, whatever order the folders gave.
    QList<qsizetype> order(total);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const InputScanner::File &x = found[size_t(a)], &y = found[size_t(b)];
        return x.displayPath != y.displayPath ? x.displayPath < y.displayPath : x.nativePath < y.nativePath;
    });
    files.reserve(total);
    outcomes.reserve(total);
    for (qsizetype i : order) {
        files.append(std::move(found[size_t(i)]));
        outcomes.append(std::move(results[size_t(i)]));
    }
}

Merge::Summary Merge::run(RunControl &control)
{
    summary_ = {};
    QList<InputScanner::File> files;
    QList<Outcome> outcomes;
    findAndRead(files, outcomes, control);
    summary_.found = files.size();
    if (control.isCancelled()) {
        summary_.cancelled = true;
        return summary_;
    }

    // Each file's entries, gathered here and reported in file order.
    QList<QList<ProblemReport::Entry>> entries(files.size());
    auto entry = [&](qsizetype i, ProblemReport::Kind kind, int line, const QString &what, const QString &raw = {}) {
        ProblemReport::Entry e;
        e.file = files[i].displayPath;
        e.kind = kind;
        e.line = line;
        if (line > 0)
            e.variable = Survey::line(line).variable;
        e.what = what;
        e.raw = raw;
        return e;
    };

    // Duplicates: files of one enterprise (line 1, blanks around not counted);
    // the newest is kept. Files without a name are only compared byte for byte.
    // The first file of each name is remembered; lists are made only for the
    // few names that come again.
    QList<bool> kept(files.size(), false);
    QHash<QString, qsizetype> firstOf;
    firstOf.reserve(files.size());
    QHash<QString, QList<qsizetype>> groups;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (outcomes[i].rejection != ResultFileReader::Rejection::None) {
            ProblemReport::Entry e = entry(i, ProblemReport::Kind::Rejected, outcomes[i].rejectionLine,
                                           QStringLiteral("未汇总：") + outcomes[i].reason);
            e.variable.clear();
            e.rejection = outcomes[i].rejection;
            entries[i].append(e);
            ++summary_.rejected;
            continue;
        }
        // Decoding is one to one (no two byte sequences give the same text), so
        // equal texts are equal bytes.
        QString name = outcomes[i].enterprise.trimmed();
        if (name.isEmpty())
            name = QStringLiteral("\x01") +
                   QString::fromLatin1(
                       QCryptographicHash::hash(outcomes[i].record.text, QCryptographicHash::Sha1).toHex());
        const auto first = firstOf.constFind(name);
        if (first == firstOf.constEnd()) {
            firstOf.insert(name, i);
            kept[i] = true;
            continue;
        }
        QList<qsizetype> &members = groups[name];
        if (members.isEmpty())
            members.append(first.value());
        members.append(i);
    }
    for (auto it = groups.begin(); it != groups.end(); ++it) {
        QList<qsizetype> &members = it.value();
        std::sort(members.begin(), members.end(), [&](qsizetype a, qsizetype b) {
            if (outcomes[a].modified != outcomes[b].modified)
                return outcomes[a].modified > outcomes[b].modified;
            return files[a].displayPath > files[b].displayPath;
        });
        const qsizetype keeper = members.front();
        for (qsizetype m = 0; m < members.size(); ++m)
            kept[members[m]] = m == 0;
        for (qsizetype m = 1; m < members.size(); ++m) {
            const qsizetype i = members[m];
            ++summary_.duplicates;
            if (outcomes[i].record.text == outcomes[keeper].record.text) {
                entries[i].append(entry(i, ProblemReport::Kind::IdenticalCopy, 0,
                                        QStringLiteral("与 %1 完全相同，只计一次").arg(files[keeper].displayPath)));
            } else {
                summary_.droppedDiffering = true;
                entries[i].append(entry(i, ProblemReport::Kind::Duplicate, 0,
                                        QStringLiteral("未汇总：与 %1 同为%2，保留较新的 %1")
                                            .arg(files[keeper].displayPath, quoted(outcomes[i].enterprise.trimmed()))));
            }
        }
    }

    QList<FileFormat> limitedFormats;
    for (const QString &path : options_.outputs) {
        const FileFormat format = fileFormatOf(path);
        if (format != FileFormat::Csv && !limitedFormats.contains(format))
            limitedFormats.append(format);
    }

    data_.reserve(firstOf.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!kept[i])
            continue;
        Outcome &o = outcomes[i];
        for (const RecordCheck::Problem &p : o.problems) {
            ProblemReport::Entry e = entry(i, ProblemReport::Kind::Record, p.line, p.what, p.raw);
            e.recordKind = p.kind;
            entries[i].append(e);
        }
        if (!o.named)
            entries[i].append(entry(i, ProblemReport::Kind::FileName, 1,
                                    QStringLiteral("文件名与注册全称（第 1 行）%1不符").arg(quoted(o.enterprise)),
                                    files[i].fileName));
        // Texts too long for a format are cut there; the report says where.
        if (!limitedFormats.isEmpty()) {
            const DataSet::Lines lines = DataSet::split(o.record);
            for (const DataSet::Variable &v : data_.variables()) {
                if (v.isNumeric())
                    continue;
                const QByteArrayView text = DataSet::text(v, o.record, lines);
                for (FileFormat format : limitedFormats) {
                    if (!TextLimit::exceeds(format, text))
                        continue;
                    ProblemReport::Entry e = entry(i, ProblemReport::Kind::TextCut, v.line,
                                                   QStringLiteral("文字太长（%1 字节），在 %2 文件中被截断为 %3 字节")
                                                       .arg(text.size())
                                                       .arg(fileFormatName(format))
                                                       .arg(TextLimit::cut(format, text).size()),
                                                   excerpt(text));
                    e.variable = v.name;
                    entries[i].append(e);
                }
            }
        }
        summary_.problems += entries[i].size();
        data_.append(std::move(o.record));
    }
    summary_.accepted = data_.rowCount();
    for (const QList<ProblemReport::Entry> &list : entries)
        report_.append(list);
    outcomes.clear();

    writeOutputs(control);
    return summary_;
}

void Merge::writeOutputs(RunControl &control)
{
    std::vector<std::unique_ptr<SafeOutput>> written;
    auto attempt = [&](const QString &path, const std::function<bool(SafeOutput &)> &write) {
        if (control.isCancelled() || !summary_.outputErrors.isEmpty())
            return;
        auto out = std::make_unique<SafeOutput>(path);
        if (out->open() && write(*out) && out->finish()) {
            written.push_back(std::move(out));
            return;
        }
        if (!control.isCancelled())
            summary_.outputErrors << (out->failed() ? out->error() : QStringLiteral("无法写入“%1”").arg(path));
    };

    for (const QString &path : options_.outputs) {
        const FileFormat format = fileFormatOf(path);
        attempt(path, [&](SafeOutput &out) {
            switch (format) {
            case FileFormat::Csv:
                return CsvWriter::write(data_, out, control);
            case FileFormat::Xlsx:
                return ExcelWriter::write(data_, report_, out, control);
            case FileFormat::Sav:
            case FileFormat::Dta:
                return StatWriter::write(data_, format, out, control);
            default:
                out.fail(QStringLiteral("不认识的文件格式"));
                return false;
            }
        });
    }
    if (!options_.codebook.isEmpty()) {
        const FileFormat format = fileFormatOf(options_.codebook);
        attempt(options_.codebook, [&](SafeOutput &out) {
            switch (format) {
            case FileFormat::Csv:
                return out.write(Codebook::toCsv(data_));
            case FileFormat::Markdown:
                return out.write(Codebook::toMarkdown(data_));
            case FileFormat::Xlsx:
                return ExcelWriter::writeCodebook(data_, out);
            default:
                out.fail(QStringLiteral("变量说明只能写成 .csv、.xlsx 或 .md"));
                return false;
            }
        });
    }
    if (!options_.problems.isEmpty())
        attempt(options_.problems, [&](SafeOutput &out) { return out.write(report_.toCsv()); });

    if (control.isCancelled()) {
        summary_.cancelled = true;
        return; // the temporary files go with their owners
    }
    if (!summary_.outputErrors.isEmpty())
        return;
    for (const std::unique_ptr<SafeOutput> &out : written)
        if (!out->commit())
            summary_.outputErrors << out->error();
}
