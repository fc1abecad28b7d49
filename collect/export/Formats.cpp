// Which formats this build writes and with what; SPSS and Stata files only where ReadStat is built in.
#include "collect/export/Formats.h"

#include "collect/export/CsvExporter.h"
#include "collect/export/ExcelExporter.h"
#include "collect/export/ListFiles.h"
#include "collect/export/StatExporter.h"
#include "collect/export/SyntaxExporter.h"
#include "platform/SafeFile.h"

#include <QStringList>

bool Format::holds(OutputContent content) const
{
    switch (content) {
    case OutputContent::DataSet:
        return exporter != nullptr;
    case OutputContent::Codebook:
        return codebook != nullptr;
    case OutputContent::Problems:
        return problems != nullptr;
    case OutputContent::Checks:
        return checks != nullptr;
    case OutputContent::Report:
        break;
    }
    return false;
}

QString Format::fileWords() const
{
    const bool latin = !name.isEmpty() && name.back().unicode() < 0x80;
    return name.toString() + (latin ? QStringLiteral(" 文件") : QStringLiteral("文件"));
}

namespace Formats {
namespace {

using Unit = TextLimit::Unit;

// An Excel cell holds 32767 characters; SPSS a string of 32767 bytes.
constexpr TextLimit kExcelCell{Unit::Characters, 32767};
constexpr TextLimit kSpssString{Unit::Bytes, 32767};
// The CSV that both syntax files of one name read.
constexpr QStringView kValuesSuffix = u"_values.csv";

bool codebookCsv(const DataSet &data, SafeFile &file, const TextLimit &)
{
    return file.write(ListFiles::codebookCsv(data));
}

bool codebookMarkdown(const DataSet &data, SafeFile &file, const TextLimit &)
{
    return file.write(ListFiles::codebookMarkdown(data));
}

bool problemsCsv(const ProblemReport &report, SafeFile &file)
{
    return file.write(ListFiles::problemsCsv(report));
}

bool checksCsv(const DataSet &data, SafeFile &file, const TextLimit &)
{
    return file.write(ListFiles::checksCsv(data));
}

std::span<const Format> table()
{
    static const Format formats[] = {
        {.extension = u".xlsx",
         .name = u"Excel",
         .caption = u"Excel 工作簿 (.xlsx)",
         .limit = kExcelCell,
         .exporter = ExcelExporter::make,
         .codebook = ExcelExporter::writeCodebook,
         .checks = ExcelExporter::writeChecks},
        {.extension = u".csv",
         .name = u"CSV",
         .caption = u"CSV 逗号分隔 (.csv)",
         .exporter = CsvExporter::makeText,
         .codebook = codebookCsv,
         .problems = problemsCsv,
         .checks = checksCsv},
        {.extension = u".sav",
         .name = u"SPSS",
         .caption = u"SPSS 数据 (.sav)",
         .limit = kSpssString,
         .exporter = StatExporter::makeSav,
         .builtIn = StatExporter::builtIn()},
        // Stata's strL holds any text.
        {.extension = u".dta",
         .name = u"Stata",
         .caption = u"Stata 数据 (.dta)",
         .exporter = StatExporter::makeDta,
         .builtIn = StatExporter::builtIn()},
        {.extension = u".sps",
         .name = u"SPSS 语法",
         .caption = u"SPSS 语法 (.sps，连同它读取的 CSV)",
         .limit = kSpssString,
         .exporter = SyntaxExporter::makeSps,
         .companionSuffix = kValuesSuffix,
         .refusal = SyntaxExporter::refusal},
        // It reads the CSV the .sps reads, whose texts are cut as the .sav's.
        {.extension = u".do",
         .name = u"Stata do",
         .caption = u"Stata do 文件 (.do，连同它读取的 CSV)",
         .limit = kSpssString,
         .exporter = SyntaxExporter::makeDo,
         .companionSuffix = kValuesSuffix,
         .refusal = SyntaxExporter::refusal},
        {.extension = u".md", .name = u"Markdown", .codebook = codebookMarkdown},
    };
    return formats;
}

QString extensionsHolding(std::span<const Format> formats, OutputContent content)
{
    QStringList extensions;
    for (const Format &format : formats)
        if (format.builtIn && format.holds(content))
            extensions << format.extension.toString();
    return extensions.join(QStringLiteral("、"));
}

} // namespace

std::span<const Format> all()
{
    return table();
}

const Format *of(std::span<const Format> formats, const QString &path)
{
    for (const Format &format : formats)
        if (path.endsWith(format.extension, Qt::CaseInsensitive))
            return &format;
    return nullptr;
}

const Format &values()
{
    // Texts cut where the .sav cuts them, so that the .sps reads the same data set.
    static const Format format{
        .extension = u".csv", .name = u"CSV", .limit = kSpssString, .exporter = CsvExporter::makeValues};
    return format;
}

const Format &problemTable()
{
    for (const Format &format : table())
        if (format.problems)
            return format;
    Q_UNREACHABLE();
}

QString companionPath(const Format &format, const QString &path)
{
    if (format.companionSuffix.isEmpty())
        return {};
    return path.left(path.size() - format.extension.size()) + format.companionSuffix.toString();
}

QString dataExtensions(std::span<const Format> formats)
{
    return extensionsHolding(formats, OutputContent::DataSet);
}

QString codebookExtensions(std::span<const Format> formats)
{
    return extensionsHolding(formats, OutputContent::Codebook);
}

QString problemExtensions(std::span<const Format> formats)
{
    return extensionsHolding(formats, OutputContent::Problems);
}

QString checkExtensions(std::span<const Format> formats)
{
    return extensionsHolding(formats, OutputContent::Checks);
}

QString fileFilter(const Format &format)
{
    const QString extension = format.extension.toString();
    return format.caption.toString().replace(QLatin1Char('(') + extension, QStringLiteral("(*") + extension);
}

} // namespace Formats
