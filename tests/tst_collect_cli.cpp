// csr-collect on the command line, run as its own process: options, exit
// statuses, the summary line, rejected files named, interrupts, and outputs
// beside what was there before, filters; and, run in this process, paths the syntax
// files cannot name, interrupts held while the outputs are put in place, and
// a build without SPSS and Stata files.
#include "collect/cli/CommandLine.h"
#include "platform/Console.h"
#include "platform/FileSystemCalls.h"
#include "platform/Folders.h"
#include "platform/Gbk.h"
#include "tests/collect/CommandLineRun.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"
#include "tests/support/FilesIn.h"
#include "tests/support/TestSystem.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <vector>

namespace {

using CommandLineRun::Run;

Run collect(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(CSR_COLLECT_PATH), arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class CollectCommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void help();
    void usageErrors_data();
    void usageErrors();
    void cleanFolder();
    void problemsGiveStatusOne();
    void anOutputThatCannotBeWritten();
    void codebookAlone_data();
    void codebookAlone();
    void progressOnATerminal_data();
    void progressOnATerminal();
    void rejectedFilesAreNamed();
    void repeatedCodebooksAndReports();
    void syntaxFilesBesideTheirCsv();
    void interrupted_data();
    void interrupted();
    void interruptsWaitForTheCommit_data();
    void interruptsWaitForTheCommit();
    void syntaxFilesRefuseALineBreak_data();
    void syntaxFilesRefuseALineBreak();
    void withoutSpssAndStata();
    void waitsForTheTurnOfTheOutputFolder();
    void filtered();
    void badFilters_data();
    void badFilters();

private:
    QString path(const QString &name) const { return dir_.path() + QLatin1Char('/') + name; }
    QTemporaryDir dir_;
};

void CollectCommandLineTest::initTestCase()
{
    QVERIFY(QDir().mkpath(path(QStringLiteral("clean"))));
    QVERIFY(QDir().mkpath(path(QStringLiteral("out"))));
    QRandomGenerator rng(11);
    for (int i = 0; i < 30; ++i)
        SampleRecords::write(SampleRecords::make(rng, i, SampleRecords::Texts::Plain, SampleRecords::Values::Consistent),
                             path(QStringLiteral("clean/")));
    QFile other(path(QStringLiteral("clean/notes.txt")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    QVERIFY(QDir().mkpath(path(QStringLiteral("out/real"))));
    if (TestSystem::isPosix())
        QVERIFY(QFile::link(path(QStringLiteral("out/real")), path(QStringLiteral("out/link"))));
}

void CollectCommandLineTest::help()
{
    const Run run = collect({QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QStringLiteral("Usage:")));
    QStringList said = {"-o",    "--codebook", "--problems",  "-q",          "--help",
                        ".xlsx", ".sps",       ".do",         "_values.csv", "130",
                        "143",   "--report",   "--report-by", "--where",     "--without-errors"};
    if (OutputReaders::spssAndStataBuiltIn())
        said << ".sav"
             << ".dta";
    for (const QString &text : said)
        QVERIFY2(run.out.contains(text), qPrintable(text));
    QVERIFY(run.err.isEmpty());
}

void CollectCommandLineTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("said");
    const QString in = path(QStringLiteral("clean"));
    QTest::newRow("unknown option") << QStringList{"--frobnicate", in, "-o", "x.csv"} << "frobnicate";
    QTest::newRow("no output") << QStringList{in} << "-o";
    QTest::newRow("no input") << QStringList{"-o", path("out/x.csv")} << "输入";
    QTest::newRow("unknown data format") << QStringList{in, "-o", path("out/x.txt")} << "x.txt";
    QTest::newRow("codebook as SPSS") << QStringList{in, "--codebook", path("out/c.sav")} << "c.sav";
    QTest::newRow("problems not CSV") << QStringList{in, "-o", path("out/x.csv"), "--problems", path("out/p.xlsx")}
                                      << "p.xlsx";
    QTest::newRow("checks as SPSS") << QStringList{in, "--checks", path("out/k.sav")} << "k.sav";
    QTest::newRow("checks without input") << QStringList{"--checks", path("out/k.csv")} << "输入";
    QTest::newRow("the same output twice")
        << QStringList{in, "-o", path("out/x.csv"), "-o", path("out/x.csv")} << "x.csv";
    if (TestSystem::isPosix())
        QTest::newRow("the same output through a linked folder")
            << QStringList{in, "-o", path("out/real/汇总.csv"), "--codebook", path("out/link/汇总.csv")}
            << "同一个文件不能写两次：" + path("out/link/汇总.csv");
    QTest::newRow("input missing") << QStringList{path("nowhere"), "-o", path("out/x.csv")} << "nowhere";
    QTest::newRow("-o without a file") << QStringList{in, "-o"} << "-o";
}

void CollectCommandLineTest::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, said);
    const QStringList before = QDir(path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden);
    const Run run = collect(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(said), qPrintable(run.err));
    QVERIFY(run.err.contains(QStringLiteral("--help")));
    QCOMPARE(QDir(path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden), before);
}

void CollectCommandLineTest::cleanFolder()
{
    const QString stata = QStringLiteral("out/all.") + OutputReaders::statExtension(QStringLiteral("dta"));
    const Run run = collect({QStringLiteral("-q"), path(QStringLiteral("clean")), QStringLiteral("-o"),
                             path(QStringLiteral("out/all.csv")), QStringLiteral("-o"), path(stata),
                             QStringLiteral("--problems"), path(QStringLiteral("out/problems.csv"))});
    QCOMPARE(run.exitCode, 0);
    // The other file is a row of the report, and no problem.
    QCOMPARE(run.out,
             QStringLiteral(
                 "找到 30 个填报结果文件：接受 30，拒绝 0，舍弃重复 0，问题 1，核查 0（其中 1 个其他文件未读）\n"));
    QVERIFY(run.err.isEmpty()); // no terminal: no progress line
    QVERIFY(QFileInfo(path(QStringLiteral("out/all.csv"))).size() > 0);
    QVERIFY(QFileInfo(path(stata)).size() > 0);
    QVERIFY(QFileInfo::exists(path(QStringLiteral("out/problems.csv"))));
}

void CollectCommandLineTest::problemsGiveStatusOne()
{
    QVERIFY(QDir().mkpath(path(QStringLiteral("mixed"))));
    QRandomGenerator rng(12);
    AnswerRecord record = SampleRecords::make(rng, 1, SampleRecords::Texts::Plain, SampleRecords::Values::Consistent);
    record.set(7, QStringLiteral("99"));
    SampleRecords::write(record, path(QStringLiteral("mixed/")));
    QFile broken(path(QStringLiteral("mixed/坏_填报结果.dbf")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("only one line\r\n");
    broken.close();
    const Run run = collect({path(QStringLiteral("mixed")), path(QStringLiteral("clean")), QStringLiteral("-o"),
                             path(QStringLiteral("out/mixed.xlsx"))});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out,
             QStringLiteral(
                 "找到 32 个填报结果文件：接受 31，拒绝 1，舍弃重复 0，问题 3，核查 0（其中 1 个其他文件未读）\n"));
    QVERIFY(QFileInfo(path(QStringLiteral("out/mixed.xlsx"))).size() > 0); // written all the same
    // No report asked for: the rejected file is named on the terminal.
    QCOMPARE(run.err,
             QStringLiteral("csr-collect: mixed/坏_填报结果.dbf：未汇总：文件不完整：只有 1 行，应为 139 行\n"));
}

void CollectCommandLineTest::anOutputThatCannotBeWritten()
{
    const QString spss = QStringLiteral("missing/x.") + OutputReaders::statExtension(QStringLiteral("sav"));
    QFile earlier(path(QStringLiteral("out/keep.csv")));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    const Run run = collect({path(QStringLiteral("clean")), QStringLiteral("-o"), path(QStringLiteral("out/keep.csv")),
                             QStringLiteral("-o"), path(spss)});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(path(spss)), qPrintable(run.err));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
}

void CollectCommandLineTest::codebookAlone_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("CSV") << "codebook.csv"
                         << QByteArray("\xEF\xBB\xBFvariable,line,label,type,unit,values,missing\r\n");
    QTest::newRow("Markdown") << "codebook.md" << QByteArray("# ");
    QTest::newRow("Excel") << "codebook.xlsx" << QByteArray("PK");
}

void CollectCommandLineTest::codebookAlone()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, start);
    const Run run = collect({QStringLiteral("--codebook"), path(QStringLiteral("out/") + name)});
    QCOMPARE(run.exitCode, 0);
    QFile file(path(QStringLiteral("out/") + name));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith(start));
    if (!name.endsWith(QLatin1String(".xlsx")))
        QVERIFY(QString::fromUtf8(bytes).contains(QStringLiteral("q21_rank1")));
}

void CollectCommandLineTest::progressOnATerminal_data()
{
    QTest::addColumn<bool>("quiet");
    QTest::newRow("progress shown") << false;
    QTest::newRow("-q") << true;
}

// Run under script(1), which gives the program a terminal.
void CollectCommandLineTest::progressOnATerminal()
{
    QFETCH(bool, quiet);
    if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
        QSKIP("script(1) is not installed");
    QString command = QStringLiteral(CSR_COLLECT_PATH) + QLatin1Char(' ') + path(QStringLiteral("clean")) +
                      QStringLiteral(" -o ") + path(QStringLiteral("out/tty.csv"));
    if (quiet)
        command += QStringLiteral(" -q");
    QProcess process;
    process.start(QStringLiteral("script"), {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QString shown = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY(shown.contains(QStringLiteral("找到 30 个填报结果文件")));
    // The progress line names files done of the total and the rate, and is
    // wiped before the summary.
    QCOMPARE(shown.contains(QStringLiteral("读取 30/30 个文件，每秒")), !quiet);
    QCOMPARE(shown.contains(QStringLiteral("\r\x1b[K")), !quiet);
}

// Without --problems, rejected files are named on stderr: twenty, then how many more.
void CollectCommandLineTest::rejectedFilesAreNamed()
{
    QVERIFY(QDir().mkpath(path(QStringLiteral("junk"))));
    for (int i = 0; i < 25; ++i) {
        QFile junk(path(QStringLiteral("junk/%1_填报结果.dbf").arg(i, 2, 10, QLatin1Char('0'))));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("\x01\x02");
    }
    const Run run = collect({path(QStringLiteral("junk")), QStringLiteral("-o"), path(QStringLiteral("out/junk.csv"))});
    QCOMPARE(run.exitCode, 1);
    const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 21);
    QCOMPARE(lines[0], QStringLiteral("csr-collect: junk/00_填报结果.dbf：未汇总：不是填报结果文件"));
    QVERIFY2(lines[20].contains(QStringLiteral("另有 5 个")), qPrintable(lines[20]));
    QVERIFY(run.out.contains(QStringLiteral("拒绝 25")));
}

// Every --codebook and --problems is written, as every -o is.
void CollectCommandLineTest::repeatedCodebooksAndReports()
{
    const QStringList names{"c1.md", "c2.csv", "c3.xlsx", "p1.csv", "p2.csv"};
    const Run run =
        collect({path(QStringLiteral("clean")), QStringLiteral("--codebook"), path("out/c1.md"),
                 QStringLiteral("--codebook"), path("out/c2.csv"), QStringLiteral("--codebook"), path("out/c3.xlsx"),
                 QStringLiteral("--problems"), path("out/p1.csv"), QStringLiteral("--problems"), path("out/p2.csv")});
    QCOMPARE(run.exitCode, 0);
    for (const QString &name : names)
        QVERIFY2(QFileInfo(path(QStringLiteral("out/") + name)).size() > 0, qPrintable(name));
    QFile p1(path("out/p1.csv")), p2(path("out/p2.csv"));
    QVERIFY(p1.open(QIODevice::ReadOnly) && p2.open(QIODevice::ReadOnly));
    QCOMPARE(p1.readAll(), p2.readAll());
}

// A .sps and a .do of one name share the CSV they read, written beside them.
void CollectCommandLineTest::syntaxFilesBesideTheirCsv()
{
    QVERIFY(QDir().mkpath(path(QStringLiteral("syntax"))));
    const Run run = collect({path(QStringLiteral("clean")), QStringLiteral("-o"), path("syntax/汇总.sps"),
                             QStringLiteral("-o"), path("syntax/汇总.do")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(filesIn(path(QStringLiteral("syntax"))), (QStringList{"汇总.do", "汇总.sps", "汇总_values.csv"}));
    const Run clash = collect({path(QStringLiteral("clean")), QStringLiteral("-o"), path("syntax/汇总.sps"),
                               QStringLiteral("-o"), path("syntax/汇总_values.csv")});
    QCOMPARE(clash.exitCode, 2);
    QVERIFY2(clash.err.contains(QStringLiteral("汇总_values.csv")), qPrintable(clash.err));
}

void CollectCommandLineTest::interrupted_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("status");
    QTest::newRow("Ctrl-C") << int(SIGINT) << 130;
    QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
}

// An interrupt while the merge runs: the run is cancelled, its temporary
// files go, the earlier output stays, and the status tells which signal came.
void CollectCommandLineTest::interrupted()
{
    QFETCH(int, signal);
    QFETCH(int, status);
    if (!TestSystem::isPosix())
        QSKIP("signals are POSIX; Ctrl+C reaches only a program on the same console");
    static bool written = false;
    if (!written) {
        QRandomGenerator rng(13);
        QVERIFY(QDir().mkpath(path(QStringLiteral("many"))));
        for (int i = 0; i < 3000; ++i)
            SampleRecords::write(SampleRecords::make(rng, i), path(QStringLiteral("many/")));
        written = true;
    }
    const QString folder = path(QStringLiteral("killed"));
    QVERIFY(QDir().mkpath(folder));
    QFile earlier(folder + QStringLiteral("/all.xlsx"));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();

    QProcess process;
    process.start(QStringLiteral(CSR_COLLECT_PATH),
                  {path(QStringLiteral("many")), QStringLiteral("-o"), folder + QStringLiteral("/all.xlsx"),
                   QStringLiteral("-o"), folder + QStringLiteral("/all.sav"), QStringLiteral("-o"),
                   folder + QStringLiteral("/all.dta"), QStringLiteral("-o"), folder + QStringLiteral("/all.csv")});
    QVERIFY(process.waitForStarted());
    // The temporary files are made before the first file is read.
    QElapsedTimer clock;
    clock.start();
    while (filesIn(folder).size() < 5 && clock.elapsed() < 30000)
        QTest::qWait(5);
    QCOMPARE(filesIn(folder).size(), 5);
    QVERIFY(TestSystem::sendSignal(process.processId(), signal));
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    QCOMPARE(filesIn(folder), QStringList{QStringLiteral("all.xlsx")});
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
    QVERIFY(QString::fromUtf8(process.readAllStandardOutput()).contains(QStringLiteral("已取消")));
}

void CollectCommandLineTest::interruptsWaitForTheCommit_data()
{
    QTest::addColumn<bool>("before");
    QTest::newRow("before the renames: they are not made") << true;
    QTest::newRow("during the renames: it waits for their end") << false;
}

// The renames that put a run's outputs in place are one step: an interrupt
// that came before it cancels the step, one that comes during it is held,
// and the program lives on to its end.
void CollectCommandLineTest::interruptsWaitForTheCommit()
{
    QFETCH(bool, before);
    if (!TestSystem::isPosix())
        QSKIP("signals are POSIX; Ctrl+C reaches only a program on the same console");
    std::atomic<bool> cancelled{false};
    const Console::InterruptGuard guard(cancelled);
    if (before)
        std::raise(SIGTERM);
    bool inTime = false;
    {
        const Console::InterruptsHeld held;
        inTime = held.inTime();
        if (!before)
            std::raise(SIGTERM);
        QCOMPARE(cancelled.load(), before);
    }
    QCOMPARE(inTime, !before);
    QCOMPARE(Console::InterruptGuard::exitStatus(), before ? 143 : 0);
}

void CollectCommandLineTest::syntaxFilesRefuseALineBreak_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("SPSS, LF") << "a\nb.sps";
    QTest::newRow("Stata, CR") << "a\rb.do";
}

// Neither SPSS nor Stata can name a CSV whose path holds a line break: such
// an output is refused in one line, before anything is read or written.
void CollectCommandLineTest::syntaxFilesRefuseALineBreak()
{
    QFETCH(QString, name);
    const QStringList before = filesIn(path(QStringLiteral("out")));
    const Run run = CommandLineRun::here(
        {path(QStringLiteral("clean")), QStringLiteral("-o"), path(QStringLiteral("out/") + name)});
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(run.err.contains(QStringLiteral("换行符")), qPrintable(run.err));
    QCOMPARE(filesIn(path(QStringLiteral("out"))), before);
}

// A build without ReadStat offers neither .sav nor .dta; asked for one
// anyway, it says so in one line and ends with status 2.
void CollectCommandLineTest::withoutSpssAndStata()
{
    std::vector<Format> formats(Formats::all().begin(), Formats::all().end());
    for (Format &format : formats)
        if (format.extension == u".sav" || format.extension == u".dta")
            format.builtIn = false;
    const Run help = CommandLineRun::here({QStringLiteral("--help")}, formats);
    QCOMPARE(help.exitCode, 0);
    QVERIFY(!help.out.contains(QStringLiteral(".sav")));
    QVERIFY(!help.out.contains(QStringLiteral(".dta")));
    QVERIFY(help.out.contains(QStringLiteral(".sps")));

    const QStringList before = filesIn(path(QStringLiteral("out")));
    const Run run = CommandLineRun::here(
        {path(QStringLiteral("clean")), QStringLiteral("-o"), path(QStringLiteral("out/none.sav"))}, formats);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(run.err.contains(QStringLiteral(".sps")), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(filesIn(path(QStringLiteral("out"))), before);
}

// Another merge is putting its outputs in the folder: this one says that it
// waits, puts nothing there meanwhile, then its whole set.
void CollectCommandLineTest::waitsForTheTurnOfTheOutputFolder()
{
    const QString folder = path(QStringLiteral("turn"));
    QVERIFY(QDir().mkpath(folder));
    auto other = std::make_unique<Folders::Turn>(FileSystemCalls::nativePath(folder));
    QVERIFY(other->take());
    QProcess process;
    process.start(QStringLiteral(CSR_COLLECT_PATH),
                  {path(QStringLiteral("clean")), QStringLiteral("-o"), folder + QStringLiteral("/m.csv"),
                   QStringLiteral("--problems"), folder + QStringLiteral("/p.csv")});
    QString said;
    QTRY_VERIFY_WITH_TIMEOUT(
        (said += QString::fromUtf8(process.readAllStandardError())).contains(QStringLiteral("另一个汇总")), 60000);
    QVERIFY2(said.contains(QStringLiteral("turn")), qPrintable(said));
    QCOMPARE(process.state(), QProcess::Running);
    QVERIFY(!QFile::exists(folder + QStringLiteral("/m.csv")) && !QFile::exists(folder + QStringLiteral("/p.csv")));
    other.reset();
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(filesIn(folder), (QStringList{"m.csv", "p.csv"}));
}

// The records that meet every condition make the data set, whose SPSS file
// says which filter made it; the problem report still lists every file.
void CollectCommandLineTest::filtered()
{
    const QString in = path(QStringLiteral("filter"));
    QVERIFY(QDir().mkpath(in));
    QRandomGenerator rng(21);
    qsizetype expected = 0;
    QString spoilt;
    for (int i = 0; i < 20; ++i) {
        AnswerRecord record =
            SampleRecords::make(rng, i, SampleRecords::Texts::Plain, SampleRecords::Values::Consistent);
        if (i % 4 < 2) {
            record.set(7, i % 4 == 0 ? QStringLiteral("3") : QStringLiteral("7"));
            record.set(8, QString());
            record.set(10, i % 8 == 0 ? QStringLiteral("9") : QStringLiteral("1"));
        }
        if (i == 2)
            record.set(7, QStringLiteral("99")); // no industry: left out, and a problem
        expected += (record.get(7) == u"3" || record.get(7) == u"7") && record.get(10) == u"1";
        const QString written = SampleRecords::write(record, in + QLatin1Char('/'));
        if (i == 2)
            spoilt = QFileInfo(written).fileName();
    }
    const QString spss = QStringLiteral("out/filtered.") + OutputReaders::statExtension(QStringLiteral("sav"));
    const Run run = collect({QStringLiteral("-q"), in, QStringLiteral("--where"), QStringLiteral("industry=3,7"),
                             QStringLiteral("--where"), QStringLiteral("listed=1"), QStringLiteral("-o"),
                             path(QStringLiteral("out/filtered.csv")), QStringLiteral("-o"), path(spss),
                             QStringLiteral("--problems"), path(QStringLiteral("out/filtered_problems.csv"))});
    QCOMPARE(run.exitCode, 1); // the spoilt file
    QVERIFY(expected >= 5);
    QVERIFY2(run.out.startsWith(QStringLiteral("找到 20 个填报结果文件：接受 %1，拒绝 0，舍弃重复 0，"
                                               "筛选：industry=3,7；listed=1，去掉 %2，")
                                    .arg(expected)
                                    .arg(20 - expected)),
             qPrintable(run.out));

    QFile csv(path(QStringLiteral("out/filtered.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(csv.readAll(), rows));
    QCOMPARE(rows.size(), expected + 1);
    const qsizetype industry = rows[0].indexOf(QStringLiteral("industry")), listed = rows[0].indexOf("listed");
    for (const QStringList &row : rows.sliced(1)) {
        QVERIFY2(row[industry] == u"3" || row[industry] == u"7", qPrintable(row[industry]));
        QCOMPARE(row[listed], QStringLiteral("1"));
    }
    QFile problems(path(QStringLiteral("out/filtered_problems.csv")));
    QVERIFY(problems.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(problems.readAll()).contains(spoilt));
    const QString label = QStringLiteral("筛选：industry=3,7；listed=1");
    if (OutputReaders::spssAndStataBuiltIn()) {
        QCOMPARE(OutputReaders::readStat(path(spss), QStringLiteral("sav")).fileLabel, label);
    } else {
        QFile syntax(path(spss));
        QVERIFY(syntax.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(syntax.readAll()).contains(QStringLiteral("FILE LABEL %1.").arg(label)));
    }
}

void CollectCommandLineTest::badFilters_data()
{
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QString>("said");
    QTest::newRow("unknown variable") << QStringList{"--where", "sector=3"} << "没有变量“sector”";
    QTest::newRow("a figure") << QStringList{"--where", "capital=1"} << "capital 是数值";
    QTest::newRow("a text") << QStringList{"--where", "name!=甲"} << "name 是文字";
    QTest::newRow("a code outside its set")
        << QStringList{"--where", "listed=1", "--where", "industry=20"} << "“20”不是变量 industry 的代码";
}

// A filter that cannot be read stops the run in one line, before any file is read or written.
void CollectCommandLineTest::badFilters()
{
    QFETCH(QStringList, filters);
    QFETCH(QString, said);
    const QStringList before = filesIn(path(QStringLiteral("out")));
    const Run run =
        collect(QStringList{path(QStringLiteral("clean")), "-o", path(QStringLiteral("out/filter.csv"))} + filters);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(run.err.contains(said), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(filesIn(path(QStringLiteral("out"))), before);
}

QTEST_GUILESS_MAIN(CollectCommandLineTest)
#include "tst_collect_cli.moc"
