// csr-collect on the command line, run as its own process: options, exit
// statuses, the summary line, and outputs beside what was there before.
#include "survey/Gbk.h"
#include "tests/collect/SampleRecords.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

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
        SampleRecords::write(SampleRecords::make(rng, i), path(QStringLiteral("clean/")));
    QFile other(path(QStringLiteral("clean/notes.txt")));
    QVERIFY(other.open(QIODevice::WriteOnly));
}

void CollectCommandLineTest::help()
{
    const Run run = collect({QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QStringLiteral("Usage:")));
    for (const char *option : {"-o", "--codebook", "--problems", "-q", "--help"})
        QVERIFY2(run.out.contains(QLatin1String(option)), option);
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
    QTest::newRow("the same output twice")
        << QStringList{in, "-o", path("out/x.csv"), "-o", path("out/x.csv")} << "x.csv";
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
    const Run run =
        collect({QStringLiteral("-q"), path(QStringLiteral("clean")), QStringLiteral("-o"),
                 path(QStringLiteral("out/all.csv")), QStringLiteral("-o"), path(QStringLiteral("out/all.dta")),
                 QStringLiteral("--problems"), path(QStringLiteral("out/problems.csv"))});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out,
             QStringLiteral("找到 30 个填报结果文件：接受 30，拒绝 0，舍弃重复 0，问题 0（另有 1 个其他文件未读）\n"));
    QVERIFY(run.err.isEmpty()); // no terminal: no progress line
    QVERIFY(QFileInfo(path(QStringLiteral("out/all.csv"))).size() > 0);
    QVERIFY(QFileInfo(path(QStringLiteral("out/all.dta"))).size() > 0);
    QVERIFY(QFileInfo::exists(path(QStringLiteral("out/problems.csv"))));
}

void CollectCommandLineTest::problemsGiveStatusOne()
{
    QVERIFY(QDir().mkpath(path(QStringLiteral("mixed"))));
    QRandomGenerator rng(12);
    AnswerRecord record = SampleRecords::make(rng, 1);
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
             QStringLiteral("找到 32 个填报结果文件：接受 31，拒绝 1，舍弃重复 0，问题 1（另有 1 个其他文件未读）\n"));
    QVERIFY(QFileInfo(path(QStringLiteral("out/mixed.xlsx"))).size() > 0); // written all the same
}

void CollectCommandLineTest::anOutputThatCannotBeWritten()
{
    QFile earlier(path(QStringLiteral("out/keep.csv")));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    const Run run = collect({path(QStringLiteral("clean")), QStringLiteral("-o"), path(QStringLiteral("out/keep.csv")),
                             QStringLiteral("-o"), path(QStringLiteral("missing/x.sav"))});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(path(QStringLiteral("missing/x.sav"))), qPrintable(run.err));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
}

void CollectCommandLineTest::codebookAlone_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("CSV") << "codebook.csv" << QByteArray("\xEF\xBB\xBFvariable,line,label,type,unit,values\r\n");
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

QTEST_GUILESS_MAIN(CollectCommandLineTest)
#include "tst_collect_cli.moc"
