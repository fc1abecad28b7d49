// Formats by extension.
#include "collect/FileFormat.h"

FileFormat fileFormatOf(const QString &path)
{
    const QString lower = path.toLower();
    if (lower.endsWith(QLatin1String(".csv")))
        return FileFormat::Csv;
    if (lower.endsWith(QLatin1String(".xlsx")))
        return FileFormat::Xlsx;
    if (lower.endsWith(QLatin1String(".sav")))
        return FileFormat::Sav;
    if (lower.endsWith(QLatin1String(".dta")))
        return FileFormat::Dta;
    if (lower.endsWith(QLatin1String(".md")))
        return FileFormat::Markdown;
    return FileFormat::Unknown;
}

QString fileFormatName(FileFormat format)
{
    switch (format) {
    case FileFormat::Csv:
        return QStringLiteral("CSV");
    case FileFormat::Xlsx:
        return QStringLiteral("Excel");
    case FileFormat::Sav:
        return QStringLiteral("SPSS");
    case FileFormat::Dta:
        return QStringLiteral("Stata");
    case FileFormat::Markdown:
        return QStringLiteral("Markdown");
    case FileFormat::Unknown:
        break;
    }
    return QString();
}
