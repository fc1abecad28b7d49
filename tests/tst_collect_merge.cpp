// The merge from files on disk: what is rejected, what is accepted with a
// problem, duplicates, hostile inputs, outputs that cannot be written, and a
// cancelled run. Files are written here byte by byte.
#include "collect/Merge.h"
#include "collect/RunControl.h"
#include "survey/Gbk.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

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
    const timeval times[2] = {{time_t(secondsSinceEpoch), 0}, {time_t(secondsSinceEpoch), 0}};
    QCOMPARE(::utimes(QFile::encodeName(path).constData(), times), 0);
}

Kinds kindsOf(const ProblemReport &report)
{
    Kinds kinds;
    for (const ProblemReport::Entry &e : report.entries())
        kinds << e.kindName() + QLatin1Char('@') + QString::number(e.line);
    return kinds;
}

// Files in the folder, hidden ones too: a temporary file left behind shows here.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
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

} // namespace

Q_DECLARE_METATYPE(Changes)

class CollectMergeTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void problems_data();
    void problems();
    void valuesOutsideTheirSetAreMissing();
    void duplicatesKeepTheNewest();
    void identicalCopiesCountOnce();
    void hostileInputs();
    void outputsThatCannotBeWritten_data();
    void outputsThatCannotBeWritten();
    void cancelled_data();
    void cancelled();
    void longTextsAreCutForStata();
    void problemReportFile();

private:
    Merge::Summary run(const QStringList &outputs, RunControl *control = nullptr, const QString &problems = {});
    QString in(const QString &name) const { return dir_->path() + QStringLiteral("/in/") + name; }
    QString out(const QString &name) const { return dir_->path() + QStringLiteral("/out/") + name; }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Merge> merge_;
};

void CollectMergeTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QDir().mkpath(dir_->path() + QStringLiteral("/in"));
    QDir().mkpath(dir_->path() + QStringLiteral("/out"));
}

Merge::Summary CollectMergeTest::run(const QStringList &outputs, RunControl *control, const QString &problems)
{
    Merge::Options options;
    options.inputs = {dir_->path() + QStringLiteral("/in")};
    options.outputs = outputs;
    options.problems = problems;
    RunControl plain;
    merge_ = std::make_unique<Merge>(options);
    return merge_->run(control ? *control : plain);
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
    row("project figure, box unticked", {{121, "3"}}, {"ungated_figure@121"});
    row("four ticks in question 1", {{65, "119119"}}, {"too_many_ticks@65"});
    row("ranking with a repeat", {{85, "ABA"}}, {"bad_ranking@85"});
    row("other text, option unticked", {{95, "讲座"}}, {"other_without_tick@95"});
    row("number field not a number", {{36, "一百"}}, {"not_a_number@36"});
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
    rejected("larger than 64 KiB", good + QByteArray(64 * 1024, 'x'), "rejected_too_large@0");
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
        QCOMPARE(e.file, in(fileName));

    // Rejected files are not in the data set; the others are, problems or not.
    QFile csv(out(QStringLiteral("m.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(csv.readAll(), rows));
    QCOMPARE(rows.size(), 1 + accepted);
}

// A code outside its set, a list item not in the list, a broken ranking and a
// number that is not one: missing in the data set, the raw text in the report.
void CollectMergeTest::valuesOutsideTheirSetAreMissing()
{
    put(in(QStringLiteral("甲_填报结果.dbf")),
        recordBytes(QStringLiteral("甲"), {{7, "25"}, {5, "私营"}, {85, "CAC"}, {25, "1,000"}, {26, "12"}}));
    run({out(QStringLiteral("m.csv")), out(QStringLiteral("m.sav"))});
    QFile csv(out(QStringLiteral("m.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(csv.readAll(), rows));
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
    QCOMPARE(merge_->problems().entries()[0].file, in(QStringLiteral("a/甲_填报结果.dbf")));
    QCOMPARE(merge_->problems().entries()[1].file, in(QStringLiteral("c/ 甲_填报结果.dbf")));
    QVERIFY(merge_->problems().entries()[0].what.contains(in(QStringLiteral("b/甲_填报结果.dbf"))));

    QFile csv(out(QStringLiteral("m.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(csv.readAll(), rows));
    QCOMPARE(rows.size(), 3);
    QStringList addresses{rows[1][2], rows[2][2]};
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
    const Merge::Summary summary = run({out(QStringLiteral("m.csv"))});
    QCOMPARE(summary.found, 5);
    QCOMPARE(summary.accepted, 3);
    QCOMPARE(summary.duplicates, 2);
    QCOMPARE(summary.exitStatus(), 0); // a copy is no problem
    QCOMPARE(kindsOf(merge_->problems()), (Kinds{"identical_copy@0", "identical_copy@0"}));
    QCOMPARE(merge_->problems().entries()[0].file, in(QStringLiteral("copy/甲_填报结果.dbf")));
}

// Links back to a parent, a pipe and a device named like result files, a
// sparse file of 8 GiB, names that are not UTF-8: the merge ends, and says
// what it could not read.
void CollectMergeTest::hostileInputs()
{
    const QString folder = dir_->path() + QStringLiteral("/in");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/deep/er")));
    QVERIFY(QFile::link(folder, folder + QStringLiteral("/deep/er/loop")));
    QVERIFY(QFile::link(folder + QStringLiteral("/deep"), folder + QStringLiteral("/deep/er/up")));
    QCOMPARE(::mkfifo(QFile::encodeName(in(QStringLiteral("管道_填报结果.dbf"))).constData(), 0600), 0);
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
    QCOMPARE(kinds, (Kinds{"file_name@1", "rejected_too_large@0", "rejected_unreadable@0", "rejected_unreadable@0"}));
    bool gbkNameRead = false;
    for (const ProblemReport::Entry &e : merge_->problems().entries())
        gbkNameRead |= e.file.endsWith(QStringLiteral("甲_填报结果.dbf"));
    QVERIFY(!gbkNameRead); // decoded from GBK, it matches its line 1
    // QTemporaryDir cannot remove names it cannot decode.
    for (const QByteArray &path : {gbkPath, junkPath})
        ::unlink(path.constData());
}

void CollectMergeTest::outputsThatCannotBeWritten_data()
{
    QTest::addColumn<QString>("failing");
    QTest::newRow("folder missing") << "missing/m.dta";
    QTest::newRow("target is a folder") << "folder.xlsx";
    QTest::newRow("target is inside a file") << "file.csv/m.sav";
}

// Nothing is replaced when any output fails: the earlier outputs stay as they
// were, and no temporary file is left.
void CollectMergeTest::outputsThatCannotBeWritten()
{
    QFETCH(QString, failing);
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
    QTest::newRow("writing SPSS, after the others") << int(RunControl::Phase::Writing) << "m.sav";
    QTest::newRow("writing Stata") << int(RunControl::Phase::Writing) << "m.dta";
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
    options.outputs = {out(QStringLiteral("m.csv")), out(QStringLiteral("m.xlsx")), out(QStringLiteral("m.sav")),
                       out(QStringLiteral("m.dta"))};
    options.problems = out(QStringLiteral("p.csv"));
    CancelAt control(RunControl::Phase(phase), item);
    Merge merge(options);
    const Merge::Summary summary = merge.run(control);
    QVERIFY(summary.cancelled);
    QCOMPARE(summary.exitStatus(), 2);
    QCOMPARE(filesIn(out(QString())), before);
    QFile earlier(out(QStringLiteral("m.csv")));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
}

// Stata's str holds 2045 bytes: a longer text is cut there, on a character
// boundary, and the cut is reported; SPSS and CSV keep the whole text.
void CollectMergeTest::longTextsAreCutForStata()
{
    const QString longText = QStringLiteral("公益").repeated(500) + QStringLiteral("x"); // 3001 bytes of UTF-8
    put(in(QStringLiteral("甲_填报结果.dbf")), recordBytes(QStringLiteral("甲"), {{2, longText}}));
    const Merge::Summary summary = run({out(QStringLiteral("m.dta")), out(QStringLiteral("m.sav"))});
    QCOMPARE(kindsOf(merge_->problems()), (Kinds{"text_cut@2"}));
    QVERIFY(merge_->problems().entries()[0].what.contains(QStringLiteral("Stata")));
    QCOMPARE(summary.exitStatus(), 1);

    const OutputReaders::StatFile dta = OutputReaders::readStat(out(QStringLiteral("m.dta")), QStringLiteral("dta"));
    const OutputReaders::StatFile sav = OutputReaders::readStat(out(QStringLiteral("m.sav")), QStringLiteral("sav"));
    QVERIFY(dta.ok && sav.ok);
    const QString cut = dta.rows[0][2].toString();
    QCOMPARE(cut, longText.left(2045 / 3)); // whole characters only
    QCOMPARE(sav.rows[0][2].toString(), longText);
}

void CollectMergeTest::problemReportFile()
{
    put(in(QStringLiteral("b/乙_填报结果.dbf")), recordBytes(QStringLiteral("乙"), {{7, "0"}, {24, "x"}}));
    put(in(QStringLiteral("a/甲_填报结果.dbf")), QByteArray("junk"));
    const Merge::Summary summary = run({}, nullptr, out(QStringLiteral("p.csv")));
    QCOMPARE(summary.exitStatus(), 1);
    QFile file(out(QStringLiteral("p.csv")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(file.readAll(), rows));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0], (QStringList{"file", "line", "variable", "kind", "what", "raw"}));
    QCOMPARE(rows[1].mid(0, 4), (QStringList{in(QStringLiteral("a/甲_填报结果.dbf")), "1", "", "rejected_framing"}));
    QCOMPARE(rows[2].mid(0, 4), (QStringList{in(QStringLiteral("b/乙_填报结果.dbf")), "7", "industry", "bad_code"}));
    QCOMPARE(rows[2][5], QStringLiteral("0"));
    QCOMPARE(rows[3].mid(0, 4),
             (QStringList{in(QStringLiteral("b/乙_填报结果.dbf")), "24", "report_count", "not_a_number"}));
}

QTEST_GUILESS_MAIN(CollectMergeTest)
#include "tst_collect_merge.moc"
