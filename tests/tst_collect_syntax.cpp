// SPSS and Stata as their users meet them. GNU PSPP, a real client, opens the
// .sav: its dictionary and a frequency table. PSPP runs the .sps on the CSV
// beside it and saves what it read; that file and the .sav that ReadStat
// wrote hold the same dictionary and the same values. The .do cannot be run
// here (no Stata): its text is checked for what Stata needs.
#include "collect/merge/Merge.h"
#include "collect/merge/RunControl.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"
#include "tests/support/TestSystem.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

// PSPP's output as CSV: its tables one after another, each headed "Table: name".
QList<QList<QStringList>> tablesOf(const QByteArray &csv, QStringList &titles)
{
    QList<QList<QStringList>> tables;
    for (const QByteArray &line : csv.split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(QStringLiteral("Table: "))) {
            titles << text.mid(7);
            tables.append(QList<QStringList>());
            continue;
        }
        if (text.isEmpty() || tables.isEmpty())
            continue;
        QList<QStringList> rows;
        if (OutputReaders::parseCsv("\xEF\xBB\xBF" + line.trimmed() + "\r\n", rows) && !rows.isEmpty())
            tables.back().append(rows.front());
    }
    return tables;
}

} // namespace

class CollectSyntaxTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void psppOpensTheSav();
    void spsReadsWhatTheSavHolds();
    void doFileSaysWhatStataNeeds();

private:
    QString out(const QString &name) const { return dir_.path() + QStringLiteral("/out/") + name; }
    // Runs a syntax in PSPP; its tables, as CSV, or nothing when it failed.
    std::optional<QByteArray> pspp(const QString &syntax);

    QTemporaryDir dir_;
    QList<QStringList> samples_;
};

void CollectSyntaxTest::initTestCase()
{
    if (!OutputReaders::spssAndStataBuiltIn())
        QSKIP("compared with the .sav that ReadStat writes, which this build lacks; the syntax files are the same "
              "text where it has it");
    if (TestSystem::tool(QStringLiteral("pspp")).isEmpty())
        QSKIP("GNU PSPP is not installed (tools/install-deps installs it)");
    const QString folder = dir_.path() + QStringLiteral("/收到/");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QDir().mkpath(out(QString())));
    QRandomGenerator rng(21);
    for (int i = 0; i < 60; ++i) {
        AnswerRecord record = SampleRecords::make(rng, i, SampleRecords::Texts::Tricky);
        // The longest address begins like a formula: the CSV's mark makes it a byte longer there.
        if (i == 0)
            record.set(2, QStringLiteral("=") + QStringLiteral("公益").repeated(40));
        SampleRecords::write(record, folder);
        samples_ << SampleRecords::lines(record);
    }
    Merge::Options options;
    options.inputs = {folder};
    options.outputs = {out(QStringLiteral("汇总.sav")), out(QStringLiteral("汇总.sps")),
                       out(QStringLiteral("汇总.do"))};
    RunControl control;
    const Merge::Summary summary = Merge(options).run(control);
    QCOMPARE(summary.exitStatus(), 0);
}

std::optional<QByteArray> CollectSyntaxTest::pspp(const QString &syntax)
{
    const QString script = out(QStringLiteral("run.sps"));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(syntax.toUtf8());
    file.close();
    const QString tables = out(QStringLiteral("tables.csv"));
    QProcess process;
    process.start(TestSystem::tool(QStringLiteral("pspp")),
                  {QStringLiteral("-O"), QStringLiteral("format=csv"), QStringLiteral("-o"), tables, script});
    const bool ran = process.waitForFinished(120000) && process.exitCode() == 0;
    // PSPP says what went wrong in its output, and exits with 0 all the same.
    QFile result(tables);
    const QByteArray output = result.open(QIODevice::ReadOnly) ? result.readAll() : QByteArray();
    if (!ran || output.contains(": error:")) {
        qWarning() << output.left(2000) << process.readAllStandardError();
        return std::nullopt;
    }
    return output;
}

// The dictionary names and labels the variables, with their measurement
// levels and formats; a frequency table counts the industries as the
// records hold them, each with its label.
void CollectSyntaxTest::psppOpensTheSav()
{
    const std::optional<QByteArray> ran =
        pspp(QStringLiteral("GET FILE='%1'.\nDISPLAY DICTIONARY /VARIABLES=file_modified company_age revenue_2013 "
                            "report_count.\nFREQUENCIES industry.\n")
                 .arg(out(QStringLiteral("汇总.sav"))));
    QVERIFY(ran);
    const QByteArray &csv = *ran;
    QStringList titles;
    const QList<QList<QStringList>> tables = tablesOf(csv, titles);
    const qsizetype variables = titles.indexOf(QStringLiteral("Variables"));
    QVERIFY(variables >= 0);
    const QStringList header = tables[variables][0];
    auto row = [&](const QString &name) {
        for (const QStringList &r : tables[variables])
            if (r.value(0) == name)
                return r;
        return QStringList();
    };
    auto field = [&](const QString &name, const char *column) {
        return row(name).value(header.indexOf(QLatin1String(column)));
    };
    QCOMPARE(field(QStringLiteral("company_age"), "Label"), QStringLiteral("成立年限"));
    QCOMPARE(field(QStringLiteral("company_age"), "Measurement Level"), QStringLiteral("Ordinal"));
    QCOMPARE(field(QStringLiteral("revenue_2013"), "Measurement Level"), QStringLiteral("Scale"));
    QCOMPARE(field(QStringLiteral("file_modified"), "Print Format"), QStringLiteral("DATETIME20.0"));
    QCOMPARE(field(QStringLiteral("report_count"), "Missing Values"), QStringLiteral("-1"));

    // The frequency table of the industries.
    const qsizetype frequencies = titles.indexOf(QStringLiteral("2.所属行业"));
    QVERIFY2(frequencies >= 0, qPrintable(titles.join(QLatin1Char('|'))));
    QMap<QString, int> counted;
    for (const QStringList &r : tables[frequencies])
        if ((r.value(0) == QLatin1String("Valid") || r.value(0).isEmpty()) && !r.value(1).isEmpty())
            counted.insert(r.value(1).section(QLatin1Char('.'), 0, 0), r.value(2).toInt());
    QMap<QString, int> expected;
    int missing = 0;
    for (const QStringList &lines : samples_) {
        if (lines[6].isEmpty())
            ++missing;
        else
            ++expected[lines[6]];
    }
    QCOMPARE(counted, expected);
    bool missingCounted = missing == 0;
    for (const QStringList &r : tables[frequencies])
        missingCounted |= r.value(0) == QLatin1String("Missing") && r.value(2).toInt() == missing;
    QVERIFY(missingCounted);
}

// PSPP reads the CSV through the .sps and saves it; ReadStat wrote the .sav
// directly. Both hold the same variables, labels, value labels, missing
// values, formats, measurement levels, widths and values.
void CollectSyntaxTest::spsReadsWhatTheSavHolds()
{
    const QString fromSyntax = out(QStringLiteral("pspp.sav"));
    QVERIFY(pspp(
        QStringLiteral("INSERT FILE='%1'.\nSAVE OUTFILE='%2'.\n").arg(out(QStringLiteral("汇总.sps")), fromSyntax)));
    const OutputReaders::StatFile direct =
        OutputReaders::readStat(out(QStringLiteral("汇总.sav")), QStringLiteral("sav"));
    const OutputReaders::StatFile read = OutputReaders::readStat(fromSyntax, QStringLiteral("sav"));
    QVERIFY2(direct.ok, qPrintable(direct.error));
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.variables.size(), direct.variables.size());
    for (qsizetype i = 0; i < direct.variables.size(); ++i) {
        const OutputReaders::StatVariable &a = direct.variables[i], &b = read.variables[i];
        QCOMPARE(b.name, a.name);
        QCOMPARE(b.label, a.label);
        QCOMPARE(b.isString, a.isString);
        QCOMPARE(b.format, a.format);
        QCOMPARE(b.measure, a.measure);
        QCOMPARE(b.displayWidth, a.displayWidth);
        QCOMPARE(b.missing, a.missing);
        QCOMPARE(read.labelSets.value(b.labelSet), direct.labelSets.value(a.labelSet));
    }
    QCOMPARE(read.rows.size(), direct.rows.size());
    for (qsizetype r = 0; r < direct.rows.size(); ++r)
        for (qsizetype c = 0; c < direct.variables.size(); ++c)
            QVERIFY2(read.rows[r][c] == direct.rows[r][c],
                     qPrintable(
                         QStringLiteral("row %1, %2: %3 against %4")
                             .arg(r)
                             .arg(direct.variables[c].name, read.rows[r][c].toString(), direct.rows[r][c].toString())));
}

// Stata reads the same CSV, names and labels every variable, labels the
// values with .a for 不适用, and turns the date-time into one.
void CollectSyntaxTest::doFileSaysWhatStataNeeds()
{
    QFile file(out(QStringLiteral("汇总.do")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(
        text.contains(QStringLiteral("import delimited using `\"%1\"'").arg(out(QStringLiteral("汇总_values.csv")))));
    QVERIFY(text.contains(QStringLiteral("encoding(\"utf-8\")")));
    const OutputReaders::StatFile direct =
        OutputReaders::readStat(out(QStringLiteral("汇总.sav")), QStringLiteral("sav"));
    for (qsizetype i = 0; i < direct.variables.size(); ++i) {
        const QString &name = direct.variables[i].name;
        QVERIFY2(text.contains(QStringLiteral("rename v%1 %2\n").arg(i + 1).arg(name)), qPrintable(name));
        QVERIFY2(text.contains(QStringLiteral("label variable %1 `\"").arg(name)), qPrintable(name));
    }
    QVERIFY(text.contains(QStringLiteral("label define industry ///\n    1 `\"1.农、林、牧、渔业\"'")));
    QVERIFY(text.contains(QStringLiteral(".a `\"不适用\"'")));
    QVERIFY(text.contains(QStringLiteral("mv(-1 = .a)")));
    QVERIFY(text.contains(QStringLiteral("clock(file_modified, \"YMDhms\")")));
    QVERIFY(text.contains(QStringLiteral("format file_modified %tc")));
}

QTEST_GUILESS_MAIN(CollectSyntaxTest)
#include "tst_collect_syntax.moc"
