// Options are checked before anything is read; an interrupt cancels through
// the same path as the window's cancel button.
#include "collect/CommandLine.h"

#include "collect/Console.h"
#include "collect/Folders.h"
#include "collect/Merge.h"
#include "collect/ReportWriter.h"
#include "collect/RunControl.h"
#include "survey/SafeFile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>

namespace CommandLine {
namespace {

// Rejected files named on the terminal when no problem report is written.
constexpr qsizetype kMostNamed = 20;

void print(std::FILE *stream, const QString &text)
{
    Console::write(stream, text.toUtf8());
}

// One line on the terminal, rewritten in place a few times a second.
class TerminalProgress : public RunControl {
public:
    TerminalProgress(std::FILE *stream, bool enabled) : stream_(stream), enabled_(enabled) { clock_.start(); }

    void progress(Phase phase, qint64 done, qint64 total, const QString &item) override
    {
        if (!enabled_ || (clock_.elapsed() - shown_ < 200 && done != total))
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
        }
        print(stream_, QStringLiteral("\r\x1b[K") + text);
        dirty_ = true;
    }

    void clear()
    {
        if (dirty_)
            print(stream_, QStringLiteral("\r\x1b[K"));
        dirty_ = false;
    }

private:
    std::FILE *stream_;
    bool enabled_;
    bool dirty_ = false;
    QElapsedTimer clock_;
    qint64 shown_ = -1000;
};

int usageError(std::FILE *err, const QString &message)
{
    print(err, QStringLiteral("csr-collect: %1\n用 csr-collect --help 查看用法。\n").arg(message));
    return 2;
}

QString helpText(std::span<const Format> formats)
{
    QStringList lines;
    for (const Format &format : formats)
        if (format.holdsData() && format.builtIn)
            lines << QStringLiteral("  %1  %2").arg(format.extension.toString().leftJustified(6), format.caption);
    QStringList codebooks;
    for (const Format &format : formats)
        if (format.codebook && format.builtIn)
            codebooks << format.extension.toString();
    return QStringLiteral(
               "汇总填报结果：把文件夹中的填报结果文件（*.dbf）合并为一个数据集，并写出变量说明和问题清单。\n"
               "不带参数启动时打开窗口。\n"
               "\n"
               "INPUT 为填报结果文件或文件夹（连同子文件夹一起查找 *.dbf，由内容判断是不是填报结果）。\n"
               "OUTPUT 的扩展名决定格式；-o、--codebook、--problems 都可以给多次：\n"
               "%1\n"
               "  .sps 和 .do 读取写在旁边的 <名称>_values.csv（其中代码为数字，“不适用”为 %2），\n"
               "  并加上变量标签、值标签、缺失值定义、格式和测量级别。\n"
               "变量说明可以写成 %3。\n"
               "%4"
               "CSV 中以 = + - @ 开头的文字前加 '，以免被电子表格当作公式。\n"
               "\n"
               "退出状态：0 所有文件无误；1 有文件被拒绝、有问题或有不同内容的重复文件被舍弃（输出照样写出）；\n"
               "2 用法错误，或有输出无法写入（此时不替换任何输出）；130、143 被 Ctrl-C 或 SIGTERM 取消\n"
               "（不替换任何输出，也不留下临时文件）。")
        .arg(lines.join(QLatin1Char('\n')))
        .arg(DataSet::kNotApplicableCode)
        .arg(codebooks.join(QStringLiteral("、")))
        .arg(ReportWriter::builtIn()
                 ? QStringLiteral("--report 写出汇总报告：每道题的计数、比例和图表，扩展名为 .html"
                                  "（一个独立的网页，不需联网）\n或 .pdf（A4）；可以给两次，两种都写。\n")
                 : QString());
}

// A format this build does not have: one line, and the way round it.
QString notBuiltIn(const Format &format, std::span<const Format> formats)
{
    QString text = QStringLiteral("这个版本不能直接写出 %1 文件（%2）").arg(format.name, format.extension);
    for (const Format &other : formats)
        if (other.builtIn && other.holdsData() && !other.companionSuffix.isEmpty() &&
            other.name.startsWith(format.name))
            text += QStringLiteral("：请改用 %1（%2）").arg(other.extension, other.caption);
    return text;
}

// Files that were not merged, named on the terminal when no report is written.
void nameRejected(std::FILE *err, const ProblemReport &report)
{
    qsizetype named = 0, more = 0;
    for (const ProblemReport::Entry &e : report.entries()) {
        if (e.kind != ProblemReport::Kind::Rejected && e.kind != ProblemReport::Kind::Input)
            continue;
        if (named++ < kMostNamed)
            print(err, QStringLiteral("csr-collect: %1：%2\n").arg(e.file, e.what));
        else
            ++more;
    }
    if (more > 0)
        print(err, QStringLiteral("csr-collect: 另有 %1 个，用 --problems 文件.csv 写出全部。\n").arg(more));
}

} // namespace

int run(const QStringList &arguments, std::FILE *out, std::FILE *err, std::span<const Format> formats)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(helpText(formats));
    parser.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("填报结果文件或文件夹"),
                                 QStringLiteral("INPUT…"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("写出数据集（%1）").arg(Formats::dataExtensions(formats)),
                                    QStringLiteral("OUTPUT"));
    const QCommandLineOption codebook(QStringLiteral("codebook"), QStringLiteral("单独写出变量说明"),
                                      QStringLiteral("FILE"));
    const QCommandLineOption problems(QStringLiteral("problems"), QStringLiteral("写出问题清单（.csv）"),
                                      QStringLiteral("FILE"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("不显示进度"));
    QCommandLineOption report(QStringLiteral("report"), QStringLiteral("写出汇总报告（.html 或 .pdf）"),
                              QStringLiteral("FILE"));
    // Known even where it is not built in, so that asking for it gets a plain answer.
    if (!ReportWriter::builtIn())
        report.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({output, codebook, problems, report, quiet});
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    if (!parser.parse(arguments))
        return usageError(err, parser.errorText());
    if (parser.isSet(help)) {
        print(out, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        print(out, QStringLiteral("csr-collect %1\n").arg(QStringLiteral(CSR_COLLECT_VERSION)));
        return 0;
    }

    Merge::Options options;
    options.inputs = parser.positionalArguments();
    options.outputs = parser.values(output);
    options.codebooks = parser.values(codebook);
    options.problems = parser.values(problems);
    options.formats = formats;
    const QStringList reports = parser.values(report);

    if (options.outputs.isEmpty() && options.codebooks.isEmpty() && options.problems.isEmpty() && reports.isEmpty())
        return usageError(err,
                          QStringLiteral("没有输出：用 -o OUTPUT、--codebook FILE、--problems FILE 或 --report FILE"));
    if ((!options.outputs.isEmpty() || !options.problems.isEmpty() || !reports.isEmpty()) && options.inputs.isEmpty())
        return usageError(err, QStringLiteral("没有输入：给出填报结果文件或文件夹"));
    QStringList targets;
    QStringList companions; // a .sps and a .do of one name share their CSV
    for (const QString &path : options.outputs) {
        const Format *format = Formats::of(formats, path);
        if (!format || !format->holdsData())
            return usageError(
                err, QStringLiteral("不认识的输出格式：%1（用 %2）").arg(path, Formats::dataExtensions(formats)));
        if (!format->builtIn) {
            print(err, QStringLiteral("csr-collect: %1\n").arg(notBuiltIn(*format, formats)));
            return 2;
        }
        targets << path;
        const QString companion = Formats::companionPath(*format, path);
        if (!companion.isEmpty() && !companions.contains(companion))
            companions << companion;
    }
    for (const QString &path : options.codebooks) {
        const Format *format = Formats::of(formats, path);
        if (!format || !format->codebook || !format->builtIn)
            return usageError(err, QStringLiteral("变量说明只能写成 .csv、.xlsx 或 .md：%1").arg(path));
        targets << path;
    }
    for (const QString &path : options.problems) {
        if (!path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
            return usageError(err, QStringLiteral("问题清单只能写成 .csv：%1").arg(path));
        targets << path;
    }
    if (!reports.isEmpty() && !ReportWriter::builtIn()) {
        print(err, QStringLiteral("csr-collect: 这个版本不能写出汇总报告（缺少 Qt Charts）\n"));
        return 2;
    }
    for (const QString &path : reports) {
        if (!ReportWriter::isReportPath(path))
            return usageError(err, QStringLiteral("报告只能写成 .html 或 .pdf：%1").arg(path));
        targets << path;
    }
    QSet<QString> seen;
    for (const QString &path : targets + companions) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        if (seen.contains(absolute))
            return usageError(err, QStringLiteral("同一个文件不能写两次：%1").arg(path));
        seen.insert(absolute);
    }
    for (const QString &input : options.inputs)
        if (!QFileInfo::exists(input) && !QFileInfo(input).isSymLink())
            return usageError(err, QStringLiteral("找不到输入：%1").arg(input));

    // Charts are drawn by widgets' code: main makes a GUI application when a report is asked for.
    if (!reports.isEmpty() && !qobject_cast<QApplication *>(QCoreApplication::instance())) {
        print(err, QStringLiteral("csr-collect: 写报告需要图形界面的应用对象\n"));
        return 2;
    }
    // A report that cannot be written stops the run before any file is read.
    for (const QString &path : reports) {
        SafeFile probe(path);
        if (!probe.open(Folders::kTemporaryTag)) {
            print(err, QStringLiteral("csr-collect: 无法写入“%1”：%2\n").arg(path, probe.errorText()));
            return 2;
        }
    }

    TerminalProgress progress(err, !parser.isSet(quiet) && Console::isTerminal(err));
    Merge merge(options);
    Merge::Summary summary;
    {
        const Console::InterruptGuard interrupts(progress);
        summary = merge.run(progress);
    }
    progress.clear();

    if (options.problems.isEmpty())
        nameRejected(err, merge.problems());
    for (const QString &error : summary.outputErrors)
        print(err, QStringLiteral("csr-collect: %1\n").arg(error));
    if (!summary.outputErrors.isEmpty())
        print(err, QStringLiteral("csr-collect: 没有替换任何输出。\n"));
    print(out, summary.line() + QLatin1Char('\n'));
    // The report is drawn from the data set the outputs were written from, once they are in place.
    bool reportFailed = false;
    if (!reports.isEmpty() && summary.read && !summary.cancelled && summary.outputErrors.isEmpty()) {
        const Report::Content content =
            Report::build({merge.data(), options.inputs, summary, options.problems, QDateTime::currentDateTime()});
        for (const QString &path : reports) {
            QString why;
            if (!ReportWriter::write(content, path, why)) {
                print(err, QStringLiteral("csr-collect: 无法写入“%1”：%2\n").arg(path, why));
                reportFailed = true;
            }
        }
    }
    if (summary.cancelled && Console::InterruptGuard::exitStatus() != 0)
        return Console::InterruptGuard::exitStatus();
    return reportFailed ? 2 : summary.exitStatus();
}

} // namespace CommandLine
