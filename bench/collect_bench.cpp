// Benchmark of csr-collect: generates realistic result files (seeded, written by
// the program's own writer) and times the csr-collect program to each format,
// against a baseline measured in the same run: a program that finds and reads
// the same files and does nothing with them.
//   csr-collect-bench [--files N] [--folder DIR] [--runs R]
// A run with a filter (--where, --without-errors) is timed beside them.
// The folder is kept and reused when it already holds N result files.
#include "collect/data/FindingRows.h"
#include "collect/data/RecordFilter.h"
#include "collect/input/InputScanner.h"
#include "collect/input/RecordReader.h"
#include "tests/collect/SampleRecords.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A folder made with another seed is made again: a new seed whenever the
// sample records change (counts became whole numbers with the data checks for them).
constexpr quint32 kSeed = 20140603;
constexpr int kInconsistentEvery = 20;

// Wall time, and processor time (user + system), which a busy machine disturbs less.
struct Times {
    double wall = 0;
    double cpu = 0;
};

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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
        // Most enterprises fill in figures that agree; one in twenty does not,
        // so that the data checks find what they find in the field.
        const auto values = i % kInconsistentEvery == 0 ? SampleRecords::Values::Random
                                                        : SampleRecords::Values::Consistent;
        SampleRecords::write(SampleRecords::make(rng, i, SampleRecords::Texts::Plain, values), sub);
    }
}

// Finding and reading every file, nothing else.
qint64 readEverything(const QString &folder)
{
    InputScanner scanner;
    scanner.add(folder);
    static char buffer[65 * 1024];
    qint64 bytes = 0;
    for (const InputScanner::File &file : scanner.files()) {
        const int fd = ::open(file.nativePath.constData(), O_RDONLY);
        if (fd < 0)
            continue;
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            bytes += n;
        ::close(fd);
    }
    return bytes;
}

// The baseline as a program of its own, like csr-collect: this program started
// again with --read-only.
Times baselineSeconds(const QString &folder)
{
    QElapsedTimer clock;
    clock.start();
    const double cpu = cpuSeconds(RUSAGE_CHILDREN);
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--read-only"), folder});
    process.waitForFinished(-1);
    return {double(clock.nsecsElapsed()) / 1e9, cpuSeconds(RUSAGE_CHILDREN) - cpu};
}

Times collectSeconds(const QString &folder, const QString &output, const QStringList &more = {})
{
    QElapsedTimer clock;
    clock.start();
    const double cpu = cpuSeconds(RUSAGE_CHILDREN);
    QProcess process;
    process.start(QStringLiteral(CSR_COLLECT_PATH),
                  QStringList{QStringLiteral("-q"), folder, QStringLiteral("-o"), output} + more);
    process.waitForFinished(-1);
    const Times times{double(clock.nsecsElapsed()) / 1e9, cpuSeconds(RUSAGE_CHILDREN) - cpu};
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() > 1) {
        std::fprintf(stderr, "csr-collect -o %s failed (%s %d): %s\n", qPrintable(output),
                     process.exitStatus() == QProcess::NormalExit ? "exit" : "crash", process.exitCode(),
                     process.readAllStandardError().constData());
        return {-1, -1};
    }
    return times;
}

// The data checks alone, in this process on one thread, over the files as
// the merge reads them: what they add to a merge at most (the merge runs the
// checks of each record on its reading threads).
double checkSeconds(const QString &folder, qsizetype &findings)
{
    InputScanner scanner;
    scanner.add(folder);
    DataSet data;
    for (const InputScanner::File &file : scanner.files()) {
        RecordReader::Result result = RecordReader::read(file);
        if (result.accepted())
            data.append(std::move(result.record));
    }
    QList<DataSet::Lines> lines; // the merge has them split already
    for (const DataSet::Record &record : data.records())
        lines.append(DataSet::split(record));
    QElapsedTimer clock;
    clock.start();
    QList<DataSet::Finding> found;
    QStringList keys;
    for (qsizetype row = 0; row < data.rowCount(); ++row) {
        for (const DataChecks::Finding &f : DataChecks::run(lines[row]))
            found.append(DataSet::Finding{row, f});
        keys << DataChecks::enterpriseKey(lines[row]);
    }
    found += FindingRows::acrossRecords(keys);
    data.setFindings(std::move(found));
    findings = data.findings().size();
    return double(clock.nsecsElapsed()) / 1e9;
}

// The filter the benchmark runs with: three conditions and the errors left out.
const QStringList kFilter = {QStringLiteral("--where"),         QStringLiteral("industry=1,3,5,7,9,11,13,15,17,19"),
                             QStringLiteral("--where"),         QStringLiteral("listed!=9"),
                             QStringLiteral("--where"),         QStringLiteral("q02_e=0"),
                             QStringLiteral("--without-errors")};

// The filter alone, in this process on one thread, over the records and
// findings as the merge has them: what it adds to a merge, in processor time,
// which a busy machine disturbs less.
double filterSeconds(const QString &folder, qsizetype &kept)
{
    RecordFilter filter;
    QString why;
    for (qsizetype i = 1; i < kFilter.size(); i += 2)
        if (!filter.add(kFilter[i], why))
            std::fprintf(stderr, "%s\n", qPrintable(why));
    filter.setWithoutErrors(true);
    InputScanner scanner;
    scanner.add(folder);
    QList<RecordReader::Result> results;
    for (const InputScanner::File &file : scanner.files())
        if (RecordReader::Result result = RecordReader::read(file); result.accepted())
            results.append(std::move(result));
    const double start = cpuSeconds(RUSAGE_THREAD);
    kept = std::count_if(results.begin(), results.end(),
                         [&](const RecordReader::Result &r) { return filter.keeps(r.record, r.findings); });
    return cpuSeconds(RUSAGE_THREAD) - start;
}

Times median(const QList<Times> &runs)
{
    QList<double> wall, cpu;
    for (const Times &t : runs) {
        wall << t.wall;
        cpu << t.cpu;
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

// The result files in folder, made when it does not hold as many.
void ensureFiles(const QString &folder, int files)
{
    if (countResultFiles(folder) == files)
        return;
    QDir(folder).removeRecursively();
    std::printf("generating %d result files in %s (seed %u)…\n", files, qPrintable(folder), kSeed);
    std::fflush(stdout);
    QElapsedTimer clock;
    clock.start();
    generate(folder, files);
    std::printf("  generated in %.1f s\n", double(clock.elapsed()) / 1000);
}

// csr-collect to each data format; the CSV run's times, which the checks and
// the report are measured against.
Times timeFormats(const QString &folder, const QString &scratch, int runs, const Times &base)
{
    struct Target {
        const char *extension;
        const char *goal;
    };
    const Target targets[] = {{"csv", "≤ 3× baseline"},
                              {"xlsx", "< 2 s for 10,000"},
                              {"sav", "< 2 s for 10,000"},
                              {"dta", "< 2 s for 10,000"}};
    Times csv;
    for (const Target &t : targets) {
        const QString output = scratch + QStringLiteral("/merged.") + QLatin1String(t.extension);
        QList<Times> times;
        for (int r = 0; r < runs; ++r)
            times << collectSeconds(folder, output);
        const Times m = median(times);
        if (QLatin1String(t.extension) == QLatin1String("csv"))
            csv = m;
        std::printf("  csr-collect -o merged.%-4s               %7.3f s (%.3f s)  %.1f× baseline; %s; %.1f MB\n",
                    t.extension, m.wall, m.cpu, m.wall / base.wall, t.goal, double(QFileInfo(output).size()) / 1e6);
    }
    return csv;
}

void timeChecks(const QString &folder, int runs, const Times &csv)
{
    QList<double> checks;
    qsizetype findings = 0;
    for (int r = 0; r < runs; ++r)
        checks << checkSeconds(folder, findings);
    std::sort(checks.begin(), checks.end());
    const double check = checks[checks.size() / 2];
    // Processor time against processor time: the merge spreads the checks
    // over its reading threads, so they add less than this to its wall time.
    std::printf("  the data checks alone, one thread         %7.3f s: %.1f%% of the CSV merge's processor time "
                "(%.1f%% of its wall time); %lld findings; ≤ 10%%\n",
                check, 100 * check / csv.cpu, 100 * check / csv.wall, qlonglong(findings));
}

void timeFilters(const QString &folder, const QString &scratch, int runs, const Times &csv)
{
    QList<double> alone;
    qsizetype kept = 0;
    for (int r = 0; r < runs; ++r)
        alone << filterSeconds(folder, kept);
    std::sort(alone.begin(), alone.end());
    const double filter = alone[alone.size() / 2];
    std::printf("  the filter alone, one thread              %7.3f s: %.1f%% of the CSV merge's processor time; "
                "%lld records kept; < 5%%\n",
                filter, 100 * filter / csv.cpu, qlonglong(kept));
    QList<Times> times;
    for (int r = 0; r < runs; ++r)
        times << collectSeconds(folder, scratch + QStringLiteral("/filtered.csv"), kFilter);
    const Times m = median(times);
    std::printf("  csr-collect -o merged.csv, filtered       %7.3f s (%.3f s); fewer rows to write\n", m.wall, m.cpu);
}

// The report beside the merge: the same CSV run with a report, less the CSV run alone.
void timeReports(const QString &folder, const QString &scratch, int runs, const Times &csv)
{
    struct Report {
        const char *caption;
        QStringList arguments;
    };
    const QString html = scratch + QStringLiteral("/report.html");
    const QString pdf = scratch + QStringLiteral("/report.pdf");
    const QString xlsx = scratch + QStringLiteral("/report.xlsx");
    const QString option = QStringLiteral("--report");
    const Report reports[] = {
        {"--report report.html", {option, html}},
        {"--report report.pdf", {option, pdf}},
        {"--report report.xlsx", {option, xlsx}},
        {"all three, --report-by industry",
         {option, html, option, pdf, option, xlsx, QStringLiteral("--report-by"), QStringLiteral("industry")}},
    };
    for (const Report &report : reports) {
        QList<Times> times;
        for (int r = 0; r < runs; ++r)
            times << collectSeconds(folder, scratch + QStringLiteral("/merged.csv"), report.arguments);
        const Times m = median(times);
        qint64 bytes = 0;
        for (const QString &file : {html, pdf, xlsx})
            bytes += report.arguments.contains(file) ? QFileInfo(file).size() : 0;
        const double megabytes = double(bytes) / 1e6;
        std::printf("  csr-collect -o merged.csv %-31s %7.3f s (%.3f s); the report %.3f s; < 3 s for 10,000; "
                    "%.1f MB\n",
                    report.caption, m.wall, m.cpu, m.wall - csv.wall, megabytes);
    }
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
    const QCommandLineOption readOnlyOption(QStringLiteral("read-only"),
                                            QStringLiteral("only find and read the files (the baseline)"),
                                            QStringLiteral("DIR"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("runs of each (default 3; median)"),
                                        QStringLiteral("R"), QStringLiteral("3"));
    parser.addOptions({filesOption, folderOption, runsOption, readOnlyOption});
    parser.process(app);
    if (parser.isSet(readOnlyOption))
        return readEverything(parser.value(readOnlyOption)) > 0 ? 0 : 1;
    const int files = parser.value(filesOption).toInt();
    const int runs = std::max(1, parser.value(runsOption).toInt());

    QTemporaryDir scratch;
    const QString folder = parser.isSet(folderOption)
                               ? parser.value(folderOption)
                               : QDir::tempPath() + QStringLiteral("/csr-collect-bench-%1-%2").arg(files).arg(kSeed);
    ensureFiles(folder, files);

    const qint64 bytes = readEverything(folder); // once to bring the files into the cache
    QList<Times> baseline;
    for (int r = 0; r < runs; ++r)
        baseline << baselineSeconds(folder);
    const Times base = median(baseline);
    std::printf("%d files, %.1f MB; median of %d runs; wall time (processor time)\n", files, double(bytes) / 1e6, runs);
    std::printf("  baseline (find and read, nothing else)  %7.3f s (%.3f s)\n", base.wall, base.cpu);

    const Times csv = timeFormats(folder, scratch.path(), runs, base);
    timeChecks(folder, runs, csv);
    timeFilters(folder, scratch.path(), runs, csv);
    timeReports(folder, scratch.path(), runs, csv);
    return 0;
}
