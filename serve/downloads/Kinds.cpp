#include "serve/downloads/Kinds.h"

#include "collect/report/ReportWriter.h"

namespace Serve::Downloads {

namespace {

struct Part {
    OutputContent content;
    const char *stem;
    const char *words;
};

constexpr Part kParts[] = {
    {OutputContent::DataSet, "data", "数据集"},
    {OutputContent::Codebook, "codebook", "变量说明"},
    {OutputContent::Problems, "problems", "问题清单"},
    {OutputContent::Checks, "checks", "数据核查结果"},
};

} // namespace

QString Kind::fileName() const
{
    return companion ? QString(name).replace(QLatin1Char('.'), QLatin1Char('_')) + QStringLiteral(".zip") : name;
}

QByteArray Kind::contentType() const
{
    const QString file = fileName();
    if (file.endsWith(QLatin1String(".csv")))
        return "text/csv; charset=utf-8";
    if (file.endsWith(QLatin1String(".html")))
        return "text/html; charset=utf-8";
    if (file.endsWith(QLatin1String(".md")))
        return "text/markdown; charset=utf-8";
    if (file.endsWith(QLatin1String(".pdf")))
        return "application/pdf";
    if (file.endsWith(QLatin1String(".zip")))
        return "application/zip";
    if (file.endsWith(QLatin1String(".xlsx")))
        return "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
    return "application/octet-stream";
}

QList<Kind> kinds()
{
    QList<Kind> out;
    for (const Part &part : kParts)
        for (const Format &format : Formats::all())
            if (format.builtIn && format.holds(part.content))
                out.append({QLatin1String(part.stem) + format.extension.toString(),
                            QStringLiteral("%1（%2）").arg(QString::fromUtf8(part.words), format.caption.isEmpty()
                                                                                                ? format.name.toString()
                                                                                                : format.caption.toString()),
                            part.content, false,
                            part.content == OutputContent::DataSet && !format.companionSuffix.isEmpty()});
    for (const QString &extension : ReportWriter::extensions())
        out.append({QStringLiteral("report") + extension,
                    QStringLiteral("汇总报告（%1）").arg(extension.mid(1).toUpper()), OutputContent::Report});
    out.append({QStringLiteral("originals.zip"), QStringLiteral("原始填报结果文件（zip）"), OutputContent::DataSet, true});
    return out;
}

std::optional<Kind> kindOf(const QString &name)
{
    for (const Kind &kind : kinds())
        if (kind.name == name)
            return kind;
    return std::nullopt;
}

} // namespace Serve::Downloads
