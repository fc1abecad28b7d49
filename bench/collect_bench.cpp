// Benchmark of csr-collect: generates realistic result files (seeded, written by
// the program's own writer) and times the csr-collect program to each format,
// against a baseline measured in the same run: finding and reading the same
// files and doing nothing with them.
//   csr-collect-bench [--files N] [--folder DIR] [--runs R]
// The folder is kept and reused when it already holds N result files.
#include "InputScanner.h"
#include "SampleRecords.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr quint32 kSeed = 20140601;

int countResultFiles(const QString &folder)
{
    InputScanner scanner;
    scanner.add(folder);
    return int(scanner.files().size());
}

void generate(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QRandomGenerator rng(kSeed);
    for (int i = 0; i < count; ++i) {
        // A hundred subfolders, as collectors receive them by region.
        const QString sub = folder + QStringLiteral("/%1/").arg(i % 100, 3, 10, QLatin1Char('0'));
        if (i < 100)
            QDir().mkpath(sub);
        SampleRecords::write(SampleRecords::make(rng, i), sub);
    }
}

// Finding and reading every file, nothing else.
double baselineSeconds(const QString &folder, qint64 &bytes)
{
    QElapsedTimer clock;
    clock.start();
    InputScanner scanner;
    scanner.add(folder);
    static char buffer[65 * 1024];
    bytes = 0;
    for (const InputScanner::File &file : scanner.files()) {
        const int fd = ::open(file.nativePath.constData(), O_RDONLY);
        if (fd < 0)
            continue;
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            bytes += n;
        ::close(fd);
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

double collectSeconds(const QString &folder, const QString &output)
{
    QElapsedTimer clock;
    clock.start();
    QProcess process;
    process.start(QStringLiteral(CSR_COLLECT_PATH), {QStringLiteral("-q"), folder, QStringLiteral("-o"), output});
    process.waitForFinished(-1);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() > 1) {
        std::fprintf(stderr, "csr-collect failed: %s\n", process.readAllStandardError().constData());
        return -1;
    }
    return seconds;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption filesOption(QStringLiteral("files"), QStringLiteral("result files (default 10000)"),
                                         QStringLiteral("N"), QStringLiteral("10000"));
    const QCommandLineOption folderOption(QStringLiteral("folder"), QStringLiteral("where the files are kept"),
                                          QStringLiteral("DIR"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("runs of each (default 3; median)"),
                                        QStringLiteral("R"), QStringLiteral("3"));
    parser.addOptions({filesOption, folderOption, runsOption});
    parser.process(app);
    const int files = parser.value(filesOption).toInt();
    const int runs = std::max(1, parser.value(runsOption).toInt());

    QTemporaryDir scratch;
    const QString folder = parser.isSet(folderOption)
                               ? parser.value(folderOption)
                               : QDir::tempPath() + QStringLiteral("/csr-collect-bench-%1").arg(files);
    if (countResultFiles(folder) != files) {
        QDir(folder).removeRecursively();
        std::printf("generating %d result files in %s (seed %u)…\n", files, qPrintable(folder), kSeed);
        std::fflush(stdout);
        QElapsedTimer clock;
        clock.start();
        generate(folder, files);
        std::printf("  generated in %.1f s\n", double(clock.elapsed()) / 1000);
    }

    qint64 bytes = 0;
    baselineSeconds(folder, bytes); // once to bring the files into the cache
    QList<double> baseline;
    for (int r = 0; r < runs; ++r)
        baseline << baselineSeconds(folder, bytes);
    const double base = median(baseline);
    std::printf("%d files, %.1f MB; median of %d runs\n", files, double(bytes) / 1e6, runs);
    std::printf("  baseline (find and read, nothing else)  %7.3f s\n", base);

    struct Target {
        const char *extension;
        const char *goal;
    };
    const Target targets[] = {{"csv", "≤ 3× baseline"}, {"xlsx", "< 2 s for 10,000"}, {"sav", "< 2 s for 10,000"},
                              {"dta", "< 2 s for 10,000"}};
    for (const Target &t : targets) {
        const QString output = scratch.path() + QStringLiteral("/merged.") + QLatin1String(t.extension);
        QList<double> times;
        for (int r = 0; r < runs; ++r)
            times << collectSeconds(folder, output);
        const double seconds = median(times);
        std::printf("  csr-collect -o merged.%-4s               %7.3f s  (%.1f× baseline; %s)  %.1f MB\n", t.extension,
                    seconds, seconds / base, t.goal, double(QFileInfo(output).size()) / 1e6);
    }
    return 0;
}
