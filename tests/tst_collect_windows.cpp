// The Windows build writes the SPSS and Stata files this one writes:
// csr-collect.exe, run under Wine on the same result files, writes a .sav and
// a .dta equal to this build's to the byte but for the time each says it was
// made, and GNU PSPP reads in the Windows .sav what it reads in this one's.
// tools/test-windows runs this test with the csr-collect.exe it has just
// built (CSR_WINDOWS_COLLECT); without one it is skipped.
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file with the time it was made blanked out: in a .sav the header's
// date and time (9 and 8 bytes after the 92 before them), in a .dta what
// <timestamp> holds.
QByteArray withoutCreationTime(QByteArray bytes, const QString &format)
{
    if (format == QLatin1String("sav")) {
        constexpr qsizetype kDate = 92, kLength = 9 + 8;
        if (bytes.size() >= kDate + kLength)
            bytes.replace(kDate, kLength, QByteArray(kLength, '_'));
        return bytes;
    }
    const QByteArray open = "<timestamp>", close = "</timestamp>";
    const qsizetype from = bytes.indexOf(open), to = bytes.indexOf(close);
    if (from >= 0 && to > from)
        bytes.replace(from + open.size(), to - from - open.size(), QByteArray(to - from - open.size(), '_'));
    return bytes;
}

} // namespace

class CollectWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sameFiles_data();
    void sameFiles();
    void psppReadsTheWindowsSav();

private:
    QString out(const QString &name) const { return dir_.path() + QStringLiteral("/out/") + name; }
    // PSPP's dictionary and listing of a .sav, as CSV; empty when it failed.
    QByteArray psppView(const QString &sav);

    QTemporaryDir dir_;
    int records_ = 0;
};

void CollectWindowsTest::initTestCase()
{
    const QString exe = qEnvironmentVariable("CSR_WINDOWS_COLLECT");
    if (exe.isEmpty())
        QSKIP(
            "compares the files of csr-collect.exe from the Windows build: tools/test-windows runs it with the one it "
            "has just built");
    QVERIFY2(QFileInfo(exe).isFile(), qPrintable(exe));
    const QString folder = dir_.path() + QStringLiteral("/收到/");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QDir().mkpath(out(QString())));
    QRandomGenerator rng(1023);
    for (records_ = 0; records_ < 40; ++records_) {
        AnswerRecord record = SampleRecords::make(rng, records_, SampleRecords::Texts::Tricky);
        // A name that Windows takes for a file's: no quote, bar or tab.
        record.set(1, QStringLiteral("公益科技%1有限公司").arg(records_));
        // A text longer than Stata's str: a strL.
        if (records_ == 0)
            record.set(2, QStringLiteral("公益").repeated(500));
        SampleRecords::write(record, folder);
    }

    QProcess here;
    here.start(QStringLiteral(CSR_COLLECT_PATH),
               {folder, QStringLiteral("-q"), QStringLiteral("-o"), out(QStringLiteral("linux.sav")),
                QStringLiteral("-o"), out(QStringLiteral("linux.dta"))});
    QVERIFY(here.waitForFinished(120000));
    QCOMPARE(here.exitCode(), 0);
    // Wine's drive Z: is the root of this system.
    const QString z = QStringLiteral("Z:");
    QProcess windows;
    windows.start(QStringLiteral(CSR_SOURCE_DIR "/tools/wine-run"),
                  {exe, z + folder, QStringLiteral("-q"), QStringLiteral("-o"), z + out(QStringLiteral("windows.sav")),
                   QStringLiteral("-o"), z + out(QStringLiteral("windows.dta"))});
    QVERIFY(windows.waitForFinished(240000));
    QVERIFY2(windows.exitCode() == 0, windows.readAllStandardError().constData());
}

void CollectWindowsTest::sameFiles_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("SPSS") << QStringLiteral("sav");
    QTest::newRow("Stata") << QStringLiteral("dta");
}

void CollectWindowsTest::sameFiles()
{
    QFETCH(QString, format);
    const QByteArray ours = bytesOf(out(QStringLiteral("linux.") + format));
    const QByteArray windows = bytesOf(out(QStringLiteral("windows.") + format));
    QVERIFY(!ours.isEmpty());
    QCOMPARE(windows.size(), ours.size());
    // The times are blanked in both, found where they were looked for.
    const QByteArray a = withoutCreationTime(ours, format), b = withoutCreationTime(windows, format);
    QVERIFY(a != ours);
    qsizetype first = 0;
    while (first < a.size() && a[first] == b[first])
        ++first;
    QVERIFY2(first == a.size(), qPrintable(QStringLiteral("first difference at byte %1").arg(first)));
    const OutputReaders::StatFile read = OutputReaders::readStat(out(QStringLiteral("windows.") + format), format);
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.rows.size(), records_);
}

QByteArray CollectWindowsTest::psppView(const QString &sav)
{
    const QString pspp = QStandardPaths::findExecutable(QStringLiteral("pspp"));
    if (pspp.isEmpty())
        return {};
    const QString script = out(QStringLiteral("view.sps")), tables = out(QStringLiteral("view.csv"));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QStringLiteral("GET FILE='%1'.\nDISPLAY FILE LABEL.\nDISPLAY DICTIONARY.\nLIST.\n").arg(sav).toUtf8());
    file.close();
    QProcess process;
    process.start(pspp, {QStringLiteral("-O"), QStringLiteral("format=csv"), QStringLiteral("-o"), tables, script});
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return {};
    const QByteArray view = bytesOf(tables);
    // PSPP says what went wrong in its output, and exits with 0 all the same.
    return view.contains(": error:") ? QByteArray() : view;
}

void CollectWindowsTest::psppReadsTheWindowsSav()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pspp")).isEmpty())
        QSKIP("GNU PSPP is not installed (tools/install-deps installs it)");
    const QByteArray windows = psppView(out(QStringLiteral("windows.sav")));
    QVERIFY(!windows.isEmpty());
    QVERIFY(windows.contains("2014年度全国Kelmar民营企业社会责任调研汇总"));
    QCOMPARE(windows, psppView(out(QStringLiteral("linux.sav"))));
}

QTEST_GUILESS_MAIN(CollectWindowsTest)
#include "tst_collect_windows.moc"
