// The command line of csr-collect.
#include "collect/CommandLine.h"

#include "collect/FileFormat.h"
#include "collect/Merge.h"
#include "collect/RunControl.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>

#include <unistd.h>

namespace CommandLine {
namespace {

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
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

} // namespace

int run(const QStringList &arguments, std::FILE *out, std::FILE *err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "汇总填报结果：把文件夹中的“<企业名称>_填报结果.dbf”合并为一个数据集（CSV、Excel、SPSS、Stata），\n"
        "并写出变量说明和问题清单。不带参数启动时打开窗口。\n"
        "\n"
        "INPUT 为填报结果文件或文件夹（连同子文件夹一起查找 *_填报结果.dbf）。\n"
        "OUTPUT 的扩展名决定格式：.csv、.xlsx、.sav 或 .dta；-o 可以给多次。\n"
        "\n"
        "退出状态：0 所有文件无误；1 有文件被拒绝、有问题或有不同内容的重复文件被舍弃（输出照样写出）；\n"
        "2 用法错误，或有输出无法写入（此时不替换任何输出）。"));
    parser.addPositionalArgument(QStringLiteral("INPUT"), QStringLiteral("填报结果文件或文件夹"),
                                 QStringLiteral("INPUT…"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("写出数据集（.csv、.xlsx、.sav、.dta）"), QStringLiteral("OUTPUT"));
    const QCommandLineOption codebook(QStringLiteral("codebook"),
                                      QStringLiteral("单独写出变量说明（.csv、.xlsx 或 .md）"), QStringLiteral("FILE"));
    const QCommandLineOption problems(QStringLiteral("problems"), QStringLiteral("写出问题清单（.csv）"),
                                      QStringLiteral("FILE"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("不显示进度"));
    parser.addOptions({output, codebook, problems, quiet});
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
    options.codebook = parser.value(codebook);
    options.problems = parser.value(problems);

    if (options.outputs.isEmpty() && options.codebook.isEmpty() && options.problems.isEmpty())
        return usageError(err, QStringLiteral("没有输出：用 -o OUTPUT、--codebook FILE 或 --problems FILE"));
    if ((!options.outputs.isEmpty() || !options.problems.isEmpty()) && options.inputs.isEmpty())
        return usageError(err, QStringLiteral("没有输入：给出填报结果文件或文件夹"));
    for (const QString &path : options.outputs)
        if (!holdsData(fileFormatOf(path)))
            return usageError(err, QStringLiteral("不认识的输出格式：%1（用 .csv、.xlsx、.sav 或 .dta）").arg(path));
    if (!options.codebook.isEmpty()) {
        const FileFormat f = fileFormatOf(options.codebook);
        if (f != FileFormat::Csv && f != FileFormat::Xlsx && f != FileFormat::Markdown)
            return usageError(err, QStringLiteral("变量说明只能写成 .csv、.xlsx 或 .md：%1").arg(options.codebook));
    }
    if (!options.problems.isEmpty() && fileFormatOf(options.problems) != FileFormat::Csv)
        return usageError(err, QStringLiteral("问题清单只能写成 .csv：%1").arg(options.problems));
    QSet<QString> targets;
    for (const QString &path : options.outputs + QStringList{options.codebook, options.problems}) {
        if (path.isEmpty())
            continue;
        const QString absolute = QFileInfo(path).absoluteFilePath();
        if (targets.contains(absolute))
            return usageError(err, QStringLiteral("同一个文件不能写两次：%1").arg(path));
        targets.insert(absolute);
    }
    for (const QString &input : options.inputs)
        if (!QFileInfo::exists(input) && !QFileInfo(input).isSymLink())
            return usageError(err, QStringLiteral("找不到输入：%1").arg(input));

    TerminalProgress progress(err, !parser.isSet(quiet) && ::isatty(::fileno(err)));
    Merge merge(options);
    const Merge::Summary summary = merge.run(progress);
    progress.clear();

    for (const QString &error : summary.outputErrors)
        print(err, QStringLiteral("csr-collect: %1\n").arg(error));
    if (!summary.outputErrors.isEmpty())
        print(err, QStringLiteral("csr-collect: 没有替换任何输出。\n"));
    print(out, summary.line() + QLatin1Char('\n'));
    return summary.exitStatus();
}

} // namespace CommandLine
