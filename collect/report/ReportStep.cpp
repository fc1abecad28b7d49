// The content is built once for all the reports.
#include "collect/report/ReportStep.h"

#include "collect/merge/RunControl.h"
#include "collect/report/ReportContent.h"
#include "collect/report/ReportWorkbook.h"
#include "collect/report/ReportWriter.h"
#include "platform/SafeFile.h"

namespace ReportStep {

void write(const Merge &merge, const QStringList &inputs, const QStringList &groupBy, const RunControl &control)
{
    const std::vector<OutputSet::Output *> reports = merge.reports();
    if (reports.empty() || control.isCancelled())
        return;
    Report::Source source{merge.data(), inputs, merge.summary(), merge.options().problems};
    source.groupBy = groupBy;
    const Report::Content content = Report::build(source);
    for (OutputSet::Output *report : reports) {
        if (control.isCancelled())
            return;
        SafeFile &file = *report->file;
        if (ReportWorkbook::isWorkbookPath(report->path)) {
            ReportWorkbook::write(content, file);
            continue;
        }
        const QByteArray bytes = ReportWriter::render(content, report->path);
        if (bytes.isEmpty())
            file.fail(QStringLiteral("报告无法生成"));
        // Finished here, so that the commit that follows only renames.
        if (file.write(bytes))
            file.finish();
    }
}

} // namespace ReportStep
