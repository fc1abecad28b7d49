// The data checks: each check on records written by hand from the survey's
// layout, fired and just not fired; the ratio and name rules; 500 records that
// agree with each other give nothing; and the findings the same in the checks
// file, the workbook's sheet and the data set's checks column.
#include "collect/data/FindingRows.h"
#include "collect/report/ReportChecks.h"
#include "survey/DataChecks.h"
#include "tests/collect/CommandLineRun.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"
#include "tests/support/CollectTestMain.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

using Changes = QList<QPair<int, QString>>;

QStringList changed(const QString &name, const Changes &changes)
{
    QStringList lines = SampleRecords::blankLines(name);
    for (const auto &[line, text] : changes)
        lines[line - 1] = text;
    return lines;
}

struct Utf8Lines {
    explicit Utf8Lines(const QStringList &lines)
    {
        for (const QString &line : lines)
            bytes << line.toUtf8();
        views = QList<QByteArrayView>(bytes.begin(), bytes.end());
    }
    QList<QByteArray> bytes;
    QList<QByteArrayView> views;
};

// Each finding as "id：values".
QStringList found(const QStringList &lines)
{
    const Utf8Lines utf8(lines);
    QStringList out;
    for (const DataChecks::Finding &f : DataChecks::run(utf8.views))
        out << DataChecks::all()[size_t(f.check)].id.toString() + QStringLiteral("：") +
                   DataChecks::values(f, utf8.views);
    return out;
}

// A record as the questionnaire saves it, with the collector's lines (UTF-8, LF after each).
DataSet::Record recordOf(const QString &file, const QStringList &lines)
{
    DataSet::Record record;
    record.file = file.toUtf8();
    for (const QString &line : lines)
        record.text += line.toUtf8() + '\n';
    return record;
}

QStringList keysOf(const DataSet &data)
{
    QStringList keys;
    for (const DataSet::Record &record : data.records())
        keys << DataChecks::enterpriseKey(DataSet::split(record));
    return keys;
}

QByteArray bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The rows of each table in the report's section of that title, cell by cell.
QList<QList<QStringList>> sectionTables(const QString &html, const QString &title)
{
    const qsizetype start = html.indexOf(QStringLiteral("<h1>%1</h1>").arg(title));
    const QString section = start < 0 ? QString() : html.mid(start, html.indexOf(QStringLiteral("</section>"), start) - start);
    static const QRegularExpression table(QStringLiteral("<tbody>(.*?)</tbody>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression row(QStringLiteral("<tr>(.*?)</tr>"));
    static const QRegularExpression cell(QStringLiteral("<td[^>]*>(.*?)</td>"));
    QList<QList<QStringList>> tables;
    for (auto t = table.globalMatch(section); t.hasNext();) {
        QList<QStringList> rows;
        const QString body = t.next().captured(1);
        for (auto r = row.globalMatch(body); r.hasNext();) {
            QStringList cells;
            const QString cellsText = r.next().captured(1);
            for (auto c = cell.globalMatch(cellsText); c.hasNext();)
                cells << OutputReaders::unescapeHtml(c.next().captured(1));
            rows << cells;
        }
        tables << rows;
    }
    return tables;
}

} // namespace

Q_DECLARE_METATYPE(Changes)

class DataChecksTest : public QObject {
    Q_OBJECT
private slots:
    void findings_data();
    void findings();
    void ratios_data();
    void ratios();
    void nameKey_data();
    void nameKey();
    void sameEnterpriseTwice();
    void recordsThatAgreeGiveNoFinding();
    void everyOutputSaysTheSame();
    void reportListsTwoHundred();
    void helpListsEveryCheck();
};

void DataChecksTest::findings_data()
{
    QTest::addColumn<Changes>("changes");
    QTest::addColumn<QStringList>("expected");
    auto row = [](const char *name, const Changes &changes, const QStringList &expected) {
        QTest::newRow(name) << changes << expected;
    };
    const QString q2 = QStringLiteral("2. 企业社会责任信息披露的主要途径有");

    row("nothing filled", {}, {});
    // Employees 27 (2013) and 37 (2014); contracted 28/38, insured 29/39, housing fund 30/40.
    row("insured above employees", {{37, "120"}, {39, "150"}},
        {"part_exceeds_whole：员工总数 2014年 = 120；缴纳社保的员工数 2014年 = 150"});
    row("contracted above employees by a half", {{27, "10"}, {28, " 10.5 "}},
        {"part_exceeds_whole：员工总数 2013年 = 10；签订劳动合同的员工数 2013年 = 10.5",
         "count_not_whole：签订劳动合同的员工数 2013年 = 10.5"});
    row("every part equal to the whole", {{27, "10"}, {28, "10"}, {29, "10.0"}, {30, "10"}}, {});
    row("housing fund without employees", {{40, "5"}}, {});
    row("part of the other year", {{27, "10"}, {39, "150"}}, {});
    row("two parts, two years",
        {{27, "10"}, {30, "11"}, {37, "10"}, {38, "12"}},
        {"part_exceeds_whole：员工总数 2013年 = 10；缴纳公积金的员工数 2013年 = 11",
         "part_exceeds_whole：员工总数 2014年 = 10；签订劳动合同的员工数 2014年 = 12"});
    row("jobs created against nothing", {{37, "10"}, {126, "500"}}, {});
    row("employees not a number", {{37, "12o"}, {39, "150"}}, {});
    // Revenue 25/35, taxes 26/36, research 32/42, environment 34/44; donations 45-54/55-64.
    row("taxes above revenue", {{25, "100"}, {26, "100.01"}},
        {"amount_exceeds_revenue：营业收入总额 2013年 = 100；缴纳税金 2013年 = 100.01"});
    row("research equal to revenue", {{35, "100"}, {42, "100"}}, {});
    row("environment above a revenue of 0", {{35, "0"}, {44, "1"}},
        {"amount_exceeds_revenue：营业收入总额 2014年 = 0；环保投入 2014年 = 1"});
    row("donations together above revenue", {{35, "100"}, {55, "50"}, {56, "30.5"}, {64, "20"}},
        {"amount_exceeds_revenue：营业收入总额 2014年 = 100；企业公益慈善领域年度投入金额合计 2014年 = 100.5"});
    row("donations together equal to revenue", {{35, "100"}, {55, "50"}, {56, "30.5"}, {64, "19.5"}}, {});
    row("donations of tenths equal to revenue", {{25, "0.3"}, {45, "0.1"}, {46, "0.2"}}, {});
    row("donations without revenue", {{45, "1000"}}, {});
    // An amount 5,000 to 20,000 times the other year's.
    row("revenue of 2014 in 元", {{25, "500"}, {35, "5000000"}},
        {"unit_slip：营业收入总额 2013年 = 500；营业收入总额 2014年 = 5000000"});
    row("unit slip 1% above", {{25, "100"}, {35, "1010000"}},
        {"unit_slip：营业收入总额 2013年 = 100；营业收入总额 2014年 = 1010000"});
    row("unit slip 1% below", {{26, "100"}, {36, "990000"}},
        {"unit_slip：缴纳税金 2013年 = 100；缴纳税金 2014年 = 990000"});
    row("in 元 with 15% growth", {{25, "100"}, {35, "1150000"}},
        {"unit_slip：营业收入总额 2013年 = 100；营业收入总额 2014年 = 1150000"});
    row("past 20,000: a jump", {{25, "100"}, {35, "2000100"}},
        {"year_jump：营业收入总额 2013年 = 100；营业收入总额 2014年 = 2000100"});
    row("revenue of 2013 in 元", {{111, "5000000"}, {125, "500"}},
        {"unit_slip：项目年度到位资金 2013年 = 5000000；项目年度到位资金 2014年 = 500"});
    row("the other figures of 2014 agree: 2014 named",
        {{25, "500"}, {35, "5000000"}, {26, "20"}, {36, "200000"}, {27, "50"}, {37, "52"}},
        {"unit_slip：营业收入总额 2013年 = 500；营业收入总额 2014年 = 5000000；"
         "其他金额也是如此，2014年的数字可能是以元而不是以万元填写的",
         "unit_slip：缴纳税金 2013年 = 20；缴纳税金 2014年 = 200000；"
         "其他金额也是如此，2014年的数字可能是以元而不是以万元填写的"});
    row("slips both ways: no year named",
        {{25, "500"}, {35, "5000000"}, {26, "200000"}, {36, "20"}},
        {"amount_exceeds_revenue：营业收入总额 2013年 = 500；缴纳税金 2013年 = 200000",
         "unit_slip：营业收入总额 2013年 = 500；营业收入总额 2014年 = 5000000",
         "unit_slip：缴纳税金 2013年 = 200000；缴纳税金 2014年 = 20"});
    row("a count 10,000 times: a jump, not a slip", {{33, "1"}, {43, "10000"}},
        {"year_jump：获得专利数 2013年 = 1；获得专利数 2014年 = 10000"});
    row("the other 其他 named by its tab", {{123, "1"}, {137, "100"}, {138, "9999999991"}},
        {"year_jump：Solvane事业项目概况 项目特点 其他 2013年 = 1；Solvane事业项目概况 项目特点 其他 2014年 = 100"});
    row("a jump of 100", {{31, "2"}, {41, "200"}}, {"year_jump：参加培训人次 2013年 = 2；参加培训人次 2014年 = 200"});
    row("a jump of 1/100", {{31, "300"}, {41, "3"}}, {"year_jump：参加培训人次 2013年 = 300；参加培训人次 2014年 = 3"});
    row("just under 100", {{25, "2"}, {35, "199.99"}}, {});
    row("just over 1/100", {{25, "300"}, {35, "3.01"}}, {});
    row("from 0", {{31, "0"}, {41, "5000"}}, {});
    row("one year empty", {{41, "5000"}}, {});
    // Counts: employees 37, jobs created 126, reports 24.
    row("counts with a fraction", {{37, "120.5"}, {126, "3.5"}, {24, "2.5"}, {27, "120.0"}},
        {"count_not_whole：员工总数 2014年 = 120.5", "count_not_whole：安置就业人数 2014年 = 3.5",
         "count_not_whole：累计发布份数 = 2.5"});
    // Question 2 (line 66): A-D ways of disclosing, E never disclosed, F other; report: line 17.
    row("never disclosed, and in financial reports", {{66, "919919"}},
        {"contradictory_ticks：" + q2 + " = E. 从未进行披露、B. 在财务信息报告中披露部分相关内容"});
    row("never disclosed, and the other way", {{66, "999911"}},
        {"contradictory_ticks：" + q2 + " = E. 从未进行披露、F. 其他"});
    row("never disclosed alone", {{66, "999919"}}, {});
    row("no report, disclosed in a report", {{17, "9"}, {66, "199999"}},
        {"contradictory_ticks：企业是否发布过社会责任报告 = 否；" + q2 + " = A. 公开发布社会责任报告进行全面披露"});
    row("a report, never disclosed", {{17, "1"}, {66, "999919"}},
        {"contradictory_ticks：企业是否发布过社会责任报告 = 是；" + q2 + " = E. 从未进行披露"});
    row("a report, disclosed in it", {{17, "1"}, {66, "199999"}, {24, "2"}}, {});
    row("no report, never disclosed", {{17, "9"}, {66, "999919"}}, {});
    row("question 2 spoilt", {{17, "1"}, {66, "99991"}}, {});
    row("question 2 too long", {{17, "1"}, {66, "9999199"}}, {});
    row("question 2 with another letter", {{17, "1"}, {66, "99991x"}}, {});
    // Listed: line 10; company type: line 5.
    row("listed 有限责任公司", {{10, "1"}, {5, "有限责任公司"}},
        {"listed_not_joint_stock：企业是否上市 = 是；企业类型 = 有限责任公司"});
    row("listed 股份有限公司", {{10, "1"}, {5, "股份有限公司"}}, {});
    row("listed, type unanswered", {{10, "1"}}, {});
    row("listed, type outside the list", {{10, "1"}, {5, "集团公司"}}, {});
    row("not listed 独资企业", {{10, "9"}, {5, "独资企业"}}, {});
    // Reports counted: line 24.
    row("a report, none counted", {{17, "1"}, {24, "0"}},
        {"report_count_zero：企业是否发布过社会责任报告 = 是；累计发布份数 = 0"});
    row("a report, one counted", {{17, "1"}, {24, "1"}}, {});
    row("a report, count left empty", {{17, "1"}}, {});
    // Projects 110/124, their funds 111/125.
    row("no project, funds", {{124, "0"}, {125, "12"}},
        {"projects_zero_with_funds：参与Solvane事业项目总数 2014年 = 0；项目年度到位资金 2014年 = 12"});
    row("no project, no funds", {{110, "0"}, {111, "0"}}, {});
    row("no project in 2013, funds in 2014", {{110, "0"}, {125, "12"}}, {});
    row("several, in the table's order",
        {{17, "1"}, {24, "0"}, {10, "1"}, {5, "其它"}, {37, "1"}, {38, "2"}},
        {"part_exceeds_whole：员工总数 2014年 = 1；签订劳动合同的员工数 2014年 = 2",
         "listed_not_joint_stock：企业是否上市 = 是；企业类型 = 其它",
         "report_count_zero：企业是否发布过社会责任报告 = 是；累计发布份数 = 0"});
}

void DataChecksTest::findings()
{
    QFETCH(Changes, changes);
    QFETCH(QStringList, expected);
    QCOMPARE(found(changed(QStringLiteral("甲公司"), changes)), expected);
}

void DataChecksTest::ratios_data()
{
    QTest::addColumn<double>("y2013");
    QTest::addColumn<double>("y2014");
    QTest::addColumn<bool>("slip");
    QTest::addColumn<bool>("jump");
    QTest::newRow("equal") << 5.0 << 5.0 << false << false;
    QTest::newRow("10,000 times") << 3.0 << 30000.0 << true << true;
    QTest::newRow("1/10,000") << 30000.0 << 3.0 << true << true;
    QTest::newRow("5,000 times") << 1.0 << 5000.0 << true << true;
    QTest::newRow("4,999 times") << 1.0 << 4999.0 << false << true;
    QTest::newRow("1/20,000") << 20000.0 << 1.0 << true << true;
    QTest::newRow("1/20,001") << 20001.0 << 1.0 << false << true;
    QTest::newRow("0.99/10,000") << 10000.0 << 0.99 << true << true;
    QTest::newRow("0.49/10,000") << 10000.0 << 0.49 << false << true;
    QTest::newRow("100 times, in tenths") << 0.7 << 70.0 << false << true;
    QTest::newRow("99.9 times") << 1.0 << 99.9 << false << false;
    QTest::newRow("1/100, in tenths") << 70.0 << 0.7 << false << true;
    QTest::newRow("1/99.9") << 99.9 << 1.0 << false << false;
}

void DataChecksTest::ratios()
{
    QFETCH(double, y2013);
    QFETCH(double, y2014);
    QFETCH(bool, slip);
    QFETCH(bool, jump);
    QCOMPARE(DataChecks::isUnitSlip(y2013, y2014), slip);
    QCOMPARE(DataChecks::isJump(y2013, y2014), jump);
}

void DataChecksTest::nameKey_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("full-width brackets") << "甲（北京）科技有限公司" << "甲(北京)科技有限公司" << true;
    QTest::newRow("full-width letters and digits") << "ＡＢＣ１２３公司" << "ABC123公司" << true;
    QTest::newRow("full-width tilde") << "甲～乙公司" << "甲~乙公司" << true;
    QTest::newRow("blanks inside") << "甲 科技　有限公司" << "甲科技有限公司" << true;
    QTest::newRow("tab") << "甲科技\t有限公司" << "甲科技有限公司" << true;
    QTest::newRow("有限责任公司") << "甲科技有限责任公司" << "甲科技有限公司" << true;
    QTest::newRow("everything at once") << "甲（北京） 有限责任公司" << "甲(北京)有限公司" << true;
    QTest::newRow("another enterprise") << "甲科技有限公司" << "乙科技有限公司" << false;
    QTest::newRow("股份有限公司") << "甲科技股份有限公司" << "甲科技有限公司" << false;
    QTest::newRow("letter case") << "abc公司" << "ＡBC公司" << true;
    QTest::newRow("full-width comma") << "甲，乙公司" << "甲,乙公司" << true;
    QTest::newRow("ideographic comma kept") << "甲、乙公司" << "甲,乙公司" << false;
}

void DataChecksTest::nameKey()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(DataChecks::nameKey(a) == DataChecks::nameKey(b), same);
}

void DataChecksTest::sameEnterpriseTwice()
{
    DataSet data;
    const QStringList names = {QStringLiteral("甲（北京）有限责任公司"), QStringLiteral("乙公司"),
                               QStringLiteral("甲(北京)有限公司"), QStringLiteral("丙公司"),
                               QStringLiteral(" 甲 (北京) 有限公司"), QString(), QString()};
    for (qsizetype i = 0; i < names.size(); ++i)
        data.append(recordOf(QStringLiteral("in/%1.dbf").arg(i), changed(names[i], {})));
    data.setFindings(FindingRows::acrossRecords(keysOf(data)));
    // Each of the three files names each other one; the others, the two without a name too, are left alone.
    QStringList rows;
    for (const QStringList &row : FindingRows::rows(data))
        rows << row[int(FindingRows::Column::File)] + QLatin1Char('|') + row[int(FindingRows::Column::Values)];
    QCOMPARE(rows, QStringList({
                       "in/0.dbf|注册全称 = 甲（北京）有限责任公司；另一个文件 in/2.dbf 的注册全称 = 甲(北京)有限公司",
                       "in/0.dbf|注册全称 = 甲（北京）有限责任公司；另一个文件 in/4.dbf 的注册全称 =  甲 (北京) 有限公司",
                       "in/2.dbf|注册全称 = 甲(北京)有限公司；另一个文件 in/0.dbf 的注册全称 = 甲（北京）有限责任公司",
                       "in/2.dbf|注册全称 = 甲(北京)有限公司；另一个文件 in/4.dbf 的注册全称 =  甲 (北京) 有限公司",
                       "in/4.dbf|注册全称 =  甲 (北京) 有限公司；另一个文件 in/0.dbf 的注册全称 = 甲（北京）有限责任公司",
                       "in/4.dbf|注册全称 =  甲 (北京) 有限公司；另一个文件 in/2.dbf 的注册全称 = 甲(北京)有限公司",
                   }));
    QCOMPARE(data.records()[0].checks, QByteArray("same_enterprise_twice"));
    QCOMPARE(data.records()[1].checks, QByteArray());
    QCOMPARE(FindingRows::counts(data).value(qsizetype(DataChecks::all().size()) - 1), 6);
}

void DataChecksTest::recordsThatAgreeGiveNoFinding()
{
    QRandomGenerator rng(25);
    DataSet data;
    for (int i = 0; i < 500; ++i) {
        const QStringList lines = SampleRecords::lines(SampleRecords::make(
            rng, i, i % 2 ? SampleRecords::Texts::Tricky : SampleRecords::Texts::Plain, SampleRecords::Values::Consistent));
        QVERIFY2(found(lines).isEmpty(), qPrintable(found(lines).join(QLatin1Char('\n'))));
        data.append(recordOf(QStringLiteral("%1.dbf").arg(i), lines));
    }
    QVERIFY(FindingRows::acrossRecords(keysOf(data)).isEmpty());
}

// One merge with findings of several checks: the checks file (CSV and
// workbook), the data set's sheet, the report's section and the checks
// column say the same; and findings are no fault of a file.
void DataChecksTest::everyOutputSaysTheSame()
{
    QTemporaryDir dir;
    const QString in = dir.path() + QStringLiteral("/收到/");
    QVERIFY(QDir().mkpath(in));
    QRandomGenerator rng(2525);
    auto write = [&](int index, const Changes &changes) {
        AnswerRecord record = SampleRecords::make(rng, index, SampleRecords::Texts::Plain,
                                                  SampleRecords::Values::Consistent);
        for (const auto &[line, text] : changes)
            record.set(line, text);
        SampleRecords::write(record, in);
    };
    for (int i = 0; i < 4; ++i)
        write(i, {});
    // Employees of 2013 below those with a contract; a report, none counted.
    write(10, {{27, "10"}, {28, "20"}, {29, ""}, {30, ""}, {37, "12"}, {38, "11"}, {39, ""}, {40, ""},
               {17, "1"}, {24, "0"}, {66, "999999"}});
    write(11, {{1, "丁（上海）有限责任公司"}, {10, "1"}, {5, "独资企业"}});
    write(12, {{1, "丁(上海)有限公司"}});
    const QString out = dir.path() + QStringLiteral("/out/");
    QVERIFY(QDir().mkpath(out));
    const QStringList arguments{QStringLiteral("-q"),        in,
                                QStringLiteral("-o"),        out + QStringLiteral("a.csv"),
                                QStringLiteral("-o"),        out + QStringLiteral("a.xlsx"),
                                QStringLiteral("--checks"),  out + QStringLiteral("核查.csv"),
                                QStringLiteral("--checks"),  out + QStringLiteral("核查.xlsx"),
                                QStringLiteral("--report"),  out + QStringLiteral("报告.html")};
    const CommandLineRun::Run run = CommandLineRun::here(arguments);
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    QVERIFY2(run.out.contains(QStringLiteral("问题 0，核查 5")), qPrintable(run.out));

    QList<QStringList> checks;
    QVERIFY(OutputReaders::parseCsv(bytes(out + QStringLiteral("核查.csv")), checks));
    QCOMPARE(checks.value(0), FindingRows::columns());
    checks.removeFirst();
    QCOMPARE(checks.size(), 5);
    // file → the ids of its rows, as the checks column should hold them.
    QHash<QString, QString> ids;
    for (const QStringList &row : checks) {
        QString &of = ids[row[0]];
        if (!of.split(QLatin1Char(' ')).contains(row[2]))
            of += (of.isEmpty() ? QString() : QStringLiteral(" ")) + row[2];
    }
    QCOMPARE(ids.value(QStringLiteral("收到/丁(上海)有限公司_填报结果.dbf")), QStringLiteral("same_enterprise_twice"));
    QCOMPARE(ids.size(), 3);

    auto sheetRows = [](const OutputReaders::Sheet &sheet) {
        QList<QStringList> rows;
        for (auto it = sheet.cells.begin(); it != sheet.cells.end(); ++it) {
            if (rows.size() <= it.key().first)
                rows.resize(it.key().first + 1);
            QStringList &row = rows[it.key().first];
            if (row.size() <= it.key().second)
                row.resize(it.key().second + 1);
            row[it.key().second] = it.value().text;
        }
        for (QStringList &row : rows)
            row.resize(FindingRows::kColumnCount);
        return rows.mid(1);
    };
    const QList<OutputReaders::Sheet> alone = OutputReaders::readXlsx(out + QStringLiteral("核查.xlsx"));
    QCOMPARE(alone.size(), 1);
    QCOMPARE(sheetRows(alone[0]), checks);
    const QList<OutputReaders::Sheet> book = OutputReaders::readXlsx(out + QStringLiteral("a.xlsx"));
    QCOMPARE(book.value(3).name, QStringLiteral("核查"));
    QCOMPARE(sheetRows(book.value(3)), checks);

    QList<QStringList> data;
    QVERIFY(OutputReaders::parseCsv(bytes(out + QStringLiteral("a.csv")), data));
    const qsizetype column = data[0].indexOf(QStringLiteral("checks"));
    QVERIFY(column > 0);
    QCOMPARE(data.size(), 1 + 7);
    for (const QStringList &row : data.mid(1))
        QCOMPARE(row[column], ids.value(row[0]));

    const QList<QList<QStringList>> report =
        sectionTables(QString::fromUtf8(bytes(out + QStringLiteral("报告.html"))), QStringLiteral("数据核查"));
    QCOMPARE(report.size(), 2);
    QCOMPARE(report[0].size(), qsizetype(DataChecks::all().size()));
    for (const QStringList &count : report[0]) { // title, id, severity, description, findings, files
        QStringList files;
        qsizetype rows = 0;
        for (const QStringList &row : checks)
            if (row[2] == count.value(1)) {
                ++rows;
                if (!files.contains(row[0]))
                    files << row[0];
            }
        QCOMPARE(count.value(4), QString::number(rows));
        QCOMPARE(count.value(5), QString::number(files.size()));
    }
    // The report lists the same findings, those of "错误" first.
    QList<QStringList> listed = checks;
    std::stable_partition(listed.begin(), listed.end(), [](const QStringList &row) {
        return row[3] == DataChecks::severityText(DataChecks::Severity::Error);
    });
    QCOMPARE(report[1].size(), listed.size());
    for (qsizetype i = 0; i < listed.size(); ++i) { // file, enterprise, title, severity, values
        QCOMPARE(report[1][i].value(0), listed[i][0]);
        QCOMPARE(report[1][i].value(1), listed[i][1]);
        QCOMPARE(report[1][i].value(2), DataChecks::find(listed[i][2])->title.toString());
        QCOMPARE(report[1][i].value(3), listed[i][3]);
        QCOMPARE(report[1][i].value(4), listed[i][5]);
    }
}

// The report lists the first 200 findings and counts the rest.
void DataChecksTest::reportListsTwoHundred()
{
    DataSet data;
    QList<DataSet::Finding> findings;
    for (int i = 0; i < 105; ++i) { // contracted employees above employees, both years
        const QStringList lines = changed(QStringLiteral("乙%1公司").arg(i), {{27, "1"}, {28, "2"}, {37, "1"}, {38, "2"}});
        for (const DataChecks::Finding &f : DataChecks::run(Utf8Lines(lines).views))
            findings.append(DataSet::Finding{data.rowCount(), f});
        data.append(recordOf(QStringLiteral("%1.dbf").arg(i), lines));
    }
    data.setFindings(findings);
    QCOMPARE(data.findings().size(), 210);
    const Report::Section section = Report::checksSection(data);
    QCOMPARE(section.title, QStringLiteral("数据核查"));
    QCOMPARE(section.blocks.size(), 2);
    QCOMPARE(section.blocks[0].table.rows.value(0).value(4).text, QStringLiteral("210"));
    QCOMPARE(section.blocks[0].table.rows.value(0).value(5).text, QStringLiteral("105"));
    QCOMPARE(section.blocks[1].table.rows.size(), 200);
    QVERIFY2(section.blocks[1].notes.join(QString()).contains(QStringLiteral("另有 10 条")),
             qPrintable(section.blocks[1].notes.join(QString())));
}

void DataChecksTest::helpListsEveryCheck()
{
    const CommandLineRun::Run run = CommandLineRun::here({QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QStringLiteral("--checks")));
    for (const DataChecks::Check &check : DataChecks::all()) {
        const QString said = QStringLiteral("%1（%2）%3：%4")
                                 .arg(check.id, DataChecks::severityText(check.severity), check.title,
                                      DataChecks::description(check));
        QVERIFY2(run.out.contains(said), qPrintable(said));
    }
}

COLLECT_TEST_MAIN(DataChecksTest)
#include "tst_collect_data_checks.moc"
