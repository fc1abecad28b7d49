// SPSS and Stata as their users meet them. GNU PSPP, a real client, opens the
// .sav: its dictionary and a frequency table. PSPP runs the .sps on the CSV
// beside it and saves what it read; that file and the .sav that ReadStat
// wrote hold the same dictionary and the same values. The .do cannot be run
// here (no Stata): its text is checked for what Stata needs, its formats and
// the .dta's against Stata's grammar. pandas reads the .dta as its users do.
#include "collect/merge/Merge.h"
#include "collect/merge/RunControl.h"
#include "collect/report/ReportStep.h"
#include "survey/LineMap.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"
#include "tests/support/TestSystem.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace {

// Whether a display format follows Stata's grammar: %w.df, %w.dg, %w.de
// (each may have -, 0 and c), %ws, or a date-time %tc….
bool isStataFormat(const QString &format)
{
    static const QRegularExpression number(QStringLiteral("^%-?0?([1-9][0-9]*)\\.([0-9]+)[efg]c?$"));
    static const QRegularExpression text(QStringLiteral("^%-?([1-9][0-9]*)s$"));
    static const QRegularExpression dateTime(QStringLiteral("^%-?t[cC][A-Za-z_:.,/ -]*$"));
    if (const QRegularExpressionMatch m = number.match(format); m.hasMatch())
        return m.captured(2).toInt() < m.captured(1).toInt();
    if (const QRegularExpressionMatch m = text.match(format); m.hasMatch())
        return m.captured(1).toInt() <= 2045;
    return dateTime.match(format).hasMatch();
}

// The do-file's format lines: variable → format.
QHash<QString, QString> doFormats(const QString &doFile)
{
    static const QRegularExpression line(QStringLiteral("^format (\\S+) (.*)$"), QRegularExpression::MultilineOption);
    QHash<QString, QString> formats;
    for (const QRegularExpressionMatch &m : line.globalMatch(doFile))
        formats.insert(m.captured(1), m.captured(2));
    return formats;
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The figures of the survey: the variables of its number lines.
QList<const Survey::Line *> figureLines()
{
    QList<const Survey::Line *> figures;
    for (const Survey::Line &line : Survey::lines())
        if (line.kind == Survey::LineKind::Number)
            figures << &line;
    return figures;
}

// Records whose every figure that is filled in is given by the generator, in
// the folder; their lines.
QList<QStringList> writeRecords(const QString &folder, int count,
                                const std::function<QString(QRandomGenerator &)> &figure)
{
    QDir().mkpath(folder);
    QRandomGenerator rng(23);
    QList<QStringList> written;
    for (int i = 0; i < count; ++i) {
        AnswerRecord record = SampleRecords::make(rng, i);
        for (const Survey::Line *line : figureLines())
            if (!record.get(line->number).isEmpty())
                record.set(line->number, figure(rng));
        SampleRecords::write(record, folder);
        written << SampleRecords::lines(record);
    }
    return written;
}

// A figure of fifteen significant digits, the point anywhere ("0.123…", "1234567.12…", "123…5").
QString fifteenDigits(QRandomGenerator &rng)
{
    QString digits = QString::number(rng.bounded(1, 10));
    while (digits.size() < 15)
        digits += QString::number(rng.bounded(10));
    const int point = int(rng.bounded(16));
    if (point == 0)
        return QStringLiteral("0.") + digits;
    return point == 15 ? digits : digits.left(point) + QLatin1Char('.') + digits.mid(point);
}

// The do-file with each command on one line: its /// continuations joined.
QString joinedCommands(QString doFile)
{
    static const QRegularExpression continuation(QStringLiteral(" ///\\n\\s*"));
    return doFile.replace(continuation, QStringLiteral(" "));
}

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
    void stataFormatsFollowItsGrammar_data();
    void stataFormatsFollowItsGrammar();
    void labelsAndTheirSets();
    void pandasReadsFiguresAsNumbers();

private:
    QString out(const QString &name) const { return dir_.path() + QStringLiteral("/out/") + name; }
    // Runs a syntax in PSPP; its tables, as CSV, or nothing when it failed.
    std::optional<QByteArray> pspp(const QString &syntax);
    // cuts: what the problem report says of texts cut, which make the status 1.
    static bool merge(const QString &folder, const QStringList &outputs, QStringList *cuts = nullptr);

    QTemporaryDir dir_;
    QList<QStringList> samples_;
    QString pspp_;
    QString noPspp_; // why PSPP cannot be run here
};

// A large amount with cents, which Stata's default float would round.
constexpr int kRevenue2013 = 25;
// Whether there is a foundation; its name on the next line.
constexpr int kFoundation = 11;
const QString kLargeAmount = QStringLiteral("123456789.12");

void CollectSyntaxTest::initTestCase()
{
    if (!OutputReaders::spssAndStataBuiltIn())
        QSKIP("compared with the .sav and .dta that ReadStat writes, which this build lacks; the syntax files are "
              "the same text where it has it");
    if (!TestSystem::isPosix())
        noPspp_ = QStringLiteral("PSPP is a Linux program, which reads Linux paths: tst_collect_windows (Linux) opens "
                                 "the .sav written under Wine in it");
    else if ((pspp_ = TestSystem::tool(QStringLiteral("pspp"))).isEmpty())
        noPspp_ = QStringLiteral("GNU PSPP is not installed (tools/install-deps installs it)");
    const QString folder = dir_.path() + QStringLiteral("/收到/");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QDir().mkpath(out(QString())));
    QRandomGenerator rng(21);
    for (int i = 0; i < 60; ++i) {
        AnswerRecord record = SampleRecords::make(rng, i, SampleRecords::Texts::Tricky);
        // The longest address begins like a formula: the CSV's mark makes it a byte longer there.
        if (i == 0)
            record.set(2, QStringLiteral("=") + QStringLiteral("公益").repeated(40));
        if (i == 1)
            record.set(kRevenue2013, kLargeAmount);
        // Too long for SPSS, whose 32,767 bytes end inside a character.
        if (i == 2) {
            record.set(kFoundation, QStringLiteral("1"));
            record.set(kFoundation + 1, QStringLiteral("公益").repeated(6000));
        }
        SampleRecords::write(record, folder);
        samples_ << SampleRecords::lines(record);
    }
    QStringList cuts;
    QVERIFY(merge(folder,
                  {out(QStringLiteral("汇总.sav")), out(QStringLiteral("汇总.sps")), out(QStringLiteral("汇总.do")),
                   out(QStringLiteral("汇总.dta"))},
                  &cuts));
    // Each route that reads the text cut says so, at a character's edge.
    const QString cut = QStringLiteral("文字太长（36000 字节），在 %1中被截断为 32766 字节");
    QCOMPARE(cuts, (QStringList{cut.arg(QStringLiteral("SPSS 文件")), cut.arg(QStringLiteral("SPSS 语法文件")),
                                cut.arg(QStringLiteral("Stata do 文件"))}));
}

bool CollectSyntaxTest::merge(const QString &folder, const QStringList &outputs, QStringList *cuts)
{
    Merge::Options options;
    options.inputs = {folder};
    options.outputs = outputs;
    RunControl control;
    Merge merge(options);
    const int status = ReportStep::mergeAndReport(merge, control).exitStatus();
    for (const ProblemReport::Entry &e : merge.problems().entries())
        if (cuts && e.kind == ProblemReport::Kind::TextCut)
            *cuts << e.what;
    return status == (cuts && !cuts->isEmpty() ? 1 : 0);
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
    process.start(pspp_, {QStringLiteral("-O"), QStringLiteral("format=csv"), QStringLiteral("-o"), tables, script});
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
    if (pspp_.isEmpty())
        QSKIP(qPrintable(noPspp_));
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
    if (pspp_.isEmpty())
        QSKIP(qPrintable(noPspp_));
    const QString fromSyntax = out(QStringLiteral("pspp.sav"));
    QVERIFY(pspp(
        QStringLiteral("INSERT FILE='%1'.\nSAVE OUTFILE='%2'.\n").arg(out(QStringLiteral("汇总.sps")), fromSyntax)));
    const OutputReaders::StatFile direct =
        OutputReaders::readStat(out(QStringLiteral("汇总.sav")), QStringLiteral("sav"));
    const OutputReaders::StatFile read = OutputReaders::readStat(fromSyntax, QStringLiteral("sav"));
    QVERIFY2(direct.ok, qPrintable(direct.error));
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(direct.fileLabel, QStringLiteral("2014年度全国Kelmar民营企业社会责任调研汇总"));
    QCOMPARE(read.fileLabel, direct.fileLabel);
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
    // SPSS takes the first 32,767 bytes of a field, whatever they end in: the
    // CSV holds the long text as the .sav does, cut at a character's edge.
    qsizetype name = 0;
    while (name < direct.variables.size() && direct.variables[name].name != QLatin1String("foundation_name"))
        ++name;
    QVERIFY(name < direct.variables.size());
    QFile values(out(QStringLiteral("汇总_values.csv")));
    QList<QStringList> csv;
    QVERIFY(values.open(QIODevice::ReadOnly) && OutputReaders::parseCsv(values.readAll(), csv));
    auto longest = [](QStringList cells) {
        return *std::max_element(cells.begin(), cells.end(),
                                 [](const QString &a, const QString &b) { return a.size() < b.size(); });
    };
    QStringList inCsv, inSav;
    for (qsizetype r = 0; r < direct.rows.size(); ++r) {
        inCsv << csv.value(r + 1).value(name);
        inSav << direct.rows[r][name].toString();
    }
    QCOMPARE(longest(inCsv).toUtf8().size(), 32766);
    QCOMPARE(longest(inCsv), longest(inSav));
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
    const QString text = readText(out(QStringLiteral("汇总.do")));
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
    QVERIFY(text.contains(QStringLiteral("label variable foundation_capital `\"基金会注册资金（万元）\"'")));

    // Amounts are read as doubles, not as Stata's default float, which keeps
    // seven digits: 123456789.12 keeps its cents, as typed in the CSV, and
    // its format shows them (nine digits, the point and two decimals).
    const QString commands = joinedCommands(text);
    static const QRegularExpression import(QStringLiteral("^import delimited .*$"),
                                           QRegularExpression::MultilineOption);
    const QString importCommand = import.match(commands).captured();
    QVERIFY2(importCommand.contains(QStringLiteral(" asdouble ")), qPrintable(importCommand));
    const qsizetype revenue = [&] {
        for (qsizetype i = 0; i < direct.variables.size(); ++i)
            if (direct.variables[i].name == QLatin1String("revenue_2013"))
                return i;
        return qsizetype(-1);
    }();
    QVERIFY(revenue >= 0);
    QVERIFY(importCommand.section(QStringLiteral("numericcols("), 1)
                .section(QLatin1Char(')'), 0, 0)
                .split(QLatin1Char(' '))
                .contains(QString::number(revenue + 1)));
    QFile values(out(QStringLiteral("汇总_values.csv")));
    QVERIFY(values.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(values.readAll(), rows));
    QVERIFY(std::any_of(rows.cbegin(), rows.cend(),
                        [&](const QStringList &row) { return row.value(revenue) == kLargeAmount; }));
    QCOMPARE(doFormats(text).value(QStringLiteral("revenue_2013")), QStringLiteral("%12.2f"));

    // A figure has no value label, so that it stays a number to Stata's
    // commands and to pandas; a note says what its .a is. Codes, list picks
    // and ticks keep their labels, in sets of their own name or of a shared list.
    QHash<QString, QString> setOf;
    static const QRegularExpression labelValues(QStringLiteral("^label values (.*) (\\S+)$"),
                                                QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &m : labelValues.globalMatch(commands))
        for (const QString &name : m.captured(1).split(QLatin1Char(' ')))
            setOf.insert(name, m.captured(2));
    for (const Survey::Line *figure : figureLines()) {
        QVERIFY2(!setOf.contains(figure->variable), qPrintable(figure->variable));
        const QRegularExpression note(
            QStringLiteral("^notes %1: \\.a：不适用（[^）]+时不适用）$").arg(figure->variable),
            QRegularExpression::MultilineOption);
        QCOMPARE(note.match(text).hasMatch(), figure->gate != Survey::GateKind::None);
    }
    QCOMPARE(setOf.value(QStringLiteral("industry")), QStringLiteral("industry"));
    QCOMPARE(setOf.value(QStringLiteral("company_age")), QStringLiteral("company_age"));
    QCOMPARE(setOf.value(QStringLiteral("report_audited")), QStringLiteral("report_audited"));
    QCOMPARE(setOf.value(QStringLiteral("q21_rank2")), QStringLiteral("q21_rank2"));
    for (const char *name : {"listed", "foundation", "report"})
        QCOMPARE(setOf.value(QLatin1String(name)), QStringLiteral("yes_no"));
    QCOMPARE(setOf.value(QStringLiteral("q01_a")), QStringLiteral("ticked"));
}

// Every format line of the do-file and every display format of the .dta is
// one that Stata takes, for figures of every width: a data set whose figures
// are all 0 to 9 (one character wide), one whose figures have fifteen
// significant digits, and the samples. A figure's format is as wide as its
// widest value and shows every decimal typed; the .dta holds every value.
void CollectSyntaxTest::stataFormatsFollowItsGrammar_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("samples") << QString();
    QTest::newRow("figures 0 to 9") << QStringLiteral("digits");
    QTest::newRow("15 significant digits") << QStringLiteral("fifteen");
}

void CollectSyntaxTest::stataFormatsFollowItsGrammar()
{
    QFETCH(QString, name);
    QList<QStringList> records = samples_;
    QString doFile = out(QStringLiteral("汇总.do")), dta = out(QStringLiteral("汇总.dta"));
    if (!name.isEmpty()) {
        const QString folder = dir_.path() + QLatin1Char('/') + name;
        records = writeRecords(folder + QStringLiteral("/in/"), 30, [&](QRandomGenerator &rng) {
            return name == QLatin1String("digits") ? QString::number(rng.bounded(10)) : fifteenDigits(rng);
        });
        doFile = folder + QStringLiteral("/o.do");
        dta = folder + QStringLiteral("/o.dta");
        QVERIFY(merge(folder + QStringLiteral("/in"), {doFile, dta}));
    }
    const QString text = readText(doFile);
    const QHash<QString, QString> formats = doFormats(text);
    QVERIFY(!formats.isEmpty());
    for (auto it = formats.cbegin(); it != formats.cend(); ++it)
        QVERIFY2(isStataFormat(it.value()), qPrintable(it.key() + QLatin1Char(' ') + it.value()));
    const OutputReaders::StatFile file = OutputReaders::readStat(dta, QStringLiteral("dta"));
    QVERIFY2(file.ok, qPrintable(file.error));
    for (const OutputReaders::StatVariable &v : file.variables) {
        QVERIFY2(isStataFormat(v.format), qPrintable(v.name + QLatin1Char(' ') + v.format));
        if (formats.contains(v.name))
            QCOMPARE(v.format, formats.value(v.name));
    }

    int narrowest = 99, widest = 0;
    for (const Survey::Line *figure : figureLines()) {
        const QString format = formats.value(figure->variable);
        static const QRegularExpression fixed(QStringLiteral("^%([0-9]+)\\.([0-9]+)f$"));
        const QRegularExpressionMatch m = fixed.match(format);
        QVERIFY2(m.hasMatch(), qPrintable(figure->variable + QLatin1Char(' ') + format));
        qsizetype longest = 1, decimals = 0;
        QList<double> typed;
        for (const QStringList &lines : records) {
            const QString value = lines[figure->number - 1];
            if (value.isEmpty())
                continue;
            longest = std::max(longest, value.size());
            if (value.contains(QLatin1Char('.')))
                decimals = std::max(decimals, value.size() - value.indexOf(QLatin1Char('.')) - 1);
            typed << value.toDouble();
        }
        QVERIFY2(m.captured(1).toInt() >= longest, qPrintable(figure->variable + QLatin1Char(' ') + format));
        QCOMPARE(m.captured(2).toInt(), int(decimals));
        narrowest = std::min(narrowest, m.captured(1).toInt());
        widest = std::max(widest, m.captured(1).toInt());

        qsizetype column = 0;
        while (column < file.variables.size() && file.variables[column].name != figure->variable)
            ++column;
        QVERIFY(column < file.variables.size());
        QList<double> held;
        for (const QList<QVariant> &row : file.rows)
            if (row[column].typeId() == QMetaType::Double)
                held << row[column].toDouble();
        std::sort(typed.begin(), typed.end());
        std::sort(held.begin(), held.end());
        QCOMPARE(held, typed);
    }
    if (name == QLatin1String("digits"))
        QCOMPARE(narrowest, 1);
    if (name == QLatin1String("fifteen"))
        QVERIFY(widest >= 16);
}

// No two variables share a label, in SPSS or in what Stata keeps of it. A set
// of value labels has the name of its own variable or of a list that several
// share, never another variable's name: Stata shows the name.
void CollectSyntaxTest::labelsAndTheirSets()
{
    for (const QString &format : {QStringLiteral("sav"), QStringLiteral("dta")}) {
        const OutputReaders::StatFile file = OutputReaders::readStat(out(QStringLiteral("汇总.") + format), format);
        QVERIFY2(file.ok, qPrintable(file.error));
        QHash<QString, QString> variableOf;
        QSet<QString> names;
        for (const OutputReaders::StatVariable &v : file.variables)
            names.insert(v.name);
        for (const OutputReaders::StatVariable &v : file.variables) {
            QVERIFY2(!variableOf.contains(v.label),
                     qPrintable(QStringLiteral("%1 and %2: %3").arg(variableOf.value(v.label), v.name, v.label)));
            variableOf.insert(v.label, v.name);
            if (format == QLatin1String("dta") && !v.labelSet.isEmpty())
                QVERIFY2(v.labelSet == v.name || !names.contains(v.labelSet),
                         qPrintable(v.name + QLatin1Char(' ') + v.labelSet));
        }
    }
}

// pandas reads the .dta with its defaults: every figure a column of numbers
// (.a and blanks are NaN), whose mean is the mean of the figures typed; codes
// and list picks are categories of their labels.
void CollectSyntaxTest::pandasReadsFiguresAsNumbers()
{
    if (!TestSystem::isPosix())
        QSKIP("pandas is a Linux program here, which reads Linux paths: tst_collect_windows (Linux) compares the .dta "
              "written under Wine with this one");
    // The python3 on the PATH, or the system's, where Debian's python3-pandas is.
    QString python;
    for (const QString &candidate : {TestSystem::tool(QStringLiteral("python3")), QStringLiteral("/usr/bin/python3")}) {
        if (!candidate.isEmpty() && python.isEmpty() &&
            QProcess::execute(candidate, {QStringLiteral("-c"), QStringLiteral("import pandas")}) == 0)
            python = candidate;
    }
    if (python.isEmpty())
        QSKIP("no python3 with pandas (Debian's python3-pandas; tools/install-deps installs it)");
    QProcess process;
    process.start(python, {QStringLiteral("-c"), QStringLiteral(R"(
import json, sys, pandas
d = pandas.read_stata(sys.argv[1])
print(json.dumps({c: {"dtype": str(d[c].dtype),
                      "mean": float(d[c].mean()) if pandas.api.types.is_numeric_dtype(d[c]) else None}
                  for c in d.columns}))
)"),
                           out(QStringLiteral("汇总.dta"))});
    QVERIFY(process.waitForFinished(120000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QJsonObject columns = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    QVERIFY(!columns.isEmpty());
    for (const Survey::Line *figure : figureLines()) {
        const QJsonObject column = columns.value(figure->variable).toObject();
        QVERIFY2(column.value(QStringLiteral("dtype")).toString().startsWith(QStringLiteral("float")),
                 qPrintable(figure->variable + QLatin1Char(' ') + column.value(QStringLiteral("dtype")).toString()));
        double sum = 0;
        int count = 0;
        for (const QStringList &lines : samples_) {
            if (lines[figure->number - 1].isEmpty())
                continue;
            sum += lines[figure->number - 1].toDouble();
            ++count;
        }
        if (count == 0)
            continue;
        const double mean = column.value(QStringLiteral("mean")).toDouble();
        QVERIFY2(std::abs(mean - sum / count) <= 1e-9 * std::max(1.0, std::abs(sum / count)),
                 qPrintable(QStringLiteral("%1: %2 against %3").arg(figure->variable).arg(mean).arg(sum / count)));
    }
    for (const char *code : {"industry", "company_type", "listed", "report_audited", "q01_a"})
        QCOMPARE(columns.value(QLatin1String(code)).toObject().value(QStringLiteral("dtype")).toString(),
                 QStringLiteral("category"));
}

QTEST_GUILESS_MAIN(CollectSyntaxTest)
#include "tst_collect_syntax.moc"
