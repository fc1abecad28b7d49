// The formats the collector writes, in one table: each format's extension,
// its name and its caption in the window, the longest text its cells hold,
// and its writers. Adding a format touches this table and its new writer.
#pragma once

#include "collect/data/TextLimit.h"

#include <QString>
#include <QStringView>
#include <memory>
#include <span>

class DataSet;
class Exporter;
class ProblemReport;
class SafeFile;

// What an output holds. A report is drawn by the report's own writer, in no
// format of this table.
enum class OutputContent { DataSet, Codebook, Problems, Checks, Report };

struct Format {
    QStringView extension{}; // with its point, lower case
    QStringView name{};      // in messages: "SPSS"
    QStringView caption{};   // in the window
    TextLimit limit{};
    // The data set's writer; nullptr when the format holds no data set.
    std::unique_ptr<Exporter> (*exporter)() = nullptr;
    // The codebook alone; nullptr when the format is not offered for it.
    bool (*codebook)(const DataSet &data, SafeFile &file, const TextLimit &limit) = nullptr;
    // The problem report alone; nullptr when the format is not offered for it.
    bool (*problems)(const ProblemReport &report, SafeFile &file) = nullptr;
    // The findings of the data checks alone; nullptr when the format is not offered for them.
    bool (*checks)(const DataSet &data, SafeFile &file, const TextLimit &limit) = nullptr;
    // A file written beside the output and read by it ("_values.csv"); empty for none.
    QStringView companionSuffix{};
    // Why an output cannot be written at the path, found before anything is
    // read; empty when it can. nullptr: any path will do.
    QString (*refusal)(const QString &path) = nullptr;
    // Whether this build has it: SPSS and Stata files need ReadStat.
    bool builtIn = true;

    // Whether the format can hold that content: the one question the command
    // line, the output set and the lists of extensions all ask.
    bool holds(OutputContent content) const;
    bool holdsData() const { return holds(OutputContent::DataSet); }
    // The name with "文件", a blank only after a Latin letter: "SPSS 文件", "SPSS 语法文件".
    QString fileWords() const;
};

namespace Formats {

// Every format, as this build has them.
std::span<const Format> all();

// The format of a path, by its extension in any case; nullptr for none.
const Format *of(std::span<const Format> table, const QString &path);

// The CSV that the syntax files read: every value as SPSS and Stata hold it.
const Format &values();
// The format a problem report is saved in from the window.
const Format &problemTable();

// The companion of an output: "汇总.sps" → "汇总_values.csv".
QString companionPath(const Format &format, const QString &path);

// The extensions of the built-in formats that hold a data set, a codebook, a
// problem report, for messages: ".xlsx、.csv…".
QString dataExtensions(std::span<const Format> table);
QString codebookExtensions(std::span<const Format> table);
QString problemExtensions(std::span<const Format> table);
QString checkExtensions(std::span<const Format> table);

// A format's caption as a file dialog's filter: "CSV 逗号分隔 (*.csv)".
QString fileFilter(const Format &format);

} // namespace Formats
