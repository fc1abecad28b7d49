// The content is built once for all the paths.
#include "collect/report/ReportStep.h"

#include "collect/report/ReportWriter.h"

namespace ReportStep {

QList<Failure> write(const Report::Source &source, const QStringList &paths)
{
    QList<Failure> failures;
    if (paths.isEmpty())
        return failures;
    const Report::Content content = Report::build(source);
    for (const QString &path : paths) {
        QString why;
        if (!ReportWriter::write(content, path, why))
            failures.append({path, why});
    }
    return failures;
}

} // namespace ReportStep
