#include "serve/downloads/Job.h"

#include "collect/merge/Merge.h"
#include "collect/report/ReportStep.h"
#include "serve/downloads/Snapshot.h"
#include "serve/downloads/Zip.h"
#include "serve/verdict/Verdict.h"

#include <QDir>

namespace Serve::Downloads {

namespace {

// The folder the files are in, in the job's folder and in the zip: csr-collect
// run on the unzipped folder names every file as the server's outputs do.
const QString kFilesFolder = QStringLiteral("填报结果");

struct StepWords {
    Progress::Step step;
    const char *name;
    const char *words;
    double from, to; // the part of the whole job it is
};

constexpr StepWords kSteps[] = {
    {Progress::Step::Waiting, "waiting", "排队等候", 0, 0},
    {Progress::Step::Copying, "copying", "取出文件", 0, 0.2},
    {Progress::Step::Scanning, "scanning", "查找文件", 0.2, 0.2},
    {Progress::Step::Reading, "reading", "读取文件", 0.2, 0.7},
    {Progress::Step::Writing, "writing", "写出", 0.7, 0.9},
    {Progress::Step::Reporting, "reporting", "生成报告", 0.9, 0.95},
    {Progress::Step::Zipping, "zipping", "压缩", 0.2, 0.95},
    {Progress::Step::Done, "done", "完成", 1, 1},
    {Progress::Step::Failed, "failed", "失败", 1, 1},
};

Merge::Options optionsFor(const JobRequest &request, const Snapshot &snapshot, const QString &files,
                          const QString &output)
{
    Merge::Options options;
    options.report.groupBy = request.groupBy;
    options.report.inputsShown = {kFilesFolder}; // not the job's folder on the server
    options.inputs = {files};
    // Checked as the collectors marked them, by the verdict's key of each finding.
    if (!snapshot.checked.isEmpty())
        options.checked = [checked = snapshot.checked](const QString &file, const DataChecks::Finding &finding) {
            const auto found = checked.constFind(file);
            return found != checked.constEnd() && found->contains(Verdict::findingKey(finding));
        };
    QStringList *target = nullptr;
    switch (request.kind.content) {
    case OutputContent::DataSet: target = &options.outputs; break;
    case OutputContent::Codebook: target = &options.codebooks; break;
    case OutputContent::Problems: target = &options.problems; break;
    case OutputContent::Checks: target = &options.checks; break;
    case OutputContent::Report: target = &options.report.paths; break;
    }
    target->append(output);
    return options;
}

// The outputs of the collector's run in place in out/, or why not.
bool makeOutputs(const JobRequest &request, const Snapshot &snapshot, const QString &files, const QString &out,
                 Progress &progress, QString *error)
{
    // The collector's own run, as its command line makes it.
    Merge merge(optionsFor(request, snapshot, files, out + QLatin1Char('/') + request.kind.name));
    const Merge::Summary summary = ReportStep::mergeAndReport(merge, progress);
    if (summary.committed && summary.outputErrors.isEmpty())
        return true;
    *error = summary.outputErrors.isEmpty() ? QStringLiteral("已取消") : summary.outputErrors.join(QLatin1Char('\n'));
    return false;
}

} // namespace

void Progress::progress(Phase phase, qint64 done, qint64 total, const QString &)
{
    if (step_.load() == Step::Reporting)
        return; // the report is drawn after the data set: its words stay
    step(phase == Phase::Scanning  ? Step::Scanning
         : phase == Phase::Reading ? Step::Reading
         : phase == Phase::Drawing ? Step::Reporting
                                   : Step::Writing,
         done, total);
}

void Progress::step(Step step, qint64 done, qint64 total)
{
    total_.store(total);
    done_.store(done);
    step_.store(step);
}

QJsonObject Progress::json() const
{
    const StepWords &words = kSteps[int(step_.load())];
    const qint64 done = done_.load(), total = total_.load();
    const double part = total > 0 ? std::clamp(double(done) / double(total), 0.0, 1.0) : 0.0;
    QString text = QString::fromUtf8(words.words);
    if (total > 0)
        text += QStringLiteral(" %1/%2").arg(done).arg(total);
    return {{"step", QLatin1String(words.name)},
            {"done", done},
            {"total", total},
            {"fraction", words.from + (words.to - words.from) * part},
            {"words", text}};
}

JobResult runJob(const JobRequest &request, Progress &progress)
{
    JobResult result;
    const QString files = request.folder + QStringLiteral("/in/") + kFilesFolder;
    const QString out = request.folder + QStringLiteral("/out");
    if (!QDir().mkpath(files) || !QDir().mkpath(out) || !QDir().mkpath(request.cache)) {
        result.error = QStringLiteral("无法建立临时文件夹：%1").arg(request.folder);
        return result;
    }
    Snapshot snapshot;
    {
        std::unique_ptr<Store> store = Store::open(request.database, &result.error);
        progress.step(Progress::Step::Copying);
        const auto copied = [&](qsizetype n, qsizetype total) { progress.step(Progress::Step::Copying, n, total); };
        if (!store || !writeSnapshot(*store, request.cache, files, snapshot, copied, &result.error))
            return result;
        result.key = snapshot.key;
        result.files = snapshot.files;
    }
    const Kind &kind = request.kind;
    if (kind.originals) {
        progress.step(Progress::Step::Zipping);
        result.file = out + QLatin1Char('/') + kind.name;
        result.made = zipFolder(files, kFilesFolder, result.file, *progress.flag(), &result.error);
    } else if (makeOutputs(request, snapshot, files, out, progress, &result.error)) {
        result.file = out + QLatin1Char('/') + kind.name;
        // A syntax file goes with the CSV it reads, in one zip.
        if (kind.companion) {
            progress.step(Progress::Step::Zipping);
            result.file = request.folder + QLatin1Char('/') + kind.fileName();
            result.made = zipFolder(out, kind.name.section(QLatin1Char('.'), 0, 0), result.file, *progress.flag(),
                                    &result.error);
        } else {
            result.made = true;
        }
    }
    return result;
}

} // namespace Serve::Downloads
