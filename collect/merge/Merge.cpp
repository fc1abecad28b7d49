// The merge in its steps: start every output (so that an output that cannot
// be written stops the run before thousands of files are read), find and read
// the files, drop duplicates, build the data set and the report, write the
// outputs, leave the reports to the caller, and only then put them all in place.
#include "collect/merge/Merge.h"

#include "collect/data/FindingRows.h"
#include "collect/export/Exporter.h"
#include "collect/merge/Duplicates.h"
#include "collect/merge/ReadQueue.h"
#include "collect/merge/RunControl.h"
#include "platform/FileSystemCalls.h"
#include "survey/LineMap.h"
#include "platform/SafeFile.h"

#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

namespace {

// Rows of writing between two looks at the cancel flag.
constexpr qsizetype kRowsBetweenProgress = 256;

// The start of a long text, for the report.
QString excerpt(QByteArrayView utf8)
{
    const QString text = QString::fromUtf8(utf8);
    return text.size() > 40 ? text.left(40) + QStringLiteral("…") : text;
}

// An entry about one line of a file.
ProblemReport::Entry lineEntry(const InputScanner::File &file, ProblemReport::Kind kind, int line, const QString &what,
                               const QString &raw = {})
{
    ProblemReport::Entry e;
    e.file = file.displayPath;
    e.kind = kind;
    e.line = line;
    if (line > 0)
        e.variable = Survey::line(line).variable;
    e.what = what;
    e.raw = raw;
    return e;
}

} // namespace

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
    QString text = QStringLiteral("找到 %1 个填报结果文件：接受 %2，拒绝 %3，舍弃重复 %4")
                       .arg(found)
                       .arg(accepted)
                       .arg(rejected)
                       .arg(duplicates);
    if (!filter.isEmpty())
        text += QStringLiteral("，%1，去掉 %2").arg(filter).arg(filteredOut);
    text += QStringLiteral("，问题 %1").arg(problems);
    text += QStringLiteral("，核查 %1").arg(checks);
    if (skipped > 0)
        text += QStringLiteral("（其中 %1 个其他文件未读）").arg(skipped);
    if (cancelled)
        text += QStringLiteral("。已取消，未写入任何文件");
    return text;
}

Merge::Summary Merge::write(RunControl &control)
{
    summary_ = {};
    problems_ = {};
    data_ = DataSet();
    data_.setFilter(options_.filter.description());
    // Whatever goes wrong, no temporary file and no hold outlives the run.
    auto release = qScopeGuard([this] { outputs_.clear(); });
    outputs_.plan(options_.outputs, options_.codebooks, options_.problems, options_.checks, options_.report.paths,
                  options_.formats);
    summary_.outputErrors = outputs_.start(options_.files ? *options_.files : FileSystemCalls::system());
    if (!summary_.outputErrors.isEmpty())
        return summary_;
    summary_.read = true;
    summary_.filter = data_.filter();

    Files files;
    Results results;
    findAndRead(files, results, control);
    summary_.found = files.size();
    if (control.isCancelled()) {
        summary_.cancelled = true;
        return summary_;
    }
    Entries entries(files.size());
    reportRejected(files, results, entries);
    QList<bool> kept;
    summary_.duplicates = Duplicates::drop(files, results, kept, entries);
    buildDataSet(files, results, kept, entries);
    results.clear();
    finishProblems(entries);

    writeOutputs(control);
    if (control.isCancelled())
        summary_.cancelled = true;
    else if (summary_.outputErrors.isEmpty())
        release.dismiss(); // kept for the reports and the commit
    return summary_;
}

std::vector<OutputSet::Output *> Merge::reports() const
{
    std::vector<OutputSet::Output *> reports;
    for (const std::unique_ptr<OutputSet::Output> &output : outputs_.outputs())
        if (output->content == OutputSet::Content::Report && output->file)
            reports.push_back(output.get());
    return reports;
}

Merge::Summary Merge::commit(RunControl &control)
{
    const auto release = qScopeGuard([this] { outputs_.clear(); });
    if (!summary_.read || summary_.cancelled || !summary_.outputErrors.isEmpty())
        return summary_;
    switch (outputs_.commit(control, summary_.outputErrors)) {
    case OutputSet::Commit::Cancelled:
        summary_.cancelled = true;
        break;
    case OutputSet::Commit::Failed:
        // A failure after the first rename leaves outputs in place.
        summary_.committed = std::any_of(outputs_.outputs().begin(), outputs_.outputs().end(),
                                         [](const auto &output) { return output->file->isCommitted(); });
        break;
    case OutputSet::Commit::Done:
        summary_.committed = true;
        break;
    }
    return summary_;
}

void Merge::findAndRead(Files &files, Results &results, RunControl &control)
{
    ReadQueue queue(options_.threads, control);
    InputScanner scanner(control.flag(), [&](InputScanner::File file) { queue.add(std::move(file)); });
    // Outputs written inside an input are no inputs.
    scanner.leaveOut(outputs_.places());
    for (const QString &input : options_.inputs)
        if (!scanner.add(input) || control.isCancelled())
            break;
    control.progress(RunControl::Phase::Scanning, queue.searchEnded(), 0, QString());
    queue.finish(files, results);
    reportSearch(scanner);
}

// Folders that could not be searched and links not followed come first in
// the report; other files found in the folders come last.
void Merge::reportSearch(const InputScanner &scanner)
{
    for (const InputScanner::Failure &f : scanner.failures()) {
        ProblemReport::Entry e;
        e.file = f.path;
        e.kind = ProblemReport::Kind::Input;
        e.what = f.reason;
        problems_.add(e);
    }
    for (const InputScanner::Link &link : scanner.links()) {
        ProblemReport::Entry e;
        e.file = link.path;
        e.kind = ProblemReport::Kind::LinkNotFollowed;
        e.what = QStringLiteral("链接未跟随");
        e.raw = link.target;
        problems_.add(e);
    }
    unread_ = scanner.others();
    std::sort(unread_.begin(), unread_.end());
    summary_.skipped = unread_.size();
}

void Merge::reportRejected(const Files &files, const Results &results, Entries &entries)
{
    for (qsizetype i = 0; i < files.size(); ++i) {
        const RecordReader::Result &o = results[i];
        if (o.accepted())
            continue;
        ProblemReport::Entry e;
        e.file = files[i].displayPath;
        e.kind = ProblemReport::Kind::Rejected;
        e.line = o.rejectionLine;
        e.rejection = o.rejection;
        e.what = QStringLiteral("未汇总：") + o.reason;
        entries[i].append(e);
        ++summary_.rejected;
    }
}

void Merge::buildDataSet(const Files &files, Results &results, const QList<bool> &kept, Entries &entries)
{
    // Texts too long for a format are cut there; the report says where. The
    // CSV the syntax files read is cut as they are, and reported through them.
    QList<const Format *> limited;
    for (const std::unique_ptr<OutputSet::Output> &output : outputs_.outputs())
        if (output->content == OutputSet::Content::DataSet && output->format->limit.unit != TextLimit::Unit::None &&
            output->format != &Formats::values() && !limited.contains(output->format))
            limited.append(output->format);

    const qsizetype rows = std::count(kept.begin(), kept.end(), true);
    data_.reserve(rows);
    // The data checks' findings of each record, and what tells the same enterprise across them.
    QList<DataSet::Finding> findings;
    qsizetype found = 0;
    for (qsizetype i = 0; i < files.size(); ++i)
        found += kept[i] ? results[i].findings.size() : 0;
    findings.reserve(found);
    QStringList enterpriseKeys;
    enterpriseKeys.reserve(rows);
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!kept[i])
            continue;
        // A file's problems are reported whether or not the filter keeps its record.
        noteProblems(files[i], results[i], entries[i]);
        // The checks across records are doubts only, so a record's own findings say whether it has an error.
        if (!options_.filter.keeps(results[i].record, results[i].findings)) {
            ++summary_.filteredOut;
            continue;
        }
        if (!limited.isEmpty())
            reportCuts(files[i], results[i].record, limited, entries[i]);
        for (const DataChecks::Finding &f : results[i].findings)
            findings.append(
                DataSet::Finding{data_.rowCount(), f, options_.checked && options_.checked(files[i].fileName, f)});
        enterpriseKeys.append(results[i].enterpriseKey);
        data_.append(std::move(results[i].record));
    }
    summary_.accepted = data_.rowCount();
    findings += FindingRows::acrossRecords(enterpriseKeys);
    data_.setFindings(std::move(findings));
    summary_.checks = data_.findings().size();
}

// The problems of an accepted file: its checks, its control characters, its name.
void Merge::noteProblems(const InputScanner::File &file, const RecordReader::Result &result,
                         QList<ProblemReport::Entry> &entries)
{
    for (const RecordCheck::Problem &p : result.problems) {
        ProblemReport::Entry e = lineEntry(file, ProblemReport::Kind::Record, p.line, p.what, p.raw);
        e.recordKind = p.kind;
        entries.append(e);
    }
    for (const auto &[line, raw] : result.controlCharacters)
        entries.append(lineEntry(file, ProblemReport::Kind::ControlCharacters, line,
                                 QStringLiteral("文字中的控制字符（如 NUL）已删除"), raw));
    if (result.named == FileName::Match::None)
        entries.append(lineEntry(file, ProblemReport::Kind::FileName, Survey::kEnterpriseNameLine,
                                 QStringLiteral("文件名与注册全称（第 %1 行）%2不符")
                                     .arg(Survey::kEnterpriseNameLine)
                                     .arg(RecordCheck::quoted(result.enterprise)),
                                 file.fileName));
}

void Merge::reportCuts(const InputScanner::File &file, const DataSet::Record &record,
                       const QList<const Format *> &limited, QList<ProblemReport::Entry> &entries) const
{
    const DataSet::Lines lines = DataSet::split(record);
    for (const DataSet::Variable &v : data_.variables()) {
        if (v.isNumeric())
            continue;
        const QByteArrayView text = DataSet::cell(v, record, lines).text;
        for (const Format *format : limited) {
            if (!format->limit.exceeds(text))
                continue;
            ProblemReport::Entry e = lineEntry(file, ProblemReport::Kind::TextCut, v.line,
                                               QStringLiteral("文字太长（%1 字节），在 %2中被截断为 %3 字节")
                                                   .arg(text.size())
                                                   .arg(format->fileWords())
                                                   .arg(format->limit.cut(text).size()),
                                               excerpt(text));
            e.variable = v.name;
            entries.append(e);
        }
    }
}

// Each file's entries in file order, then the files left unread; and the counts.
void Merge::finishProblems(const Entries &entries)
{
    for (const QList<ProblemReport::Entry> &list : entries)
        problems_.append(list);
    for (const QString &other : unread_) {
        ProblemReport::Entry e;
        e.file = other;
        e.kind = ProblemReport::Kind::NotRead;
        e.what = QStringLiteral("未读：不是 %1 文件").arg(FileName::extension());
        problems_.add(e);
    }
    summary_.problems = problems_.entries().size();
    for (const ProblemReport::Entry &e : problems_.entries())
        if (e.kind != ProblemReport::Kind::IdenticalCopy && e.kind != ProblemReport::Kind::NotRead)
            ++summary_.notable;
}

void Merge::writeOutputs(RunControl &control)
{
    for (const std::unique_ptr<OutputSet::Output> &output : outputs_.outputs()) {
        if (control.isCancelled())
            return;
        if (output->content == OutputSet::Content::Report)
            continue; // the caller's, after this
        if (!writeOne(*output, control) && !control.isCancelled()) {
            summary_.outputErrors << OutputSet::failure(output->path, output->file->errorText());
            return;
        }
    }
}

bool Merge::writeOne(OutputSet::Output &output, RunControl &control)
{
    SafeFile &file = *output.file;
    switch (output.content) {
    case OutputSet::Content::Codebook:
        return output.format->codebook(data_, file, output.format->limit) && file.finish();
    case OutputSet::Content::Problems:
        return output.format->problems(problems_, file) && file.finish();
    case OutputSet::Content::Checks:
        return output.format->checks(data_, file, output.format->limit) && file.finish();
    case OutputSet::Content::Report:
        return true; // the caller's
    case OutputSet::Content::DataSet:
        break;
    }
    return writeDataSet(output, control);
}

bool Merge::writeDataSet(OutputSet::Output &output, RunControl &control)
{
    SafeFile &file = *output.file;
    const QString item = QFileInfo(output.path).fileName();
    const std::unique_ptr<Exporter> exporter = output.format->exporter();
    const Exporter::Target target{data_, problems_, output.path, output.companion, output.format->limit};
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
        if ((row + 1) % kRowsBetweenProgress == 0) {
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
