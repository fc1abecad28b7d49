// Options are checked before anything is read; an interrupt cancels through
// the same path as the window's cancel button.
#include "collect/cli/CommandLine.h"

#include "collect/export/CsvText.h"
#include "collect/input/FileName.h"
#include "collect/merge/Merge.h"
#include "collect/merge/RunControl.h"
#include "collect/report/ReportBreakdown.h"
#include "collect/report/ReportStep.h"
#include "collect/report/ReportWriter.h"
#include "platform/Console.h"
#include "platform/Folders.h"
#include "survey/DataChecks.h"
#include "platform/FileSystemCalls.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#include <optional>

namespace CommandLine {
namespace {

// Rejected files named on the terminal when no problem report is written.
constexpr qsizetype kMostNamed = 20;

// Where the command line writes. Once a write fails (the reader of a pipe
// has gone, `csr-collect … | head`), nothing more is sent there, as if there
// were no terminal: the run goes on and its outputs decide the status.
class Stream {
public:
    explicit Stream(std::FILE *file) : file_(file) {}
    void print(const QString &text)
    {
        if (open_ && !Console::write(file_, text.toUtf8()))
            open_ = false;
    }
    bool isOpen() const { return open_; }
    bool isTerminal() const { return open_ && Console::isTerminal(file_); }

private:
    std::FILE *file_;
    bool open_ = true;
};

// One line on the terminal, rewritten in place a few times a second; and a
// line of its own, unless quiet, while the run waits for another.
class TerminalProgress : public RunControl {
public:
    TerminalProgress(Stream &stream, bool enabled, bool quiet) : stream_(stream), enabled_(enabled), quiet_(quiet)
    {
        clock_.start();
    }

    void waiting(const QString &folder) override
    {
        if (quiet_)
            return;
        clear();
        stream_.print(QStringLiteral("csr-collect: 另一个汇总正在“%1”中放入它的结果，等它放完……\n").arg(folder));
    }

    void progress(Phase phase, qint64 done, qint64 total, const QString &item) override
    {
        if (!enabled_ || !stream_.isOpen() || (clock_.elapsed() - shown_ < 200 && done != total))
            return;
        shown_ = clock_.elapsed();
        const double seconds = std::max<qint64>(1, clock_.elapsed()) / 1000.0;
        QString text;
        switch (phase) {
        case Phase::Scanning:
            text = QStringLiteral("找到 %1 个文件").arg(done);
            break;
        case Phase::Reading:
            text = QStringLiteral("读取 %1/%2 个文件，每秒 %3 个").arg(done).arg(total).arg(qint64(done / seconds));
            break;
        case Phase::Writing:
            text = QStringLiteral("写入 %1：%2/%3 行").arg(item).arg(done).arg(total);
            break;
        case Phase::Drawing:
            text = QStringLiteral("生成报告 %1：%2/%3 步").arg(item).arg(done).arg(total);
            break;
        }
        stream_.print(QStringLiteral("\r\x1b[K") + text);
        dirty_ = true;
    }

    void clear()
    {
        if (dirty_)
            stream_.print(QStringLiteral("\r\x1b[K"));
        dirty_ = false;
    }

private:
    Stream &stream_;
    bool enabled_;
    bool quiet_;
    bool dirty_ = false;
    QElapsedTimer clock_;
    qint64 shown_ = -1000;
};

int usageError(Stream &err, const QString &message)
{
    err.print(QStringLiteral("csr-collect: %1\n用 csr-collect --help 查看用法。\n").arg(message));
    return 2;
}

// A one-line failure that is no misuse: no hint at the usage.
int failure(Stream &err, const QString &message)
{
    err.print(QStringLiteral("csr-collect: %1\n").arg(message));
    return 2;
}

// The companion the syntax files read, as the help names it: "<名称>_values.csv".
QString companionShown(std::span<const Format> formats)
{
    for (const Format &format : formats)
        if (!format.companionSuffix.isEmpty())
            return QStringLiteral("<名称>") + format.companionSuffix.toString();
    return {};
}

// Every data check in its own words, from the table of checks.
QString checksHelp(std::span<const Format> formats)
{
    QString text = QStringLiteral("数据核查：找出互相矛盾或极不可能的回答和数字，写入 --checks 文件（%1）、\n"
                                  "Excel 工作簿的“核查”表、报告的“数据核查”一节，以及数据集的 checks 变量\n"
                                  "（每条记录触发的核查编号）。核查结果不影响退出状态。\n")
                       .arg(Formats::checkExtensions(formats));
    for (const DataChecks::Check &check : DataChecks::all())
        text += QStringLiteral("  %1（%2）%3：%4（%5）\n")
                    .arg(check.id, DataChecks::severityText(check.severity), check.title,
                         DataChecks::description(check), DataChecks::linesText(check));
    return text;
}

// The variables a report can be broken down by: for the help, one a line
// with its label ("  industry  2.所属行业"); for a message, the names alone.
QString groupingNames(bool labelled)
{
    QStringList names;
    for (const auto &[name, label] : Report::Breakdowns::offered())
        names << (labelled ? QStringLiteral("  %1  %2").arg(name.leftJustified(19), label) : name);
    return names.join(labelled ? QStringLiteral("\n") : QStringLiteral("、"));
}

// What may be filtered, and what a filter applies to.
QString filterHelp()
{
    return QStringLiteral("--where VAR=CODE[,CODE…] 只保留 VAR 为其中一个代码的记录，--where VAR!=CODE[,CODE…] 只保留 "
                          "VAR 为其他代码的记录；\n"
                          "可以给多次，都须满足；VAR "
                          "未填、不适用或无效的记录都不保留。可以筛选的变量：单选题和是否题（如 listed=1、\n"
                          "\"industry=3,7\"）、下拉选择（列表中的序号或项目的文字）、多选题和表格中的选项（1 选中，0 "
                          "未选，如 q02_e=1）；\n"
                          "变量名和代码见变量说明。--without-errors "
                          "去掉数据核查发现“%1”的记录。数据集（各种格式）、变量说明的计数、\n"
                          "核查结果和报告都只含筛选后的记录；报告封面、SPSS 和 Stata 文件的标签、语法文件和 Excel\n"
                          "工作簿注明筛选条件；问题清单照样列出找到的每个文件。\n")
        .arg(DataChecks::severityText(DataChecks::Severity::Error));
}

QString helpText(std::span<const Format> formats)
{
    QStringList lines;
    for (const Format &format : formats)
        if (format.holdsData() && format.builtIn)
            lines << QStringLiteral("  %1  %2").arg(format.extension.toString().leftJustified(6), format.caption);
    return QStringLiteral(
               "汇总填报结果：把文件夹中的填报结果文件（*%7）合并为一个数据集，并写出变量说明和问题清单。\n"
               "不带参数启动时打开窗口。\n"
               "\n"
               "INPUT 为填报结果文件或文件夹（连同子文件夹一起查找 *%7，由内容判断是不是填报结果）；\n"
               "文件夹中指向文件夹的链接不跟随，列入问题清单，指向文件的链接照读。\n"
               "OUTPUT 的扩展名决定格式；-o、--codebook、--problems、--checks 都可以给多次：\n"
               "%1\n"
               "  .sps 和 .do 读取写在旁边的 %2（其中代码为数字，“不适用”为 %3），\n"
               "  并加上变量标签、值标签、缺失值定义、格式和测量级别。\n"
               "变量说明可以写成 %4。\n"
               "%5"
               "CSV 中以 %6开头的文字前加 '，以免被电子表格当作公式。\n"
               "\n"
               "%8"
               "\n"
               "退出状态：0 所有文件无误；1 有文件被拒绝、有问题或有不同内容的重复文件被舍弃（输出照样写出）；\n"
               "2 用法错误，或有输出（报告也算）无法写入（此时不替换任何输出）；130、143 被 Ctrl-C 或 SIGTERM\n"
               "取消（不替换任何输出，也不留下临时文件）。所有输出都写完后才一起替换原有的文件。")
        .arg(lines.join(QLatin1Char('\n')), companionShown(formats), QString::number(DataSet::kNotApplicableCode),
             Formats::codebookExtensions(formats),
             filterHelp() +
                 QStringLiteral(
                     "--report 写出汇总报告：每道题的计数、比例和图表，扩展名为 .html"
                     "（一个独立的网页，不需联网）\n或 .pdf（A4）；可以给两次，两种都写。\n"
                     "--report-by VAR 在报告中把每道题再按 VAR 分组列出（可以给多次），VAR 是数据集中的变量名：\n"
                     "%1\n")
                     .arg(groupingNames(true)),
             CsvText::formulaStartsInWords(), FileName::extension(), checksHelp(formats));
}

// A format this build does not have: one line, and the way round it.
QString notBuiltIn(const Format &format, std::span<const Format> formats)
{
    QString text = QStringLiteral("这个版本不能直接写出 %1（%2）").arg(format.fileWords(), format.extension);
    for (const Format &other : formats)
        if (other.builtIn && other.holdsData() && !other.companionSuffix.isEmpty() &&
            other.name.startsWith(format.name))
            text += QStringLiteral("：请改用 %1（%2）").arg(other.extension, other.caption);
    return text;
}

// Files that were not merged, named on the terminal when no report is written.
void nameRejected(Stream &err, const ProblemReport &report)
{
    qsizetype named = 0, more = 0;
    for (const ProblemReport::Entry &e : report.entries()) {
        if (e.kind != ProblemReport::Kind::Rejected && e.kind != ProblemReport::Kind::Input &&
            e.kind != ProblemReport::Kind::LinkNotFollowed)
            continue;
        if (named++ < kMostNamed)
            err.print(QStringLiteral("csr-collect: %1：%2%3\n")
                          .arg(e.file, e.what, e.raw.isEmpty() ? QString() : QStringLiteral("（%1）").arg(e.raw)));
        else
            ++more;
    }
    if (more > 0)
        err.print(QStringLiteral("csr-collect: 另有 %1 个，用 --problems 文件.csv 写出全部。\n").arg(more));
}

// What the arguments ask for; the report's request travels in the merge's options.
struct Request {
    Merge::Options options;
    QStringList where;
    bool quiet = false;
};

// One run of the command line: parse, check, merge, report.
class Run {
public:
    Run(std::FILE *out, std::FILE *err, std::span<const Format> formats, FileSystemCalls *files)
        : out_(out), err_(err), formats_(formats), files_(files)
    {
    }

    int exec(const QStringList &arguments)
    {
        if (const std::optional<int> done = parse(arguments))
            return *done;
        if (const std::optional<int> refused = check())
            return *refused;
        return mergeAndReport();
    }

private:
    std::optional<int> parse(const QStringList &arguments);
    std::optional<int> check();
    std::optional<int> checkOutputs(QStringList &targets, QStringList &companions);
    std::optional<int> checkReports(QStringList &targets);
    std::optional<int> checkFilter();
    int mergeAndReport();

    Stream out_;
    Stream err_;
    std::span<const Format> formats_;
    FileSystemCalls *files_;
    Request request_;
};

std::optional<int> Run::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(helpText(formats_));
    parser.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("填报结果文件或文件夹"),
                                 QStringLiteral("INPUT…"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("写出数据集（%1）").arg(Formats::dataExtensions(formats_)),
                                    QStringLiteral("OUTPUT"));
    const QCommandLineOption codebook(QStringLiteral("codebook"), QStringLiteral("单独写出变量说明"),
                                      QStringLiteral("FILE"));
    const QCommandLineOption problems(QStringLiteral("problems"),
                                      QStringLiteral("写出问题清单（%1）").arg(Formats::problemExtensions(formats_)),
                                      QStringLiteral("FILE"));
    const QCommandLineOption checks(
        QStringLiteral("checks"),
        QStringLiteral("写出数据核查发现的可疑之处（%1）").arg(Formats::checkExtensions(formats_)),
        QStringLiteral("FILE"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("不显示进度"));
    const QCommandLineOption report(
        QStringLiteral("report"),
        QStringLiteral("写出汇总报告（%1）").arg(ReportWriter::extensions().join(QStringLiteral(" 或 "))),
        QStringLiteral("FILE"));
    const QCommandLineOption reportBy(QStringLiteral("report-by"), QStringLiteral("报告中按 VAR 分组（见上）"),
                                      QStringLiteral("VAR"));
    const QCommandLineOption where(QStringLiteral("where"), QStringLiteral("只保留满足条件的记录（见上）"),
                                   QStringLiteral("VAR=CODE"));
    const QCommandLineOption withoutErrors(
        QStringLiteral("without-errors"),
        QStringLiteral("去掉数据核查发现“%1”的记录").arg(DataChecks::severityText(DataChecks::Severity::Error)));
    parser.addOptions({output, codebook, problems, checks, report, reportBy, where, withoutErrors, quiet});
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    if (!parser.parse(arguments))
        return usageError(err_, parser.errorText());
    if (parser.isSet(help)) {
        out_.print(parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        out_.print(QStringLiteral("csr-collect %1\n").arg(QStringLiteral(CSR_COLLECT_VERSION)));
        return 0;
    }
    Merge::Options &options = request_.options;
    options.inputs = parser.positionalArguments();
    options.outputs = parser.values(output);
    options.codebooks = parser.values(codebook);
    options.problems = parser.values(problems);
    options.checks = parser.values(checks);
    options.formats = formats_;
    options.files = files_;
    options.report.paths = parser.values(report);
    options.report.groupBy = parser.values(reportBy);
    options.report.groupBy.removeDuplicates();
    request_.where = parser.values(where);
    options.filter.setWithoutErrors(parser.isSet(withoutErrors));
    request_.quiet = parser.isSet(quiet);
    return std::nullopt;
}

std::optional<int> Run::check()
{
    const Merge::Options &options = request_.options;
    if (options.outputs.isEmpty() && options.codebooks.isEmpty() && options.problems.isEmpty() &&
        options.checks.isEmpty() && options.report.paths.isEmpty())
        return usageError(err_, QStringLiteral("没有输出：用 -o OUTPUT、--codebook FILE、--problems FILE、"
                                               "--checks FILE 或 --report FILE"));
    if ((!options.outputs.isEmpty() || !options.problems.isEmpty() || !options.checks.isEmpty() ||
         !options.report.paths.isEmpty()) &&
        options.inputs.isEmpty())
        return usageError(err_, QStringLiteral("没有输入：给出填报结果文件或文件夹"));
    if (const std::optional<int> refused = checkFilter())
        return refused;
    QStringList targets, companions;
    if (const std::optional<int> refused = checkOutputs(targets, companions))
        return refused;
    if (const std::optional<int> refused = checkReports(targets))
        return refused;
    // One file reached by two paths (through a linked folder) is still one file.
    QSet<Folders::Place> seen;
    for (const QString &path : targets + companions) {
        Folders::Place place = Folders::placeOf(FileSystemCalls::nativePath(path));
        if (place.node == 0) // a folder that cannot be looked at: its output fails later
            place.name = FileSystemCalls::nativePath(QFileInfo(path).absoluteFilePath());
        if (seen.contains(place))
            return usageError(err_, QStringLiteral("同一个文件不能写两次：%1").arg(path));
        seen.insert(place);
    }
    for (const QString &input : options.inputs)
        if (!QFileInfo::exists(input) && !QFileInfo(input).isSymLink())
            return usageError(err_, QStringLiteral("找不到输入：%1").arg(input));
    return std::nullopt;
}

// Each output in a format that holds what it is for, and that this build
// has. Adds the outputs to targets, and the CSVs the syntax files read to
// companions (a .sps and a .do of one name share theirs).
std::optional<int> Run::checkOutputs(QStringList &targets, QStringList &companions)
{
    const Merge::Options &options = request_.options;
    for (const QString &path : options.outputs) {
        const Format *format = Formats::of(formats_, path);
        if (!format || !format->holdsData())
            return usageError(
                err_, QStringLiteral("不认识的输出格式：%1（用 %2）").arg(path, Formats::dataExtensions(formats_)));
        if (!format->builtIn)
            return failure(err_, notBuiltIn(*format, formats_));
        if (const QString why = format->refusal ? format->refusal(path) : QString(); !why.isEmpty())
            return failure(err_, OutputSet::failure(path, why));
        targets << path;
        const QString companion = Formats::companionPath(*format, path);
        if (!companion.isEmpty() && !companions.contains(companion))
            companions << companion;
    }
    // The lists beside the data set, each in the formats that hold it.
    struct List {
        const QStringList &paths;
        OutputContent content;
        const char *what;
        QString extensions;
    };
    const List lists[] = {
        {options.codebooks, OutputContent::Codebook, "变量说明", Formats::codebookExtensions(formats_)},
        {options.problems, OutputContent::Problems, "问题清单", Formats::problemExtensions(formats_)},
        {options.checks, OutputContent::Checks, "核查结果", Formats::checkExtensions(formats_)},
    };
    for (const List &list : lists)
        for (const QString &path : list.paths) {
            const Format *format = Formats::of(formats_, path);
            if (!format || !format->holds(list.content) || !format->builtIn)
                return usageError(err_, QStringLiteral("%1只能写成 %2：%3")
                                            .arg(QString::fromUtf8(list.what), list.extensions, path));
            targets << path;
        }
    return std::nullopt;
}

std::optional<int> Run::checkReports(QStringList &targets)
{
    const ReportRequest &report = request_.options.report;
    if (!report.groupBy.isEmpty() && report.paths.isEmpty())
        return usageError(err_, QStringLiteral("--report-by 只用于报告：同时给出 --report FILE"));
    const QList<QPair<QString, QString>> offered = Report::Breakdowns::offered();
    for (const QString &name : report.groupBy)
        if (std::none_of(offered.begin(), offered.end(), [&](const auto &o) { return o.first == name; }))
            return failure(err_, QStringLiteral("报告不能按“%1”分组：只能按单选题、是否题或下拉选择的变量分组：%2")
                                     .arg(name, groupingNames(false)));
    for (const QString &path : report.paths) {
        if (!ReportWriter::isReportPath(path))
            return usageError(err_, QStringLiteral("报告只能写成 %1：%2")
                                        .arg(ReportWriter::extensions().join(QStringLiteral(" 或 ")), path));
        targets << path;
    }
    return std::nullopt;
}

// A filter that names no variable or code to filter on stops the run in one line.
std::optional<int> Run::checkFilter()
{
    for (const QString &condition : request_.where)
        if (QString why; !request_.options.filter.add(condition, why))
            return failure(err_, why);
    return std::nullopt;
}

int Run::mergeAndReport()
{
    const Merge::Options &options = request_.options;
    // Refused before a file is read: main makes a GUI application when a report is asked for.
    if (const QString why = ReportStep::cannotDraw(); !options.report.paths.isEmpty() && !why.isEmpty())
        return failure(err_, why);

    TerminalProgress progress(err_, !request_.quiet && err_.isTerminal(), request_.quiet);
    Merge merge(options);
    Merge::Summary summary;
    {
        // Until the outputs are in place, an interrupt cancels the run and replaces nothing.
        const Console::InterruptGuard interrupts(progress.cancelFlag());
        summary = ReportStep::mergeAndReport(merge, progress);
    }
    progress.clear();

    if (options.problems.isEmpty())
        nameRejected(err_, merge.problems());
    for (const QString &error : summary.outputErrors)
        err_.print(QStringLiteral("csr-collect: %1\n").arg(error));
    if (!summary.outputErrors.isEmpty() && !summary.committed)
        err_.print(QStringLiteral("csr-collect: 没有替换任何输出。\n"));
    out_.print(summary.line() + QLatin1Char('\n'));
    if (summary.cancelled && Console::InterruptGuard::exitStatus() != 0)
        return Console::InterruptGuard::exitStatus();
    return summary.exitStatus();
}

} // namespace

int run(const QStringList &arguments, std::FILE *out, std::FILE *err, std::span<const Format> formats,
        FileSystemCalls *files)
{
    Console::ignoreClosedPipes();
    return Run(out, err, formats, files).exec(arguments);
}

} // namespace CommandLine
