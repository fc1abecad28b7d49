// The content is built once for all the report's files. A file that cannot
// be drawn fails, with why, and the commit that follows then replaces nothing.
#include "collect/report/ReportStep.h"

#include "collect/merge/RunControl.h"
#include "collect/report/ReportContent.h"
#include "collect/report/ReportWorkbook.h"
#include "collect/report/ReportWriter.h"
#include "platform/SafeFile.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace ReportStep {
namespace {

void drawFile(const Report::Content &content, OutputSet::Output &report)
{
    SafeFile &file = *report.file;
    if (ReportWorkbook::isWorkbookPath(report.path)) {
        ReportWorkbook::write(content, file);
        return;
    }
    const QByteArray bytes = ReportWriter::render(content, report.path);
    if (bytes.isEmpty())
        file.fail(QStringLiteral("报告无法生成"));
    // Finished here, so that the commit that follows only renames.
    if (file.write(bytes))
        file.finish();
}

void draw(const Merge &merge, RunControl &control)
{
    const std::vector<OutputSet::Output *> reports = merge.reports();
    if (reports.empty())
        return;
    if (const QString why = cannotDraw(); !why.isEmpty()) {
        for (OutputSet::Output *report : reports)
            report->file->fail(why);
        return;
    }
    const qint64 steps = qint64(reports.size()) + 1;
    control.progress(RunControl::Phase::Drawing, 0, steps, QString());
    if (control.isCancelled())
        return;
    const Merge::Options &options = merge.options();
    const QStringList &shown = options.report.inputsShown;
    Report::Source source{merge.data(), shown.isEmpty() ? options.inputs : shown, merge.summary(), options.problems};
    source.groupBy = options.report.groupBy;
    const Report::Content content = Report::build(source);
    for (size_t i = 0; i < reports.size(); ++i) {
        control.progress(RunControl::Phase::Drawing, qint64(i) + 1, steps, QFileInfo(reports[i]->path).fileName());
        if (control.isCancelled())
            return;
        drawFile(content, *reports[i]);
    }
    control.progress(RunControl::Phase::Drawing, steps, steps, QString());
}

} // namespace

Merge::Summary mergeAndReport(Merge &merge, RunControl &control)
{
    const Merge::Summary written = merge.write(control);
    if (written.read && !written.cancelled && written.outputErrors.isEmpty())
        draw(merge, control);
    return merge.commit(control);
}

QString cannotDraw()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return {};
    return QStringLiteral("写报告需要图形界面的应用对象");
}

} // namespace ReportStep
