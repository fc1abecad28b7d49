// The merge in its steps: start every output (so that an output that cannot
// be written stops the run before thousands of files are read), find and read
// the files, drop duplicates, build the data set and the report, write the
// outputs, and only then put them all in place.
#include "collect/Merge.h"

#include "collect/Exporter.h"
#include "collect/Folders.h"
#include "collect/RunControl.h"
#include "collect/Sha256.h"
#include "survey/FileSystemCalls.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"
#include "survey/ResultFileReader.h"
#include "survey/SafeFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QThread>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <numeric>

namespace {

// Rows of writing between two looks at the cancel flag.
constexpr qsizetype kRowsBetweenReports = 256;

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

// Why a file is not a result file, in words for the people who sent it.
QString plainReason(const ResultFileReader::Result &r)
{
    using R = ResultFileReader::Rejection;
    const int lines = Survey::kLineCount;
    switch (r.rejection) {
    case R::None:
    case R::Unreadable:
    case R::TooLarge:
        return r.reason;
    case R::NotGbk:
        return r.line == 1 ? QStringLiteral("不是填报结果文件（第 1 行不是 GBK 编码的文字）")
                           : QStringLiteral("文件已损坏：第 %1 行含有不是 GBK 编码的字节").arg(r.line);
    case R::Framing:
        break;
    }
    const QByteArray &bytes = r.bytes;
    if (bytes.isEmpty())
        return QStringLiteral("文件是空的");
    const qsizetype ended = bytes.count("\r\n");
    if (ended == 0 && bytes.count('\n') == lines && bytes.endsWith('\n'))
        return QStringLiteral("行尾是 LF 而不是 CR LF：文件可能在传送中被转换过");
    if (ended > lines)
        return QStringLiteral("不是填报结果文件：多于 %1 行").arg(lines);
    if (ended == 0)
        return QStringLiteral("不是填报结果文件");
    // Cut short: every line ended as it should up to where the file stops,
    // the last one perhaps half there.
    const qsizetype tail = bytes.lastIndexOf("\r\n") + 2;
    const bool cutShort =
        (r.line == 0 || r.line == ended + 1) && bytes.indexOf('\n', tail) < 0 && bytes.indexOf('\r', tail) < 0;
    if (cutShort)
        return QStringLiteral("文件不完整：只有 %1 行，应为 %2 行").arg(ended).arg(lines);
    return QStringLiteral("不是填报结果文件（第 %1 行中有单独的回车或换行）").arg(r.line);
}

// How closely a file's name follows its line 1: 2 exactly ("甲_填报结果.dbf"),
// The length of the copy mark that ends a file name's stem, 0 when none:
// "(1)" or "（1）", "- 副本" or "- Copy", "副本" or "的副本", " copy", " 2", each
// with the blanks before it. Written out rather than as a regular expression:
// the readers call it on their own threads, and PCRE2's per-thread JIT stack
// crashed at such a thread's end in the static Windows build.
qsizetype copyMarkLength(QStringView s)
{
    const qsizetype end = s.size();
    auto isBlank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    auto blanksBefore = [&](qsizetype i) {
        while (i > 0 && isBlank(s[i - 1]))
            --i;
        return i;
    };
    // A dash before the word, with blanks around it; else the blanks alone, if any.
    auto afterWord = [&](qsizetype wordStart, bool needsBlank) -> qsizetype {
        const qsizetype beforeBlanks = blanksBefore(wordStart);
        if (beforeBlanks > 0 && s[beforeBlanks - 1] == u'-')
            return end - blanksBefore(beforeBlanks - 1);
        if (needsBlank && beforeBlanks == wordStart)
            return 0;
        return end - beforeBlanks;
    };
    if (end > 0 && (s[end - 1] == u')' || s[end - 1] == u'）')) {
        qsizetype i = end - 1;
        while (i > 0 && isDigit(s[i - 1]))
            --i;
        if (i < end - 1 && i > 0 && (s[i - 1] == u'(' || s[i - 1] == u'（'))
            return end - blanksBefore(i - 1);
    }
    if (s.endsWith(u"副本")) {
        const qsizetype word = end - 2;
        const qsizetype beforeBlanks = blanksBefore(word);
        if (beforeBlanks > 0 && s[beforeBlanks - 1] == u'-')
            return end - blanksBefore(beforeBlanks - 1);
        return end - blanksBefore(word > 0 && s[word - 1] == u'的' ? word - 1 : word);
    }
    if (s.endsWith(u"opy") && end >= 4 && (s[end - 4] == u'C' || s[end - 4] == u'c')) {
        if (const qsizetype mark = afterWord(end - 4, true))
            return mark;
    }
    qsizetype digits = end;
    while (digits > 0 && isDigit(s[digits - 1]))
        --digits;
    if (digits < end && blanksBefore(digits) < digits)
        return end - blanksBefore(digits);
    return 0;
}

// 1 once the marks that browsers and file managers add to a copy are taken
// off ("甲_填报结果(1).dbf", "甲_填报结果 - 副本.dbf"), 0 not at all.
int nameMatch(const QString &fileName, const QString &enterprise)
{
    static const QString suffix = Survey::kResultFileSuffix.toString();
    static const qsizetype extension = suffix.size() - suffix.lastIndexOf(QLatin1Char('.'));
    static const QString stemSuffix = suffix.left(suffix.size() - extension);
    if (fileName.size() <= extension ||
        fileName.right(extension).compare(suffix.right(extension), Qt::CaseInsensitive) != 0)
        return 0;
    const QString expected = enterprise + stemSuffix;
    QString stem = fileName.left(fileName.size() - extension);
    if (stem == expected)
        return 2;
    for (;;) {
        const qsizetype mark = copyMarkLength(stem);
        if (mark == 0)
            return 0;
        stem.chop(mark);
        if (stem == expected)
            return 1;
    }
}

// "2014-06-01 09:30:00", written out here: far faster than a format string
// is read, for every file.
QByteArray dateTimeText(const QDateTime &time)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    char text[32];
    const int size = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(),
                                   date.day(), clock.hour(), clock.minute(), clock.second());
    return QByteArray(text, size);
}

// What each line's gate must hold to open it, in UTF-8, made once.
const std::array<QByteArray, Survey::kLineCount> &gateValues()
{
    static const std::array<QByteArray, Survey::kLineCount> values = [] {
        std::array<QByteArray, Survey::kLineCount> out;
        for (const Survey::Line &line : Survey::lines())
            out[size_t(line.number - 1)] = line.gateValue.toUtf8();
        return out;
    }();
    return values;
}

// Control characters (NUL and the like) shown as their pictures (␀), for the report.
QString visible(QByteArrayView utf8)
{
    QString text = QString::fromUtf8(utf8);
    for (QChar &c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
    }
    return text;
}

// NUL and the like; a tab is a blank like any other, and LF ends a line here.
bool isControl(char c)
{
    return (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') || c == 0x7F;
}

} // namespace

struct Merge::Outcome {
    ResultFileReader::Rejection rejection = ResultFileReader::Rejection::None;
    int rejectionLine = 0;
    QString reason;
    DataSet::Record record;
    QList<RecordCheck::Problem> problems;
    QList<QPair<int, QString>> controlCharacters; // lines that held some, as they were
    QString enterprise;                           // line 1 as written
    int named = 0;                                // see nameMatch
    qint64 modified = 0;
};

struct Merge::Output {
    enum class Content { DataSet, Codebook, Problems };
    QString path;
    const Format *format = nullptr;
    Content content = Content::DataSet;
    QString companion; // the syntax files: the values CSV they read
    std::unique_ptr<SafeFile> file;
};

// The files found, shared by the search and the readers. Readers start on
// the first files while the search goes on.
struct Merge::ReadQueue {
    std::mutex mutex;
    std::condition_variable more;         // a file was found, or the search ended
    std::condition_variable finished;     // the last reader ended
    std::deque<InputScanner::File> found; // a deque keeps earlier elements in place as it grows
    std::deque<Outcome> outcomes;
    qsizetype next = 0;
    bool searching = true;
    int waiting = 0; // readers waiting for files
    int running = 0; // readers not yet ended
    std::atomic<qsizetype> done{0};
    // Files are taken a few at a time, and the search wakes a reader only when
    // one waits: a lock and a wake-up per file would cost more than the file.
    static constexpr qsizetype kTake = 16;
};

Merge::Merge(Options options) : options_(std::move(options)) {}

Merge::~Merge() = default;

int Merge::Summary::exitStatus() const
{
    if (!outputErrors.isEmpty() || cancelled)
        return 2;
    return notable > 0 ? 1 : 0;
}

QString Merge::Summary::line() const
{
    if (!read)
        return QStringLiteral("没有读取任何文件：有输出无法写入");
    QString text = QStringLiteral("找到 %1 个填报结果文件：接受 %2，拒绝 %3，舍弃重复 %4，问题 %5")
                       .arg(found)
                       .arg(accepted)
                       .arg(rejected)
                       .arg(duplicates)
                       .arg(problems);
    if (skipped > 0)
        text += QStringLiteral("（其中 %1 个其他文件未读）").arg(skipped);
    if (cancelled)
        text += QStringLiteral("。已取消，未写入任何文件");
    return text;
}

Merge::Summary Merge::run(RunControl &control)
{
    summary_ = {};
    report_ = {};
    data_ = DataSet();
    // Whatever happens, no temporary file and no hold outlives the run.
    const auto release = qScopeGuard([this] {
        outputs_.clear();
        holds_.clear();
    });
    planOutputs();
    if (!startOutputs())
        return summary_;
    summary_.read = true;

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
    const QList<bool> kept = dropDuplicates(files, outcomes, entries);
    buildDataSet(files, outcomes, kept, entries);
    outcomes.clear();

    writeOutputs(control);
    if (control.isCancelled())
        summary_.cancelled = true;
    else if (summary_.outputErrors.isEmpty())
        commitOutputs();
    return summary_;
}

// Every output with the format of its extension; a syntax file brings the
// values CSV it reads, once for all the syntax files of one name.
void Merge::planOutputs()
{
    outputs_.clear();
    auto add = [&](const QString &path, const Format *format, Output::Content content) {
        auto output = std::make_unique<Output>();
        output->path = path;
        output->format = format;
        output->content = content;
        outputs_.push_back(std::move(output));
        return outputs_.back().get();
    };
    QStringList companions;
    for (const QString &path : options_.outputs) {
        const Format *format = Formats::of(options_.formats, path);
        Output *output = add(path, format, Output::Content::DataSet);
        if (!format || format->companionSuffix.isEmpty())
            continue;
        output->companion = Formats::companionPath(*format, path);
        if (!companions.contains(output->companion)) {
            companions << output->companion;
            add(output->companion, &Formats::values(), Output::Content::DataSet);
        }
    }
    for (const QString &path : options_.codebooks)
        add(path, Formats::of(options_.formats, path), Output::Content::Codebook);
    for (const QString &path : options_.problems)
        add(path, Formats::of(options_.formats, path), Output::Content::Problems);
}

// Holds every output folder, which clears what killed runs left there, and
// makes every output's temporary file. False when an output cannot be written.
bool Merge::startOutputs()
{
    FileSystemCalls &calls = options_.files ? *options_.files : FileSystemCalls::system();
    QList<QByteArray> folders;
    for (const std::unique_ptr<Output> &output : outputs_) {
        const QByteArray folder = FileSystemCalls::nativeFolderOf(FileSystemCalls::nativePath(output->path));
        if (!folders.contains(folder)) {
            folders << folder;
            holds_.push_back(std::make_unique<Folders::Hold>(folder, Folders::kTemporaryTag));
        }
    }
    for (const std::unique_ptr<Output> &output : outputs_) {
        const Format *format = output->format;
        const bool fits = format && (output->content == Output::Content::DataSet    ? format->holdsData()
                                     : output->content == Output::Content::Codebook ? format->codebook != nullptr
                                                                                    : format->extension == u".csv");
        if (!fits) {
            summary_.outputErrors << QStringLiteral("无法写入“%1”：不认识的文件格式").arg(output->path);
            continue;
        }
        if (!format->builtIn) {
            summary_.outputErrors
                << QStringLiteral("无法写入“%1”：这个版本不能写出 %2 文件").arg(output->path, format->name);
            continue;
        }
        output->file = std::make_unique<SafeFile>(output->path, calls);
        if (!output->file->open(Folders::kTemporaryTag))
            summary_.outputErrors << QStringLiteral("无法写入“%1”：%2").arg(output->path, output->file->errorText());
    }
    return summary_.outputErrors.isEmpty();
}

void Merge::findAndRead(QList<InputScanner::File> &files, QList<Outcome> &outcomes, RunControl &control)
{
    ReadQueue queue;
    std::vector<std::thread> readers = startReaders(queue, control);
    InputScanner scanner(control.flag(), [&](InputScanner::File file) {
        bool wake = false;
        {
            std::lock_guard lock(queue.mutex);
            queue.found.push_back(std::move(file));
            queue.outcomes.emplace_back();
            wake = queue.waiting > 0 && qsizetype(queue.found.size()) - queue.next >= ReadQueue::kTake;
        }
        if (wake)
            queue.more.notify_one();
    });
    search(scanner, control);
    qsizetype total = 0;
    {
        std::lock_guard lock(queue.mutex);
        queue.searching = false;
        total = qsizetype(queue.found.size());
    }
    queue.more.notify_all();
    control.progress(RunControl::Phase::Scanning, total, 0, QString());
    waitForReaders(queue, readers, control);
    reportSearch(scanner);

    // In the order of the paths, whatever order the folders gave.
    QList<qsizetype> order(total);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const InputScanner::File &x = queue.found[size_t(a)], &y = queue.found[size_t(b)];
        return x.displayPath != y.displayPath ? x.displayPath < y.displayPath : x.nativePath < y.nativePath;
    });
    files.reserve(total);
    outcomes.reserve(total);
    for (qsizetype i : order) {
        files.append(std::move(queue.found[size_t(i)]));
        outcomes.append(std::move(queue.outcomes[size_t(i)]));
    }
}

std::vector<std::thread> Merge::startReaders(ReadQueue &queue, RunControl &control) const
{
    auto work = [&queue, &control] {
        std::array<std::pair<const InputScanner::File *, Outcome *>, ReadQueue::kTake> taken;
        for (;;) {
            qsizetype count = 0;
            {
                std::unique_lock lock(queue.mutex);
                ++queue.waiting;
                queue.more.wait(lock, [&] {
                    return qsizetype(queue.found.size()) - queue.next >= (queue.searching ? ReadQueue::kTake : 1) ||
                           !queue.searching || control.isCancelled();
                });
                --queue.waiting;
                if (queue.next >= qsizetype(queue.found.size()) || control.isCancelled())
                    break;
                // The elements stay where they are as the deque grows, but its
                // index does not: the addresses are taken under the lock.
                for (; count < ReadQueue::kTake && queue.next < qsizetype(queue.found.size()); ++count, ++queue.next)
                    taken[size_t(count)] = {&queue.found[size_t(queue.next)], &queue.outcomes[size_t(queue.next)]};
            }
            for (qsizetype i = 0; i < count; ++i)
                readOne(*taken[size_t(i)].first, *taken[size_t(i)].second);
            queue.done.fetch_add(count, std::memory_order_relaxed);
        }
    };
    const int threads = options_.threads > 0 ? options_.threads : std::max(1, QThread::idealThreadCount());
    queue.running = threads;
    std::vector<std::thread> readers;
    for (int t = 0; t < threads; ++t)
        readers.emplace_back([&queue, work] {
            work();
            std::lock_guard lock(queue.mutex);
            if (--queue.running == 0)
                queue.finished.notify_all();
        });
    return readers;
}

void Merge::search(InputScanner &scanner, RunControl &control)
{
    for (const QString &input : options_.inputs)
        if (!scanner.add(input) || control.isCancelled())
            break;
}

// Progress comes from this thread only, a few times a second.
void Merge::waitForReaders(ReadQueue &queue, std::vector<std::thread> &readers, RunControl &control) const
{
    const qsizetype total = qsizetype(queue.found.size());
    {
        std::unique_lock lock(queue.mutex);
        while (queue.running > 0) {
            queue.finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return queue.running == 0; });
            if (queue.running > 0) {
                lock.unlock();
                control.progress(RunControl::Phase::Reading, queue.done.load(), total, QString());
                lock.lock();
            }
        }
    }
    for (std::thread &t : readers)
        t.join();
    control.progress(RunControl::Phase::Reading, queue.done.load(), total, QString());
}

// Folders that could not be searched come first in the report; other files
// found in the folders come last.
void Merge::reportSearch(const InputScanner &scanner)
{
    for (const InputScanner::Failure &f : scanner.failures()) {
        ProblemReport::Entry e;
        e.file = f.path;
        e.kind = ProblemReport::Kind::Input;
        e.what = f.reason;
        report_.add(e);
    }
    unread_ = scanner.others();
    std::sort(unread_.begin(), unread_.end());
    summary_.skipped = unread_.size();
}

void Merge::readOne(const InputScanner::File &file, Outcome &o)
{
    ResultFileReader::Result r = ResultFileReader::readNative(file.nativePath, ResultFileReader::Decode::Utf8);
    o.modified = r.modified;
    if (!r.accepted()) {
        o.rejection = r.rejection;
        o.rejectionLine = r.line;
        o.reason = plainReason(r);
        return;
    }
    DataSet::Record &record = o.record;
    record.file = file.displayPath.toUtf8();
    record.sha256 = Sha256::hex(r.bytes);
    // The system's time zone, asked once: local time through the C library
    // looks at the zone's file again for every file read.
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    const QDateTime utc = QDateTime::fromMSecsSinceEpoch(r.modified / 1000000, Qt::UTC);
    const QDateTime local = utc.addSecs(zone.offsetFromUtc(utc)); // the wall clock's reading, kept as UTC
    record.modified = dateTimeText(local);
    record.modifiedSeconds = local.toSecsSinceEpoch();
    record.text = std::move(r.utf8);
    r = {};

    // Control characters come out of texts, the same for every format.
    static const std::array<bool, 256> control = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 256; ++c)
            table[size_t(c)] = isControl(char(c));
        return table;
    }();
    bool anyControl = false;
    for (char c : record.text) // no branch a byte: most files hold none
        anyControl |= control[static_cast<unsigned char>(c)];
    if (anyControl) {
        const DataSet::Lines before = DataSet::split(record);
        QByteArray cleaned;
        cleaned.reserve(record.text.size());
        for (const Survey::Line &line : Survey::lines()) {
            const QByteArrayView text = before[size_t(line.number - 1)];
            if (line.kind == Survey::LineKind::FreeText && std::any_of(text.begin(), text.end(), isControl)) {
                o.controlCharacters.append({line.number, visible(text)});
                for (char c : text)
                    if (!isControl(c))
                        cleaned += c;
            } else {
                cleaned += text;
            }
            cleaned += '\n';
        }
        record.text = cleaned;
    }

    const DataSet::Lines lines = DataSet::split(record);
    o.problems = RecordCheck::checkUtf8(lines);
    for (const RecordCheck::Problem &p : o.problems)
        if (makesUnusable(p.kind))
            record.unusable.set(size_t(p.line - 1));
    for (const Survey::Line &line : Survey::lines()) {
        const size_t at = size_t(line.number - 1);
        if (line.kind == Survey::LineKind::OptionCodes && !record.unusable.test(at) && !lines[at].contains('1'))
            record.unanswered.set(at);
        if (line.gate == Survey::GateKind::None || !lines[at].isEmpty())
            continue;
        // A gate line that is itself broken leaves its lines missing: whether
        // they applied cannot be told.
        const size_t gateAt = size_t(line.gateLine - 1);
        if (record.unusable.test(gateAt))
            continue;
        const QByteArrayView gate = lines[gateAt];
        const QByteArray &value = gateValues()[at];
        const bool open = line.gatePosition < 0 ? gate == value
                                                : line.gatePosition + value.size() <= gate.size() &&
                                                      gate.sliced(line.gatePosition, value.size()) == value;
        if (!open)
            record.notApplicable.set(at);
    }
    o.enterprise = QString::fromUtf8(lines.front());
    o.named = nameMatch(file.fileName, o.enterprise);
}

// Files of one enterprise (line 1, blanks around not counted): the newest
// content is kept, and of byte-identical copies of it the one whose name
// follows line 1 best, then the newest. Files without a name are only
// compared byte for byte. Returns which files are kept.
QList<bool> Merge::dropDuplicates(const QList<InputScanner::File> &files, QList<Outcome> &outcomes,
                                  QList<QList<ProblemReport::Entry>> &entries)
{
    QList<bool> kept(files.size(), false);
    // The first file of each name is remembered; lists are made only for the
    // few names that come again.
    QHash<QString, qsizetype> firstOf;
    firstOf.reserve(files.size());
    QHash<QString, QList<qsizetype>> groups;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const Outcome &o = outcomes[i];
        if (o.rejection != ResultFileReader::Rejection::None) {
            ProblemReport::Entry e;
            e.file = files[i].displayPath;
            e.kind = ProblemReport::Kind::Rejected;
            e.line = o.rejectionLine;
            e.rejection = o.rejection;
            e.what = QStringLiteral("未汇总：") + o.reason;
            entries[i].append(e);
            ++summary_.rejected;
            continue;
        }
        QString name = o.enterprise.trimmed();
        if (name.isEmpty())
            name = QStringLiteral("\x01") + QString::fromLatin1(o.record.sha256);
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
        const qsizetype newest = *std::max_element(members.begin(), members.end(), [&](qsizetype a, qsizetype b) {
            if (outcomes[a].modified != outcomes[b].modified)
                return outcomes[a].modified < outcomes[b].modified;
            return files[a].displayPath < files[b].displayPath;
        });
        const QByteArray &content = outcomes[newest].record.sha256;
        qsizetype keeper = newest;
        for (qsizetype m : members) {
            const Outcome &o = outcomes[m], &k = outcomes[keeper];
            if (o.record.sha256 == content &&
                (o.named > k.named || (o.named == k.named && (o.modified > k.modified ||
                                                              (o.modified == k.modified &&
                                                               files[m].displayPath > files[keeper].displayPath)))))
                keeper = m;
        }
        for (qsizetype m : members) {
            kept[m] = m == keeper;
            if (m == keeper)
                continue;
            ++summary_.duplicates;
            ProblemReport::Entry e;
            e.file = files[m].displayPath;
            if (outcomes[m].record.sha256 == content) {
                e.kind = ProblemReport::Kind::IdenticalCopy;
                e.what = QStringLiteral("与 %1 完全相同，只计一次").arg(files[keeper].displayPath);
            } else {
                e.kind = ProblemReport::Kind::Duplicate;
                e.what = QStringLiteral("未汇总：与 %1 同为%2，保留较新的 %1")
                             .arg(files[keeper].displayPath, quoted(outcomes[m].enterprise.trimmed()));
            }
            entries[m].append(e);
        }
    }
    return kept;
}

void Merge::buildDataSet(const QList<InputScanner::File> &files, QList<Outcome> &outcomes, const QList<bool> &kept,
                         QList<QList<ProblemReport::Entry>> &entries)
{
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
    // Texts too long for a format are cut there; the report says where.
    QList<const Format *> limited;
    for (const std::unique_ptr<Output> &output : outputs_)
        if (output->content == Output::Content::DataSet && output->format->limit.unit != TextLimit::Unit::None &&
            !limited.contains(output->format))
            limited.append(output->format);

    data_.reserve(std::count(kept.begin(), kept.end(), true));
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!kept[i])
            continue;
        Outcome &o = outcomes[i];
        for (const RecordCheck::Problem &p : o.problems) {
            ProblemReport::Entry e = entry(i, ProblemReport::Kind::Record, p.line, p.what, p.raw);
            e.recordKind = p.kind;
            entries[i].append(e);
        }
        for (const auto &[line, raw] : o.controlCharacters)
            entries[i].append(entry(i, ProblemReport::Kind::ControlCharacters, line,
                                    QStringLiteral("文字中的控制字符（如 NUL）已删除"), raw));
        if (o.named == 0)
            entries[i].append(entry(i, ProblemReport::Kind::FileName, 1,
                                    QStringLiteral("文件名与注册全称（第 1 行）%1不符").arg(quoted(o.enterprise)),
                                    files[i].fileName));
        if (!limited.isEmpty()) {
            const DataSet::Lines lines = DataSet::split(o.record);
            for (const DataSet::Variable &v : data_.variables()) {
                if (v.isNumeric())
                    continue;
                const QByteArrayView text = DataSet::cell(v, o.record, lines).text;
                for (const Format *format : limited) {
                    if (!format->limit.exceeds(text))
                        continue;
                    ProblemReport::Entry e = entry(i, ProblemReport::Kind::TextCut, v.line,
                                                   QStringLiteral("文字太长（%1 字节），在 %2 文件中被截断为 %3 字节")
                                                       .arg(text.size())
                                                       .arg(format->name)
                                                       .arg(format->limit.cut(text).size()),
                                                   excerpt(text));
                    e.variable = v.name;
                    entries[i].append(e);
                }
            }
        }
        data_.append(std::move(o.record));
    }
    summary_.accepted = data_.rowCount();
    for (const QList<ProblemReport::Entry> &list : entries)
        report_.append(list);
    for (const QString &other : unread_) {
        ProblemReport::Entry e;
        e.file = other;
        e.kind = ProblemReport::Kind::NotRead;
        e.what = QStringLiteral("未读：不是 .dbf 文件");
        report_.add(e);
    }
    summary_.problems = report_.entries().size();
    for (const ProblemReport::Entry &e : report_.entries())
        if (e.kind != ProblemReport::Kind::IdenticalCopy && e.kind != ProblemReport::Kind::NotRead)
            ++summary_.notable;
}

void Merge::writeOutputs(RunControl &control)
{
    for (const std::unique_ptr<Output> &output : outputs_) {
        if (control.isCancelled())
            return;
        if (!writeOne(*output, control) && !control.isCancelled()) {
            summary_.outputErrors << QStringLiteral("无法写入“%1”：%2").arg(output->path, output->file->errorText());
            return;
        }
    }
}

bool Merge::writeOne(Output &output, RunControl &control)
{
    SafeFile &file = *output.file;
    switch (output.content) {
    case Output::Content::Codebook:
        return output.format->codebook(data_, file) && file.finish();
    case Output::Content::Problems:
        return file.write(report_.toCsv()) && file.finish();
    case Output::Content::DataSet:
        break;
    }
    const QString item = QFileInfo(output.path).fileName();
    const std::unique_ptr<Exporter> exporter = output.format->exporter();
    const Exporter::Target target{data_, report_, output.path, output.companion};
    auto failed = [&] {
        if (!file.failed()) {
            const QString why = exporter->errorText();
            file.fail(why.isEmpty() ? QStringLiteral("写入时出错") : why);
        }
        return false;
    };
    if (!exporter->open(file, target) || !exporter->header())
        return failed();
    const qsizetype rows = data_.rowCount();
    for (qsizetype row = 0; row < rows; ++row) {
        if (!exporter->row(row))
            return failed();
        if ((row + 1) % kRowsBetweenReports == 0) {
            if (control.isCancelled())
                return false;
            control.progress(RunControl::Phase::Writing, row + 1, rows, item);
        }
    }
    if (!exporter->finish())
        return failed();
    if (control.isCancelled())
        return false;
    control.progress(RunControl::Phase::Writing, rows, rows, item);
    return file.finish();
}

void Merge::commitOutputs()
{
    for (const std::unique_ptr<Output> &output : outputs_)
        if (!output->file->commit())
            summary_.outputErrors << QStringLiteral("无法写入“%1”：%2").arg(output->path, output->file->errorText());
}
