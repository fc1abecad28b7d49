// Which formats this build writes and with what; SPSS and Stata files only where ReadStat is built in.
#include "collect/Formats.h"

#include "collect/Codebook.h"
#include "collect/CsvExporter.h"
#include "collect/ExcelExporter.h"
#include "collect/StatExporter.h"
#include "collect/SyntaxExporter.h"

#include <QStringList>

namespace Formats {
namespace {

using Unit = TextLimit::Unit;

// An Excel cell holds 32767 characters; SPSS a string of 32767 bytes.
constexpr TextLimit kExcelCell{Unit::Characters, 32767};
constexpr TextLimit kSpssString{Unit::Bytes, 32767};

std::span<const Format> table()
{
    static const Format formats[] = {
        {.extension = u".xlsx",
         .name = u"Excel",
         .caption = u"Excel 工作簿 (.xlsx)",
         .limit = kExcelCell,
         .exporter = ExcelExporter::make,
         .codebook = ExcelExporter::writeCodebook},
        {.extension = u".csv",
         .name = u"CSV",
         .caption = u"CSV 逗号分隔 (.csv)",
         .exporter = CsvExporter::makeText,
         .codebook = Codebook::writeCsv},
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
         .companionSuffix = u"_values.csv"},
        {.extension = u".do",
         .name = u"Stata do",
         .caption = u"Stata do 文件 (.do，连同它读取的 CSV)",
         .exporter = SyntaxExporter::makeDo,
         .companionSuffix = u"_values.csv"},
        {.extension = u".md", .name = u"Markdown", .codebook = Codebook::writeMarkdown},
    };
    return formats;
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
    static const Format format{.extension = u".csv", .name = u"CSV", .exporter = CsvExporter::makeValues};
    return format;
}

QString companionPath(const Format &format, const QString &path)
{
    if (format.companionSuffix.isEmpty())
        return {};
    return path.left(path.size() - format.extension.size()) + format.companionSuffix.toString();
}

QString dataExtensions(std::span<const Format> formats)
{
    QStringList extensions;
    for (const Format &format : formats)
        if (format.holdsData() && format.builtIn)
            extensions << format.extension.toString();
    return extensions.join(QStringLiteral("、"));
}

} // namespace Formats
