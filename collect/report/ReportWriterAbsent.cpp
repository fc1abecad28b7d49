// A build without Qt Charts writes no report: the command line and the window
// ask builtIn() before they offer one.
#include "collect/report/ReportWriter.h"

namespace ReportWriter {

bool builtIn()
{
    return false;
}

bool isReportPath(const QString &)
{
    return false;
}

QStringList extensions()
{
    return {};
}

QByteArray html(const Report::Content &)
{
    return {};
}

QByteArray pdf(const Report::Content &)
{
    return {};
}

QByteArray render(const Report::Content &, const QString &)
{
    return {};
}

bool write(const Report::Content &, const QString &, QString &error, FileSystemCalls *)
{
    error = QStringLiteral("这个版本不能写出汇总报告");
    return false;
}

} // namespace ReportWriter
