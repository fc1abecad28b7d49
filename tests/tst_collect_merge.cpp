// The merge from files on disk: what is found, what is rejected and why in
// plain words, what is accepted with a problem, duplicates and copies,
// hostile inputs, outputs that cannot be written, temporaries left by a
// killed run, and a cancelled run. Files are written here byte by byte.
#include "collect/merge/Merge.h"
#include "collect/merge/RunControl.h"
#include "collect/report/ReportStep.h"
#include "platform/FileSystemCalls.h"
#include "platform/Gbk.h"
#include "survey/ResultFileFormat.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"
#include "tests/support/DiskFullFor.h"
#include "tests/support/FilesIn.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/TestSystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

using Changes = QList<QPair<int, QString>>;
using Kinds = QStringList; // "kind@line" of each report entry, in order

QStringList cleanLines(const QString &name)
{
    return SampleRecords::blankLines(name);
}

QByteArray bytesOf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += Gbk::encode(line) + "\r\n";
    return bytes;
}

QByteArray recordBytes(const QString &name, const Changes &changes = {})
{
    QStringList lines = cleanLines(name);
    for (const auto &change : changes)
        lines[change.first - 1] = change.second;
    return bytesOf(lines);
}

QString put(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
    return path;
}

void setModified(const QString &path, qint64 secondsSinceEpoch)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::fromSecsSinceEpoch(secondsSinceEpoch), QFileDevice::FileModificationTime));
}

// An output of SPSS or Stata ("sav", "dta"), or the syntax file that stands
// for it in a build without them.
QString statOutput(const QString &folder, const QString &format)
{
    return folder + QStringLiteral("m.") + OutputReaders::statExtension(format);
}

Kinds kindsOf(const ProblemReport &report)
{
    Kinds kinds;
    for (const ProblemReport::Entry &e : report.entries())
        kinds << e.kindName() + QLatin1Char('@') + QString::number(e.line);
    return kinds;
}

// Cancels at the first report of a phase (and, for writing, of a given output).
class CancelAt : public RunControl {
public:
    CancelAt(Phase phase, QString item = {}) : phase_(phase), item_(std::move(item)) {}
    void progress(Phase phase, qint64, qint64, const QString &item) override
    {
        if (phase == phase_ && (item_.isEmpty() || item == item_))
            cancel();
    }

private:
    Phase phase_;
    QString item_;
};

// Runs another merge into the same folder while its own merge reads.
class MergeBeside : public RunControl {
public:
    explicit MergeBeside(Merge::Options other) : other_(std::move(other)) {}
    void progress(Phase phase, qint64, qint64, const QString &) override
    {
        if (phase != Phase::Reading || ran_)
            return;
        ran_ = true;
        RunControl plain;
        Merge other(other_);
        ReportStep::mergeAndReport(other, plain);
    }
    bool ran() const { return ran_; }

private:
    Merge::Options other_;
    bool ran_ = false;
};

} // namespace

Q_DECLARE_METATYPE(Changes)

class CollectMergeTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void problems_data();
    void problems();
    void reasonsInPlainWords_data();
    void reasonsInPlainWords();
    void valuesOutsideTheirSetAreMissing();
    void aSpoiltGateLeavesItsLinesMissing_data();
    void aSpoiltGateLeavesItsLinesMissing();
    void everyDbfIsRead();
    void aFolderThatCannotBeRead();
    void aFileNamedTwiceIsReadOnce_data();
    void aFileNamedTwiceIsReadOnce();
    void linksInsideAnInput();
    void outputsInsideTheInput();
    void duplicatesKeepTheNewest();
    void identicalCopiesCountOnce();
    void controlCharactersAreTakenOut();
    void hostileInputs();
    void outputsThatCannotBeWritten_data();
    void outputsThatCannotBeWritten();
    void aFullDiskReplacesNothing();
    void theRenamesComeTogether();
    void temporariesOfAKilledRunAreRemoved();
    void cancelled_data();
    void cancelled();
    void splitFindsEveryLine_data();
    void splitFindsEveryLine();
    void longTextsGoWholeIntoStata();
    void formulaCellsInCsv();
    void problemReportFile();

private:
    Merge::Summary run(const QStringList &outputs, RunControl *control = nullptr, const QString &problems = {});
    QString in(const QString &name) const { return dir_->path() + QStringLiteral("/in/") + name; }
    QString out(const QString &name) const { return dir_->path() + QStringLiteral("/out/") + name; }
    // The path the report and the data set give: from the input folder's name on.
    static QString shown(const QString &name) { return QStringLiteral("in/") + name; }
    QList<QStringList> csvRows(const QString &name) const;

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Merge> merge_;
};

void CollectMergeTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QDir().mkpath(dir_->path() + QStringLiteral("/in"));
    QDir().mkpath(dir_->path() + QStringLiteral("/out"));
}

QList<QStringList> CollectMergeTest::csvRows(const QString &name) const
{
    QFile csv(out(name));
    QList<QStringList> rows;
    if (!csv.open(QIODevice::ReadOnly) || !OutputReaders::parseCsv(csv.readAll(), rows))
        qWarning("%s is no CSV", qPrintable(name));
    return rows;
}

Merge::Summary CollectMergeTest::run(const QStringList &outputs, RunControl *control, const QString &problems)
{
    Merge::Options options;
    options.inputs = {dir_->path() + QStringLiteral("/in")};
    options.outputs = outputs;
    if (!problems.isEmpty())
        options.problems = {problems};
    RunControl plain;
    merge_ = std::make_unique<Merge>(options);
    return ReportStep::mergeAndReport(*merge_, control ? *control : plain);
}

void CollectMergeTest::problems_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Kinds>("kinds");
    QTest::addColumn<int>("accepted");
    QTest::addColumn<int>("exitStatus");
    const QString file = QStringLiteral("甲_填报结果.dbf");
    auto row = [&](const char *name, const Changes &changes, const Kinds &kinds) {
        QTest::newRow(name) << file << recordBytes(QStringLiteral("甲"), changes) << kinds << 1
                            << (kinds.isEmpty() ? 0 : 1);
    };
    auto rejected = [&](const char *name, const QByteArray &bytes, const QString &kind) {
        QTest::newRow(name) << file << bytes << Kinds{kind} << 0 << 1;
    };
    row("clean", {}, {});
    row("industry outside 1-19", {{7, "25"}}, {"bad_code@7"});
    row("code string of the wrong length", {{70, "9999"}}, {"bad_code@70"});
    row("code string with other characters", {{9, "91x999"}}, {"bad_code@9"});
    row("list item not in the list", {{20, "100页"}}, {"unknown_list_item@20"});
    row("line 8 without industry 19", {{7, "4"}, {8, "咨询"}}, {"other_industry@8"});
    row("line 8 under an industry outside its set", {{7, "25"}, {8, "咨询"}}, {"bad_code@7"});
    row("project figure, box unticked", {{121, "3"}}, {"ungated_figure@121"});
    row("four ticks in question 1", {{65, "119119"}}, {"too_many_ticks@65"});
    row("ranking with a repeat", {{85, "ABA"}}, {"bad_ranking@85"});
    row("other text, option unticked", {{95, "讲座"}}, {"other_without_tick@95"});
    row("number field not a number", {{36, "一百"}}, {"not_a_number@36"});
    // Digits all, but past what a double holds: said, not a silent blank.
    row("figure of 401 digits", {{36, QStringLiteral("1") + QString(400, u'0')}}, {"number_out_of_range@36"});
    row("figure of 309 nines", {{36, QString(309, u'9')}}, {"number_out_of_range@36"});
    QTest::newRow("file name differs from line 1")
        << QStringLiteral("乙_填报结果.dbf") << recordBytes(QStringLiteral("甲")) << Kinds{"file_name@1"} << 1 << 1;
    QTest::newRow("file name differs by a blank")
        << QStringLiteral("甲_填报结果.dbf") << recordBytes(QStringLiteral("甲 ")) << Kinds{"file_name@1"} << 1 << 1;
    QTest::newRow("upper-case extension")
        << QStringLiteral("甲_填报结果.DBF") << recordBytes(QStringLiteral("甲")) << Kinds{} << 1 << 0;
    const QByteArray good = recordBytes(QStringLiteral("甲"));
    rejected("138 lines", good.left(good.lastIndexOf("\r\n", good.size() - 3) + 2), "rejected_framing@0");
    rejected("LF line ends", QByteArray(good).replace("\r\n", "\n"), "rejected_framing@1");
    rejected("empty", QByteArray(), "rejected_framing@0");
    rejected("not GBK", recordBytes(QStringLiteral("甲"), {{2, "x"}}).replace("x\r\n", "\xFF\xFF\r\n"),
             "rejected_not_gbk@2");
    rejected("larger than the limit", good + QByteArray(Survey::kMaxFileBytes, 'x'), "rejected_too_large@0");
    rejected("binary junk", QByteArray("\x00\x01\x02\xFF\xFE\r\n\r", 9).repeated(100), "rejected_framing@2");
}

void CollectMergeTest::problems()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(Kinds, kinds);
    QFETCH(int, accepted);
    QFETCH(int, exitStatus);
    put(in(fileName), bytes);
    const Merge::Summary summary = run({out(QStringLiteral("m.csv"))});
    QCOMPARE(kindsOf(merge_->problems()), kinds);
    QCOMPARE(summary.found, 1);
    QCOMPARE(summary.accepted, accepted);
    QCOMPARE(summary.rejected, 1 - accepted);
    QCOMPARE(summary.exitStatus(), exitStatus);
    for (const ProblemReport::Entry &e : merge_->problems().entries())
        QCOMPARE(e.file, shown(fileName));
    QCOMPARE(summary.problems, kinds.size()); // "问题 N" counts the report's rows

    // Rejected files are not in the data set; the others are, problems or not.
    const QList<QStringList> rows = csvRows(QStringLiteral("m.csv"));
    QCOMPARE(rows.size(), 1 + accepted);
    if (accepted)
        QCOMPARE(rows[1][0], shown(fileName));
}

void CollectMergeTest::reasonsInPlainWords_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray good = recordBytes(QStringLiteral("甲"));
    qsizetype end65 = 0;
    for (int i = 0; i < 65; ++i)
        end65 = good.indexOf("\r\n", end65) + 2;
    QRandomGenerator rng(8);
    QByteArray random(3000, Qt::Uninitialized);
    for (char &c : random)
        c = char(rng.bounded(256));
    QTest::newRow("random bytes") << random << "未汇总：不是填报结果文件";
    QTest::newRow("cut in line 66") << good.left(end65 + 3) << "未汇总：文件不完整：只有 65 行，应为 139 行";
    QTest::newRow("cut after line 65") << good.left(end65) << "未汇总：文件不完整：只有 65 行，应为 139 行";
    QTest::newRow("LF line ends") << QByteArray(good).replace("\r\n", "\n")
                                  << "未汇总：行尾是 LF 而不是 CR LF：文件可能在传送中被转换过";
    QTest::newRow("empty") << QByteArray() << "未汇总：文件是空的";
    QTest::newRow("UTF-8 mark before the content")
        << "\xEF\xBB\xBF" + good << "未汇总：文件以 UTF-8 标记开头，不是程序保存的填报结果";
}

void CollectMergeTest::reasonsInPlainWords()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    put(in(QStringLiteral("甲_填报结果.dbf")), bytes);
    run({out(QStringLiteral("m.csv"))});
    QCOMPARE(merge_->problems().entries().size(), 1);
    QCOMPARE(merge_->problems().entries()[0].what, reason);
}

// A code outside its set, a list item not in the list, a broken ranking and a
// number that is not one: missing in the data set, the raw text in the report.
void CollectMergeTest::valuesOutsideTheirSetAreMissing()
{
    put(in(QStringLiteral("甲_填报结果.dbf")),
        recordBytes(QStringLiteral("甲"), {{7, "25"}, {5, "私营"}, {85, "CAC"}, {25, "1,000"}, {26, "12"}}));
    run({out(QStringLiteral("m.csv")), statOutput(out(QString()), QStringLiteral("sav"))});
    const QList<QStringList> rows = csvRows(QStringLiteral("m.csv"));
    QCOMPARE(rows.size(), 2);
    auto cell = [&](const char *name) { return rows[1][rows[0].indexOf(QLatin1String(name))]; };
    QCOMPARE(cell("industry"), QString());
    QCOMPARE(cell("company_type"), QString());
    QCOMPARE(cell("q21_order"), QStringLiteral("CAC")); // the raw order stays
    QCOMPARE(cell("q21_rank1"), QString());
    QCOMPARE(cell("revenue_2013"), QString());
    QCOMPARE(cell("taxes_2013"), QStringLiteral("12"));

    QStringList raws;
    for (const ProblemReport::Entry &e : merge_->problems().entries())
        raws << e.raw;
    QCOMPARE(raws, (QStringList{"私营", "25", "1,000", "CAC"}));

    if (!OutputReaders::spssAndStataBuiltIn())
        return;
    const OutputReaders::StatFile sav = OutputReaders::readStat(out(QStringLiteral("m.sav")), QStringLiteral("sav"));
    QVERIFY(sav.ok);
    for (qsizetype c = 0; c < sav.variables.size(); ++c) {
        const QString &name = sav.variables[c].name;
        if (name == QLatin1String("industry") || name == QLatin1String("company_type") ||
            name == QLatin1String("q21_rank1") || name == QLatin1String("revenue_2013"))
            QVERIFY2(sav.rows[0][c].isNull(), qPrintable(name));
        if (name == QLatin1String("taxes_2013"))
            QCOMPARE(sav.rows[0][c].toDouble(), 12.0);
    }
}

void CollectMergeTest::duplicatesKeepTheNewest()
{
    // The same enterprise three times, in three folders; blanks around the name count for nothing.
    setModified(put(in(QStringLiteral("a/甲_填报结果.dbf")), recordBytes(QStringLiteral("甲"), {{2, "旧"}})), 1000);
    setModified(put(in(QStringLiteral("b/甲_填报结果.dbf")), recordBytes(QStringLiteral("甲"), {{2, "新"}})), 3000);
    setModified(put(in(QStringLiteral("c/ 甲_填报结果.dbf")), recordBytes(QStringLiteral(" 甲"), {{2, "中"}})), 2000);
    put(in(QStringLiteral("乙_填报结果.dbf")), recordBytes(QStringLiteral("乙")));
    const Merge::Summary summary = run({out(QStringLiteral("m.csv"))});
    QCOMPARE(summary.found, 4);
    QCOMPARE(summary.accepted, 2);
    QCOMPARE(summary.duplicates, 2);
    QCOMPARE(summary.exitStatus(), 1);
    QCOMPARE(kindsOf(merge_->problems()), (Kinds{"duplicate_dropped@0", "duplicate_dropped@0"}));
    QCOMPARE(merge_->problems().entries()[0].file, shown(QStringLiteral("a/甲_填报结果.dbf")));
    QCOMPARE(merge_->problems().entries()[1].file, shown(QStringLiteral("c/ 甲_填报结果.dbf")));
    QVERIFY(merge_->problems().entries()[0].what.contains(shown(QStringLiteral("b/甲_填报结果.dbf"))));

    const QList<QStringList> rows = csvRows(QStringLiteral("m.csv"));
    QCOMPARE(rows.size(), 3);
    const qsizetype address = rows[0].indexOf(QStringLiteral("address"));
    QStringList addresses{rows[1][address], rows[2][address]};
    addresses.sort();
    QCOMPARE(addresses, (QStringList{QString(), QStringLiteral("新")}));
}

void CollectMergeTest::identicalCopiesCountOnce()
{
    const QByteArray bytes = recordBytes(QStringLiteral("甲"));
    setModified(put(in(QStringLiteral("甲_填报结果.dbf")), bytes), 5000);
    setModified(put(in(QStringLiteral("copy/甲_填报结果.dbf")), bytes), 1000);
    // Files without a name are told apart by their bytes alone.
    put(in(QStringLiteral("x/_填报结果.dbf")), recordBytes(QString()));
    put(in(QStringLiteral("y/_填报结果.dbf")), recordBytes(QString()));
    put(in(QStringLiteral("z/_填报结果.dbf")), recordBytes(QString(), {{2, "别处"}}));
    // A copy received twice, newer than the file it copies: the one named
    // after its line 1 is kept.
    const QByteArray other = recordBytes(QStringLiteral("乙"));
    setModified(put(in(QStringLiteral("乙_填报结果.dbf")), other), 1000);
    setModified(put(in(QStringLiteral("乙_填报结果(1).dbf")), other), 9000);
    const Merge::Summary summary = run({out(QStringLiteral("m.csv"))});
    QCOMPARE(summary.found, 7);
    QCOMPARE(summary.accepted, 4);
    QCOMPARE(summary.duplicates, 3);
    QCOMPARE(summary.exitStatus(), 0); // a copy is no problem
    QCOMPARE(kindsOf(merge_->problems()), (Kinds{"identical_copy@0", "identical_copy@0", "identical_copy@0"}));
    QStringList dropped;
    for (const ProblemReport::Entry &e : merge_->problems().entries())
        dropped << e.file;
    QVERIFY(dropped.contains(shown(QStringLiteral("copy/甲_填报结果.dbf"))));
    QVERIFY(dropped.contains(shown(QStringLiteral("乙_填报结果(1).dbf"))));
    QVERIFY(csvRows(QStringLiteral("m.csv"))[0].contains(QStringLiteral("file_sha256")));
}

// Links back to a parent (listed, not followed), a pipe and a device named like result files, a
// sparse file of 8 GiB, names that are not UTF-8: the merge ends, and says
// what it could not read.
void CollectMergeTest::hostileInputs()
{
    if (!TestSystem::isPosix())
        QSKIP("links, pipes and devices in the file system are POSIX");
    const QString folder = dir_->path() + QStringLiteral("/in");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/deep/er")));
    QVERIFY(QFile::link(folder, folder + QStringLiteral("/deep/er/loop")));
    QVERIFY(QFile::link(folder + QStringLiteral("/deep"), folder + QStringLiteral("/deep/er/up")));
    QVERIFY(TestSystem::makePipe(in(QStringLiteral("管道_填报结果.dbf"))));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), in(QStringLiteral("零_填报结果.dbf"))));
    QFile sparse(in(QStringLiteral("大_填报结果.dbf")));
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(8) << 30));
    sparse.close();
    put(in(QStringLiteral("readme.txt")), "not a result file");
    // A name in GBK bytes, as archives made on Windows carry it, and a name
    // that is neither UTF-8 nor GBK.
    const QByteArray native = QFile::encodeName(folder);
    const QByteArray gbkPath = native + "/" + Gbk::encode(QStringLiteral("甲_填报结果.dbf"));
    const QByteArray junkPath = native + "/\xFF\xFE_\xCC\xEE\xB1\xA8\xBD\xE1\xB9\xFB.dbf";
    for (const QByteArray &path : {gbkPath, junkPath}) {
        FILE *f = std::fopen(path.constData(), "wb");
        QVERIFY(f);
        const QByteArray bytes = recordBytes(path == gbkPath ? QStringLiteral("甲") : QStringLiteral("乙"));
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
        std::fclose(f);
    }
    put(in(QStringLiteral("deep/er/丙_填报结果.dbf")), recordBytes(QStringLiteral("丙")));

    const Merge::Summary summary = run({out(QStringLiteral("m.csv")), out(QStringLiteral("m.dta"))});
    QCOMPARE(summary.found, 6);    // the loops add nothing
    QCOMPARE(summary.accepted, 3); // 甲 by its GBK name, the junk-named 乙, 丙
    QCOMPARE(summary.rejected, 3);
    QCOMPARE(summary.skipped, 1);
    QCOMPARE(summary.exitStatus(), 1);
    Kinds kinds = kindsOf(merge_->problems());
    kinds.sort();
    QCOMPARE(kinds, (Kinds{"file_name@1", "link_not_followed@0", "link_not_followed@0", "not_read@0",
                           "rejected_too_large@0", "rejected_unreadable@0", "rejected_unreadable@0"}));
    bool gbkNameRead = false;
    for (const ProblemReport::Entry &e : merge_->problems().entries())
        gbkNameRead |= e.file.endsWith(QStringLiteral("甲_填报结果.dbf"));
    QVERIFY(!gbkNameRead); // decoded from GBK, it matches its line 1
    // QTemporaryDir cannot remove names it cannot decode.
    for (const QByteArray &path : {gbkPath, junkPath})
        std::remove(path.constData());
}

void CollectMergeTest::outputsThatCannotBeWritten_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("reason");
    // SPSS and Stata where the build has them; else a workbook (a syntax file
    // would fail twice, with the CSV it reads).
    const bool stat = OutputReaders::spssAndStataBuiltIn();
    QTest::newRow("folder missing") << (stat ? "missing/m.dta" : "missing/m.xlsx") << "文件或文件夹不存在";
    QTest::newRow("target is a folder") << "folder.xlsx"
                                        << "这是一个文件夹";
    // Windows says of a file in a folder's place what it says of a missing folder.
    QTest::newRow("target is inside a file")
        << (stat ? "file.csv/m.sav" : "file.csv/m.xlsx")
        << (TestSystem::isPosix() ? "路径中有一部分不是文件夹" : "文件或文件夹不存在");
}

// Nothing is replaced when any output fails: the earlier outputs stay as they
// were, and no temporary file is left.
void CollectMergeTest::outputsThatCannotBeWritten()
{
    QFETCH(QString, failing);
    QFETCH(QString, reason);
    QRandomGenerator rng(1);
    for (int i = 0; i < 20; ++i)
        SampleRecords::write(SampleRecords::make(rng, i), dir_->path() + QStringLiteral("/in/"));
    QVERIFY(QDir().mkpath(out(QStringLiteral("folder.xlsx"))));
    put(out(QStringLiteral("file.csv")), "earlier");
    put(out(QStringLiteral("m.csv")), "earlier");
    const QStringList before = filesIn(out(QString()));

    const Merge::Summary summary =
        run({out(QStringLiteral("m.csv")), out(QStringLiteral("m.xlsx")), out(failing)}, nullptr, out("p.csv"));
    QCOMPARE(summary.exitStatus(), 2);
    QCOMPARE(summary.outputErrors.size(), 1);
    QVERIFY(summary.outputErrors[0].contains(out(failing)));
    QVERIFY2(summary.outputErrors[0].contains(reason), qPrintable(summary.outputErrors[0])); // in Chinese words
    QVERIFY(!summary.read); // found out before a single file was read
    QCOMPARE(summary.found, 0);
    QCOMPARE(filesIn(out(QString())), before);
    QFile earlier(out(QStringLiteral("m.csv")));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
}

void CollectMergeTest::cancelled_data()
{
    QTest::addColumn<int>("phase");
    QTest::addColumn<QString>("item");
    QTest::newRow("scanning") << int(RunControl::Phase::Scanning) << QString();
    QTest::newRow("reading") << int(RunControl::Phase::Reading) << QString();
    QTest::newRow("writing CSV") << int(RunControl::Phase::Writing) << "m.csv";
    QTest::newRow("writing Excel") << int(RunControl::Phase::Writing) << "m.xlsx";
    QTest::newRow("writing SPSS, after the others")
        << int(RunControl::Phase::Writing) << statOutput(QString(), QStringLiteral("sav"));
    QTest::newRow("writing Stata") << int(RunControl::Phase::Writing) << statOutput(QString(), QStringLiteral("dta"));
}

void CollectMergeTest::cancelled()
{
    QFETCH(int, phase);
    QFETCH(QString, item);
    static QTemporaryDir records; // 1,100 files: the writers report progress within a run of rows
    static bool written = false;
    if (!written) {
        QRandomGenerator rng(3);
        for (int i = 0; i < 1100; ++i)
            SampleRecords::write(SampleRecords::make(rng, i), records.path() + QLatin1Char('/'));
        written = true;
    }
    put(out(QStringLiteral("m.csv")), "earlier");
    const QStringList before = filesIn(out(QString()));
    Merge::Options options;
    options.inputs = {records.path()};
    options.outputs = {out(QStringLiteral("m.csv")), out(QStringLiteral("m.xlsx")),
                       statOutput(out(QString()), QStringLiteral("sav")),
                       statOutput(out(QString()), QStringLiteral("dta"))};
    options.problems = {out(QStringLiteral("p.csv"))};
    CancelAt control(RunControl::Phase(phase), item);
    Merge merge(options);
    const Merge::Summary summary = ReportStep::mergeAndReport(merge, control);
    QVERIFY(summary.cancelled);
    QCOMPARE(summary.exitStatus(), 2);
    QCOMPARE(filesIn(out(QString())), before);
    QFile earlier(out(QStringLiteral("m.csv")));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
}

// A text longer than Stata's str holds goes whole into a strL; SPSS and
// CSV keep it whole too.
void CollectMergeTest::longTextsGoWholeIntoStata()
{
    if (!OutputReaders::spssAndStataBuiltIn())
        QSKIP("SPSS and Stata files need ReadStat, which this build lacks");
    const QString longText = QStringLiteral("公益").repeated(500) + QStringLiteral("x"); // 3001 bytes of UTF-8
    put(in(QStringLiteral("甲_填报结果.dbf")), recordBytes(QStringLiteral("甲"), {{2, longText}}));
    const Merge::Summary summary = run({out(QStringLiteral("m.dta")), out(QStringLiteral("m.sav"))});
    QCOMPARE(kindsOf(merge_->problems()), Kinds{});
    QCOMPARE(summary.exitStatus(), 0);

    const OutputReaders::StatFile dta = OutputReaders::readStat(out(QStringLiteral("m.dta")), QStringLiteral("dta"));
    const OutputReaders::StatFile sav = OutputReaders::readStat(out(QStringLiteral("m.sav")), QStringLiteral("sav"));
    QVERIFY2(dta.ok, qPrintable(dta.error));
    QVERIFY2(sav.ok, qPrintable(sav.error));
    const qsizetype address = 4; // file, file_modified, file_sha256, name, address
    QCOMPARE(dta.variables[address].name, QStringLiteral("address"));
    QVERIFY(dta.variables[address].isStrL);
    QCOMPARE(dta.rows[0][address].toString(), longText);
    QCOMPARE(sav.rows[0][address].toString(), longText);
}

// A text a spreadsheet would take for a formula gets a leading ' in every
// CSV (data set, codebook, problem report); numbers and the other formats
// keep their cells as they are.
void CollectMergeTest::formulaCellsInCsv()
{
    const QString link = QStringLiteral("=HYPERLINK(\"http://x.example\",\"点击\")");
    put(in(QStringLiteral("甲_填报结果.dbf")), recordBytes(QStringLiteral("甲"), {{2, link},
                                                                                  {12, QStringLiteral("-5")},
                                                                                  {18, QStringLiteral("@平台")},
                                                                                  {3, QStringLiteral("5")},
                                                                                  {7, QStringLiteral("=1+1")}}));
    run({out(QStringLiteral("m.csv")), out(QStringLiteral("m.xlsx"))}, nullptr, out(QStringLiteral("p.csv")));
    QFile csv(out(QStringLiteral("m.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    QVERIFY(bytes.contains("\"'=HYPERLINK(\"\"http://x.example\"\",\"\"点击\"\")\""));
    const QList<QStringList> rows = csvRows(QStringLiteral("m.csv"));
    auto cell = [&](const char *name) { return rows[1][rows[0].indexOf(QLatin1String(name))]; };
    QCOMPARE(cell("address"), QLatin1Char('\'') + link);
    QCOMPARE(cell("foundation_name"), QStringLiteral("'-5"));
    QCOMPARE(cell("capital"), QStringLiteral("5"));

    // The report holds the text at fault: marked too.
    const QList<QStringList> report = csvRows(QStringLiteral("p.csv"));
    QCOMPARE(report[1][3], QStringLiteral("bad_code"));
    QCOMPARE(report[1][5], QStringLiteral("'=1+1"));
    // The workbook keeps the text exactly, as a text.
    const OutputReaders::Sheet sheet = OutputReaders::readXlsx(out(QStringLiteral("m.xlsx")))[0];
    const OutputReaders::Cell address = sheet.cells.value({1, int(rows[0].indexOf(QStringLiteral("address")))});
    QCOMPARE(address.text, link);
    QVERIFY(!address.number);
}

void CollectMergeTest::problemReportFile()
{
    put(in(QStringLiteral("b/乙_填报结果.dbf")), recordBytes(QStringLiteral("乙"), {{7, "0"}, {24, "x"}}));
    put(in(QStringLiteral("a/甲_填报结果.dbf")), QByteArray("junk"));
    const Merge::Summary summary = run({out(QStringLiteral("m.xlsx"))}, nullptr, out(QStringLiteral("p.csv")));
    QCOMPARE(summary.exitStatus(), 1);
    QFile file(out(QStringLiteral("p.csv")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(file.readAll(), rows));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0], (QStringList{"file", "line", "variable", "kind", "what", "raw"}));
    QCOMPARE(rows[1].mid(0, 5), (QStringList{shown(QStringLiteral("a/甲_填报结果.dbf")), "1", "", "rejected_framing",
                                             QStringLiteral("未汇总：不是填报结果文件")}));
    QCOMPARE(rows[2].mid(0, 4), (QStringList{shown(QStringLiteral("b/乙_填报结果.dbf")), "7", "industry", "bad_code"}));
    QCOMPARE(rows[2][5], QStringLiteral("0"));
    QCOMPARE(rows[3].mid(0, 4),
             (QStringList{shown(QStringLiteral("b/乙_填报结果.dbf")), "24", "report_count", "not_a_number"}));

    // The workbook's sheet holds the same rows, the lines as numbers, under a filter.
    const OutputReaders::Sheet sheet = OutputReaders::readXlsx(out(QStringLiteral("m.xlsx"))).value(2);
    QCOMPARE(sheet.name, QStringLiteral("问题"));
    QCOMPARE(sheet.autoFilter, QStringLiteral("A1:F4"));
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 5; ++c) {
            const OutputReaders::Cell cell = sheet.cells.value({r, c});
            QCOMPARE(cell.text, rows[r][c]);
            QCOMPARE(cell.number, r > 0 && c == 1);
        }
    }
}

// An empty line is 不适用 only where its gate is known to be shut; under a
// gate line that is itself outside its set, it is missing like any blank.
void CollectMergeTest::aSpoiltGateLeavesItsLinesMissing_data()
{
    QTest::addColumn<Changes>("changes");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<int>("state");
    using State = DataSet::Cell::State;
    auto row = [](const char *name, const Changes &changes, const char *variable, State state) {
        QTest::newRow(name) << changes << QString::fromLatin1(variable) << int(state);
    };
    row("foundation 否", {{11, "9"}}, "foundation_amount", State::NotApplicable);
    row("foundation 是, amount blank", {{11, "1"}}, "foundation_amount", State::Missing);
    row("foundation x", {{11, "x"}}, "foundation_amount", State::Missing);
    row("foundation x, list pick", {{11, "x"}}, "foundation_year", State::Missing);
    row("report 2", {{17, "2"}}, "report_count", State::Missing);
    row("industry 4", {{7, "4"}}, "industry_other", State::NotApplicable);
    row("industry 25", {{7, "25"}}, "industry_other", State::Missing);
    row("project type unticked", {}, "pt_agriculture_2013", State::NotApplicable);
    row("project types spoilt", {{138, "19x9999999"}}, "pt_agriculture_2013", State::Missing);
    row("project types cut short", {{138, "1"}}, "pt_agriculture_2014", State::Missing);
}

void CollectMergeTest::aSpoiltGateLeavesItsLinesMissing()
{
    QFETCH(Changes, changes);
    QFETCH(QString, variable);
    QFETCH(int, state);
    put(in(QStringLiteral("甲_填报结果.dbf")), recordBytes(QStringLiteral("甲"), changes));
    run({out(QStringLiteral("m.csv"))});
    const DataSet &data = merge_->data();
    QCOMPARE(data.rowCount(), 1);
    const DataSet::Record &record = data.records().front();
    const auto v = std::find_if(data.variables().begin(), data.variables().end(),
                                [&](const DataSet::Variable &v) { return v.name == variable; });
    QVERIFY(v != data.variables().end());
    QCOMPARE(int(DataSet::cell(*v, record, DataSet::split(record)).state), state);
}

// Lines of every length about the eight bytes the split reads at a time.
void CollectMergeTest::splitFindsEveryLine_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("lineCount");
    QTest::newRow("empty") << QByteArray() << Survey::kLineCount;
    QTest::newRow("no last line end") << QByteArray("abc\n\nlonger than eight\nxyz") << Survey::kLineCount;
    QTest::newRow("every length") << QByteArray("\na\nbb\nccc\ndddd\neeeee\nffffff\nggggggg\nhhhhhhhh\niiiiiiiii\n")
                                  << Survey::kLineCount;
    QTest::newRow("fewer asked") << QByteArray("a\nbb\nccc\ndddd\neeeee\n") << 3;
    QTest::newRow("more lines than asked for") << QByteArray(Survey::kLineCount + 5, '\n') << Survey::kLineCount;
}

void CollectMergeTest::splitFindsEveryLine()
{
    QFETCH(QByteArray, text);
    QFETCH(int, lineCount);
    DataSet::Record record;
    record.text = text;
    const QList<QByteArray> expected = text.split('\n');
    const DataSet::Lines lines = DataSet::split(record, lineCount);
    for (int i = 0; i < Survey::kLineCount; ++i)
        QCOMPARE(lines[size_t(i)].toByteArray(), i < lineCount ? expected.value(i) : QByteArray());
}

// Every .dbf is read, whatever its name; the content decides. Copies renamed
// by a browser or a file manager keep their name's match with line 1.
void CollectMergeTest::everyDbfIsRead()
{
    put(in(QStringLiteral("B企业_填报结果(1).dbf")), recordBytes(QStringLiteral("B企业")));
    put(in(QStringLiteral("C企业_填报结果 - 副本.dbf")), recordBytes(QStringLiteral("C企业")));
    put(in(QStringLiteral("E企业_填报结果（1）.dbf")), recordBytes(QStringLiteral("E企业")));
    put(in(QStringLiteral("D企业.DBF")), recordBytes(QStringLiteral("D企业")));
    put(in(QStringLiteral("table.dbf")), QByteArray("\x03\x7e\x06\x01\x02\x00\x00\x00\xe1\x00", 10).repeated(20));
    put(in(QStringLiteral("notes.txt")), "notes");
    const Merge::Summary summary = run({out(QStringLiteral("m.csv"))});
    QCOMPARE(summary.found, 5);
    QCOMPARE(summary.accepted, 4);
    QCOMPARE(summary.rejected, 1);
    QCOMPARE(summary.skipped, 1);
    QCOMPARE(summary.exitStatus(), 1);
    QCOMPARE(kindsOf(merge_->problems()), (Kinds{"file_name@1", "rejected_framing@1", "not_read@0"}));
    QCOMPARE(merge_->problems().entries()[0].file, shown(QStringLiteral("D企业.DBF")));
    QCOMPARE(merge_->problems().entries()[1].what, QStringLiteral("未汇总：不是填报结果文件"));
    QCOMPARE(merge_->problems().entries()[2].file, shown(QStringLiteral("notes.txt")));
    QCOMPARE(summary.problems, 3);
}

// A folder past the longest path the system takes: reported, and the run's
// status is 1, while the rest is merged.
void CollectMergeTest::aFolderThatCannotBeRead()
{
    put(in(QStringLiteral("甲_填报结果.dbf")), recordBytes(QStringLiteral("甲")));
    const QString level = TestSystem::writePastPathLimit(in(QString()), QStringLiteral("乙_填报结果.dbf"),
                                                         recordBytes(QStringLiteral("乙")));
    if (level.isEmpty())
        QSKIP("this system cannot stage a folder past its longest path");
    const auto cleanUp = qScopeGuard([&] { TestSystem::removePastPathLimit(in(QString())); });

    const Merge::Summary summary = run({out(QStringLiteral("m.csv"))});
    QCOMPARE(summary.accepted, 1);
    QCOMPARE(summary.exitStatus(), 1);
    QCOMPARE(kindsOf(merge_->problems()), (Kinds{"input@0"}));
    const ProblemReport::Entry &e = merge_->problems().entries()[0];
    QVERIFY(e.file.startsWith(shown(level)));
    QVERIFY2(e.what.contains(QStringLiteral("文件名或路径太长")), qPrintable(e.what));
}

void CollectMergeTest::aFileNamedTwiceIsReadOnce_data()
{
    QTest::addColumn<bool>("fileFirst");
    QTest::newRow("folder, then the file in it") << false;
    QTest::newRow("the file, then its folder") << true;
}

void CollectMergeTest::aFileNamedTwiceIsReadOnce()
{
    QFETCH(bool, fileFirst);
    const QString file = put(in(QStringLiteral("甲_填报结果.dbf")), recordBytes(QStringLiteral("甲")));
    const QString folder = in(QString());
    Merge::Options options;
    options.inputs = fileFirst ? QStringList{file, folder} : QStringList{folder, file};
    options.outputs = {out(QStringLiteral("m.csv"))};
    RunControl control;
    merge_ = std::make_unique<Merge>(options);
    const Merge::Summary summary = ReportStep::mergeAndReport(*merge_, control);
    QCOMPARE(summary.found, 1);
    QCOMPARE(summary.accepted, 1);
    QCOMPARE(summary.duplicates, 0);
    QCOMPARE(summary.exitStatus(), 0);
    QCOMPARE(csvRows(QStringLiteral("m.csv")).size(), 2);
}

// A link to a folder inside an input is listed with where it leads and not
// followed (it may lead to the root); a link to a file is read; a link named
// as the input is followed.
void CollectMergeTest::linksInsideAnInput()
{
    if (!TestSystem::isPosix())
        QSKIP("links in the file system are POSIX");
    const QString sibling = dir_->path() + QStringLiteral("/sibling");
    put(sibling + QStringLiteral("/乙_填报结果.dbf"), recordBytes(QStringLiteral("乙")));
    put(sibling + QStringLiteral("/丙_填报结果.dbf"), recordBytes(QStringLiteral("丙")));
    put(in(QStringLiteral("甲_填报结果.dbf")), recordBytes(QStringLiteral("甲")));
    QVERIFY(QFile::link(sibling, in(QStringLiteral("旁边"))));
    QVERIFY(QFile::link(QStringLiteral("/"), in(QStringLiteral("根"))));
    QVERIFY(QFile::link(sibling + QStringLiteral("/乙_填报结果.dbf"), in(QStringLiteral("乙_填报结果.dbf"))));
    const QString named = dir_->path() + QStringLiteral("/named");
    QVERIFY(QFile::link(in(QString()), named));
    Merge::Options options;
    options.inputs = {named};
    options.outputs = {out(QStringLiteral("m.csv"))};
    RunControl control;
    merge_ = std::make_unique<Merge>(options);
    const Merge::Summary summary = ReportStep::mergeAndReport(*merge_, control);
    QCOMPARE(summary.accepted, 2); // 甲, and 乙 through its link
    QCOMPARE(summary.skipped, 0);
    QCOMPARE(summary.exitStatus(), 1);
    QCOMPARE(kindsOf(merge_->problems()), (Kinds{"link_not_followed@0", "link_not_followed@0"}));
    QStringList links;
    for (const ProblemReport::Entry &e : merge_->problems().entries())
        links << e.file + QStringLiteral(" → ") + e.what + QStringLiteral(" ") + e.raw;
    links.sort();
    QCOMPARE(links, (QStringList{QStringLiteral("named/旁边 → 链接未跟随 ") + sibling,
                                 QStringLiteral("named/根 → 链接未跟随 /")}));
}

// Outputs written inside the input folder are no inputs: neither they nor the
// run's temporary files are listed as unread, in the run that writes them or
// in the next.
void CollectMergeTest::outputsInsideTheInput()
{
    put(in(QStringLiteral("甲_填报结果.dbf")), recordBytes(QStringLiteral("甲")));
    put(in(QStringLiteral("notes.txt")), "notes");
    QVERIFY(QDir().mkpath(in(QStringLiteral("sub"))));
    for (int run = 1; run <= 2; ++run) {
        const Merge::Summary summary =
            this->run({in(QStringLiteral("m.csv")), in(QStringLiteral("sub/m.xlsx"))}, nullptr, in("p.csv"));
        QCOMPARE(summary.skipped, 1);
        QCOMPARE(summary.exitStatus(), 0);
        QCOMPARE(kindsOf(merge_->problems()), Kinds{"not_read@0"});
        QCOMPARE(merge_->problems().entries()[0].file, shown(QStringLiteral("notes.txt")));
    }
}

// NUL and the like come out of a text the same way in every format, and the
// report names the line.
void CollectMergeTest::controlCharactersAreTakenOut()
{
    QByteArray bytes = recordBytes(QStringLiteral("甲"), {{2, QStringLiteral("北京X路")}});
    bytes.replace("X", QByteArray("\x00\x01", 2));
    put(in(QStringLiteral("甲_填报结果.dbf")), bytes);
    const Merge::Summary summary =
        run({out(QStringLiteral("m.csv")), out(QStringLiteral("m.xlsx")),
             statOutput(out(QString()), QStringLiteral("sav")), statOutput(out(QString()), QStringLiteral("dta"))});
    QCOMPARE(summary.exitStatus(), 1);
    QCOMPARE(kindsOf(merge_->problems()), (Kinds{"control_characters@2"}));
    QCOMPARE(merge_->problems().entries()[0].raw, QStringLiteral("北京␀␁路"));

    const QString clean = QStringLiteral("北京路");
    const QList<QStringList> rows = csvRows(QStringLiteral("m.csv"));
    const int address = int(rows[0].indexOf(QStringLiteral("address")));
    QCOMPARE(rows[1][address], clean);
    QCOMPARE(OutputReaders::readXlsx(out(QStringLiteral("m.xlsx")))[0].cells.value({1, address}).text, clean);
    for (const char *format : {"sav", "dta"})
        if (OutputReaders::spssAndStataBuiltIn())
            QCOMPARE(OutputReaders::readStat(out(QStringLiteral("m.") + QLatin1String(format)), QLatin1String(format))
                         .rows[0][address]
                         .toString(),
                     clean);
}

// The disk fills up while one output is written: none is replaced, no
// temporary file is left, and the reason is in words.
void CollectMergeTest::aFullDiskReplacesNothing()
{
    QRandomGenerator rng(4);
    for (int i = 0; i < 20; ++i)
        SampleRecords::write(SampleRecords::make(rng, i), dir_->path() + QStringLiteral("/in/"));
    put(out(QStringLiteral("m.csv")), "earlier");
    const QStringList before = filesIn(out(QString()));
    DiskFullFor calls(statOutput(QString(), QStringLiteral("sav")).toUtf8());
    Merge::Options options;
    options.inputs = {in(QString())};
    options.outputs = {out(QStringLiteral("m.csv")), out(QStringLiteral("m.xlsx")),
                       statOutput(out(QString()), QStringLiteral("sav"))};
    options.files = &calls;
    RunControl control;
    Merge merge(options);
    const Merge::Summary summary = ReportStep::mergeAndReport(merge, control);
    QCOMPARE(summary.exitStatus(), 2);
    QCOMPARE(summary.outputErrors.size(), 1);
    QVERIFY(summary.outputErrors[0].contains(statOutput(out(QString()), QStringLiteral("sav"))));
    QVERIFY2(summary.outputErrors[0].contains(QStringLiteral("磁盘空间不足")), qPrintable(summary.outputErrors[0]));
    QCOMPARE(filesIn(out(QString())), before);
    QFile earlier(out(QStringLiteral("m.csv")));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
}

// Every output is on the disk before the first rename; then the renames,
// one after the other with nothing slow between them, then the folder synced.
void CollectMergeTest::theRenamesComeTogether()
{
    class NotedCalls : public ForwardingFileSystem {
    public:
        QStringList calls;
        int sync(Handle file) override { return noted(QStringLiteral("sync"), real().sync(file)); }
        int rename(const QByteArray &from, const QByteArray &to) override
        {
            return noted(QStringLiteral("rename"), real().rename(from, to));
        }
        int syncPath(const QByteArray &path) override
        {
            return noted(QStringLiteral("syncPath"), real().syncPath(path));
        }

    private:
        int noted(const QString &call, int result)
        {
            calls << call;
            return result;
        }
    } calls;
    put(in(QStringLiteral("甲_填报结果.dbf")), recordBytes(QStringLiteral("甲")));
    Merge::Options options;
    options.inputs = {in(QString())};
    options.outputs = {out(QStringLiteral("m.csv")), out(QStringLiteral("m.xlsx"))};
    options.problems = {out(QStringLiteral("p.csv"))};
    options.checks = {out(QStringLiteral("k.csv")), out(QStringLiteral("k.xlsx"))};
    options.files = &calls;
    RunControl control;
    Merge merge(options);
    QCOMPARE(ReportStep::mergeAndReport(merge, control).exitStatus(), 0);
    const qsizetype first = calls.calls.indexOf(QStringLiteral("rename"));
    QVERIFY(calls.calls.first(first).count(QStringLiteral("sync")) >= 5);
    QCOMPARE(calls.calls.mid(first), (QStringList{"rename", "rename", "rename", "rename", "rename", "syncPath"}));
}

// A killed run leaves its hidden temporary file; the next merge into that
// folder removes it, but never one that a merge still running writes, nor a
// person's file named much like one, which is read as any other.
void CollectMergeTest::temporariesOfAKilledRunAreRemoved()
{
    QRandomGenerator rng(5);
    for (int i = 0; i < 200; ++i)
        SampleRecords::write(SampleRecords::make(rng, i), dir_->path() + QStringLiteral("/in/"));
    put(out(QStringLiteral(".csr-collect-AbC123.tmp")), "left by a killed run");
    put(out(QStringLiteral(".csr-survey-XyZ789.tmp")), "not the collector's");
    put(out(QStringLiteral(".csr-collect-AbC123")), "a person's");
    put(in(QStringLiteral(".csr-collect-乙_填报结果.dbf")), recordBytes(QStringLiteral(".csr-collect-乙")));
    QVERIFY(QDir().mkpath(dir_->path() + QStringLiteral("/other")));
    put(dir_->path() + QStringLiteral("/other/甲_填报结果.dbf"), recordBytes(QStringLiteral("甲")));

    Merge::Options beside;
    beside.inputs = {dir_->path() + QStringLiteral("/other")};
    beside.outputs = {out(QStringLiteral("beside.csv"))};
    MergeBeside control(beside);
    const Merge::Summary summary = run({out(QStringLiteral("m.csv")), out(QStringLiteral("m.xlsx"))}, &control);
    QVERIFY(control.ran());
    QCOMPARE(summary.exitStatus(), 0);
    QCOMPARE(filesIn(out(QString())),
             (QStringList{".csr-collect-AbC123", ".csr-survey-XyZ789.tmp", "beside.csv", "m.csv", "m.xlsx"}));
    QCOMPARE(csvRows(QStringLiteral("m.csv")).size(), 202);
}

QTEST_GUILESS_MAIN(CollectMergeTest)
#include "tst_collect_merge.moc"
