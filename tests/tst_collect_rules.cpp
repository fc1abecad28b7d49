// The collector's pure rules, case by case: the copy marks taken off a file's
// name, the formula mark of a CSV text, the quartiles, rounding, wrapped
// labels and count axes of the report, whether a line's gate is open and how
// its closing is worded, and which records a filter keeps.
#include "collect/data/RecordFilter.h"
#include "collect/export/CsvText.h"
#include "collect/input/FileName.h"
#include "collect/report/ReportBreakdown.h"
#include "collect/report/ReportCells.h"
#include "collect/report/ReportChart.h"
#include "collect/report/ReportStatistics.h"
#include "survey/GateWords.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"
#include "tests/collect/SampleRecords.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Match = FileName::Match;
using Gate = RecordCheck::Gate;
using Changes = QList<QPair<int, QString>>;

} // namespace

Q_DECLARE_METATYPE(Changes)

class CollectRulesTest : public QObject {
    Q_OBJECT
private slots:
    void copyMarks_data();
    void copyMarks();
    void formulaMark_data();
    void formulaMark();
    void quantile_data();
    void quantile();
    void rounding_data();
    void rounding();
    void wrappedLabels_data();
    void wrappedLabels();
    void countAxis_data();
    void countAxis();
    void gate_data();
    void gate();
    void gateWords_data();
    void gateWords();
    void groupHeader_data();
    void groupHeader();
    void filter_data();
    void filter();
};

void CollectRulesTest::copyMarks_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("match");
    auto row = [](const char *name, Match match) { QTest::newRow(name) << QString::fromUtf8(name) << int(match); };
    row("甲_填报结果.dbf", Match::Exact);
    row("甲_填报结果.DBF", Match::Exact);
    row("甲_填报结果(1).dbf", Match::AfterCopyMarks);
    row("甲_填报结果（1）.dbf", Match::AfterCopyMarks);
    row("甲_填报结果 (12).dbf", Match::AfterCopyMarks);
    row("甲_填报结果 - 副本.dbf", Match::AfterCopyMarks);
    row("甲_填报结果 - Copy.dbf", Match::AfterCopyMarks);
    row("甲_填报结果 copy.dbf", Match::AfterCopyMarks);
    row("甲_填报结果的副本.dbf", Match::AfterCopyMarks);
    row("甲_填报结果 2.dbf", Match::AfterCopyMarks);
    row("甲_填报结果 - 副本 (2).dbf", Match::AfterCopyMarks);
    row("甲_填报结果(1)（2）.dbf", Match::AfterCopyMarks);
    row("甲_填报结果2.dbf", Match::None);
    row("甲_填报结果copy.dbf", Match::None);
    row("甲_填报结果().dbf", Match::None);
    row("甲_填报结果(a).dbf", Match::None);
    row("甲_填报结果 - .dbf", Match::None);
    row("甲(1)_填报结果.dbf", Match::None);
    row("乙_填报结果(1).dbf", Match::None);
    row("甲_填报结果.txt", Match::None);
    row("甲_填报结果(1).txt", Match::None);
    row(".dbf", Match::None);
}

void CollectRulesTest::copyMarks()
{
    QFETCH(QString, fileName);
    QFETCH(int, match);
    QCOMPARE(int(FileName::match(fileName, QStringLiteral("甲"))), match);
}

// The CSV field a text becomes.
void CollectRulesTest::formulaMark_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("=") << QByteArray("=1+1") << QByteArray("\"'=1+1\"");
    QTest::newRow("+") << QByteArray("+86") << QByteArray("\"'+86\"");
    QTest::newRow("-") << QByteArray("-5") << QByteArray("\"'-5\"");
    QTest::newRow("@") << QByteArray("@SUM(A1)") << QByteArray("\"'@SUM(A1)\"");
    QTest::newRow("tab") << QByteArray("\tx") << QByteArray("\"'\tx\"");
    QTest::newRow("CR") << QByteArray("\rx") << QByteArray("\"'\rx\"");
    QTest::newRow("' then =") << QByteArray("'=x") << QByteArray("\"''=x\"");
    QTest::newRow("'' then +") << QByteArray("''+y") << QByteArray("\"'''+y\"");
    QTest::newRow("' alone") << QByteArray("'") << QByteArray("'");
    QTest::newRow("' then a word") << QByteArray("'abc") << QByteArray("'abc");
    QTest::newRow("= later") << QByteArray("a=b") << QByteArray("a=b");
    QTest::newRow("blank, then =") << QByteArray(" =x") << QByteArray(" =x");
    QTest::newRow("full-width =") << QByteArray("＝x") << QByteArray("＝x");
    QTest::newRow("= and a comma") << QByteArray("=a,b") << QByteArray("\"'=a,b\"");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void CollectRulesTest::formulaMark()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, field);
    QByteArray out;
    CsvText::appendField(out, text);
    QCOMPARE(out, field);
}

// As Excel's QUARTILE.INC and MEDIAN give them.
void CollectRulesTest::quantile_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("q");
    QTest::addColumn<double>("expected");
    const double none = std::nan("");
    QTest::newRow("none") << QList<double>{} << 0.5 << none;
    QTest::newRow("one value") << QList<double>{5} << 0.25 << 5.0;
    QTest::newRow("median of two") << QList<double>{1, 2} << 0.5 << 1.5;
    QTest::newRow("Q1 of four") << QList<double>{1, 2, 3, 4} << 0.25 << 1.75;
    QTest::newRow("median of four") << QList<double>{1, 2, 3, 4} << 0.5 << 2.5;
    QTest::newRow("Q3 of four") << QList<double>{1, 2, 3, 4} << 0.75 << 3.25;
    QTest::newRow("Q1 of five") << QList<double>{1, 2, 3, 4, 5} << 0.25 << 2.0;
    QTest::newRow("Q1 between 0 and 10") << QList<double>{0, 10} << 0.25 << 2.5;
    QTest::newRow("Q3 of uneven steps") << QList<double>{1, 2, 4, 8, 16, 32} << 0.75 << 14.0;
    QTest::newRow("minimum") << QList<double>{3, 7, 9} << 0.0 << 3.0;
    QTest::newRow("maximum") << QList<double>{3, 7, 9} << 1.0 << 9.0;
}

void CollectRulesTest::quantile()
{
    QFETCH(QList<double>, values);
    QFETCH(double, q);
    QFETCH(double, expected);
    const double got = Report::quantile(std::vector<double>(values.begin(), values.end()), q);
    if (std::isnan(expected))
        QVERIFY(std::isnan(got));
    else
        QCOMPARE(got, expected);
}

// The decimal value rounded half away from zero, as people and Excel do,
// whatever the binary holds.
void CollectRulesTest::rounding_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("shown");
    QTest::newRow("a quartile halfway") << 6253.595 << 2 << "6,253.60";
    QTest::newRow("halfway below zero") << -6253.595 << 2 << "-6,253.60";
    QTest::newRow("halfway to a whole") << 2.5 << 0 << "3";
    QTest::newRow("a share halfway") << 100.0 * 1 / 8 << 1 << "12.5";
    QTest::newRow("0.125") << 0.125 << 2 << "0.13";
    QTest::newRow("1.005, below halfway in binary") << 1.005 << 2 << "1.01";
    QTest::newRow("carried into a new digit") << 999.995 << 2 << "1,000.00";
    QTest::newRow("grouped, filled with zeros") << 1234567.0 << 2 << "1,234,567.00";
    QTest::newRow("rounds to zero, no sign") << -0.004 << 2 << "0.00";
    QTest::newRow("fifteen digits") << 123456789012.34 << 2 << "123,456,789,012.34";
    QTest::newRow("none") << std::nan("") << 2 << "—";
}

void CollectRulesTest::rounding()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, shown);
    QCOMPARE(Report::decimal(value, decimals), shown);
}

// A chart's label breaks onto lines no wider than its column and loses nothing.
void CollectRulesTest::wrappedLabels_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("width");
    QTest::addColumn<bool>("broken");
    QTest::newRow("fits") << "是" << 100.0 << false;
    QTest::newRow("a long option") << "G. 安置下岗职工、复转军人、残疾人等特殊人群就业" << 150.0 << true;
    QTest::newRow("Latin words kept whole") << "B. 通过OHSAS18000职业健康安全管理体系认证" << 120.0 << true;
    QTest::newRow("a word wider than the column") << "ABCDEFGHIJKLMNOPQRSTUVWXYZ" << 60.0 << true;
    QTest::newRow("a line feed") << "A. 产品质量与价格\n（在排序该项的 148 家企业中）" << 272.0 << true;
}

void CollectRulesTest::wrappedLabels()
{
    QFETCH(QString, label);
    QFETCH(double, width);
    QFETCH(bool, broken);
    const qreal size = 12;
    const QStringList wrapped = ReportChart::wrapped(label, size, width);
    QCOMPARE(wrapped.size() > 1, broken);
    QString joined;
    for (const QString &line : wrapped) {
        QVERIFY2(ReportChart::textWidth(line, size) <= width, qPrintable(line));
        QVERIFY(!line.contains(QStringLiteral("…")));
        joined += line;
    }
    QString whole = label;
    whole.remove(QLatin1Char(' ')).remove(QLatin1Char('\n'));
    QCOMPARE(joined.remove(QLatin1Char(' ')), whole);
    if (label.contains(QStringLiteral("OHSAS18000")))
        QVERIFY(std::any_of(wrapped.begin(), wrapped.end(),
                            [](const QString &line) { return line.contains(QStringLiteral("OHSAS18000")); }));
}

// An axis of counts steps by whole, round numbers from 0 past the highest bar.
void CollectRulesTest::countAxis_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("top");
    QTest::newRow("the industry chart's thirteen") << QList<double>{3, 13, 8} << 5.0 << 15.0;
    QTest::newRow("one enterprise") << QList<double>{1, 0} << 1.0 << 1.0;
    QTest::newRow("nothing at all") << QList<double>{0, 0} << 1.0 << 1.0;
    QTest::newRow("three") << QList<double>{3} << 1.0 << 3.0;
    QTest::newRow("152") << QList<double>{45, 152} << 50.0 << 200.0;
    QTest::newRow("10,000") << QList<double>{10000} << 2000.0 << 10000.0;
}

void CollectRulesTest::countAxis()
{
    QFETCH(QList<double>, values);
    QFETCH(double, step);
    QFETCH(double, top);
    const Report::Chart chart{QStringLiteral("企业数"), {}, {{QStringLiteral("企业数"), values}}, {}};
    const ReportChart::Axis axis = ReportChart::axis(chart);
    QCOMPARE(axis.step, step);
    QCOMPARE(axis.top, top);
    QCOMPARE(axis.decimals, 0);
}

// A blank record (every code string there, nothing ticked) with the changes.
void CollectRulesTest::gate_data()
{
    QTest::addColumn<Changes>("changes");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("gate");
    auto row = [](const char *name, const Changes &changes, int line, Gate gate) {
        QTest::newRow(name) << changes << line << int(gate);
    };
    row("no gate", {}, 2, Gate::Open);
    row("foundation 是", {{11, "1"}}, 13, Gate::Open);
    row("foundation 否", {{11, "9"}}, 13, Gate::Shut);
    row("foundation not answered", {}, 13, Gate::Shut);
    row("foundation spoilt", {{11, "x"}}, 13, Gate::Unknown);
    row("report spoilt", {{17, "2"}}, 19, Gate::Unknown);
    row("industry 19", {{7, "19"}}, 8, Gate::Open);
    row("industry 4", {{7, "4"}}, 8, Gate::Shut);
    row("industry outside its set", {{7, "25"}}, 8, Gate::Unknown);
    row("project type ticked", {{138, "1999999999"}}, 114, Gate::Open);
    row("project type unticked", {}, 114, Gate::Shut);
    row("project types too short", {{138, "1"}}, 114, Gate::Unknown);
    row("project types spoilt", {{138, "19x9999999"}}, 114, Gate::Unknown);
    row("last project type ticked", {{138, "9999999991"}}, 139, Gate::Open);
    row("other option ticked", {{65, "999991"}}, 88, Gate::Open);
    row("other option unticked", {{65, "199999"}}, 88, Gate::Shut);
    row("question's codes cut short", {{65, "99999"}}, 88, Gate::Unknown);
}

void CollectRulesTest::gate()
{
    QFETCH(Changes, changes);
    QFETCH(int, line);
    QFETCH(int, gate);
    QStringList lines = SampleRecords::blankLines(QStringLiteral("甲"));
    for (const auto &[number, text] : changes)
        lines[number - 1] = text;
    std::vector<QByteArray> utf8;
    for (const QString &text : lines)
        utf8.push_back(text.toUtf8());
    std::vector<QByteArrayView> views(utf8.begin(), utf8.end());
    QCOMPARE(int(RecordCheck::gate(Survey::line(line), views)), gate);
}

// When a line is 不适用, in the survey's words, never in the data set's names.
void CollectRulesTest::gateWords_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("words");
    QTest::newRow("a foundation's detail") << "foundation_amount"
                                           << "企业未成立基金会或公益慈善专项基金时不适用";
    QTest::newRow("a report's detail") << "report_count"
                                       << "企业未发布过社会责任报告时不适用";
    QTest::newRow("a project type's figure") << "pt_agriculture_2013"
                                             << "未勾选“农业产业化”时不适用";
    QTest::newRow("another industry") << "industry_other"
                                      << "所属行业未选“19.其它，请注明”时不适用";
    QTest::newRow("an 其他 text") << "q23_other"
                                  << "未勾选“I. 其他”时不适用";
    QTest::newRow("no gate") << "revenue_2013"
                             << "";
}

void CollectRulesTest::gateWords()
{
    QFETCH(QString, variable);
    QFETCH(QString, words);
    const Survey::Line *line = Survey::lineByVariable(variable);
    QVERIFY(line);
    QCOMPARE(Survey::notApplicableWhen(*line), words);
}

// A group's header gives its size as a count of enterprises, which the
// shares are not of; a group of fewer than five is marked small.
void CollectRulesTest::groupHeader_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("header");
    QTest::newRow("four") << 4 << "是（共 4 家，样本少）";
    QTest::newRow("five") << 5 << "是（共 5 家）";
}

void CollectRulesTest::groupHeader()
{
    QFETCH(int, size);
    QFETCH(QString, header);
    DataSet data;
    for (int i = 0; i < size; ++i) {
        QStringList lines = SampleRecords::blankLines(QStringLiteral("甲%1").arg(i));
        lines[10 - 1] = QStringLiteral("1"); // listed: 是
        DataSet::Record record;
        for (const QString &line : lines)
            record.text += line.toUtf8() + '\n';
        data.append(record);
    }
    qsizetype industry = 0;
    while (data.variables()[industry].name != QLatin1String("industry"))
        ++industry;
    const QList<Report::Tally> overall = Report::tally(data);
    const QList<Report::Part> parts = Report::Breakdowns(data, overall, {QStringLiteral("listed")}).ofChoice(industry);
    QCOMPARE(parts.value(0).tables.value(0).header.value(2), header); // after the whole's
}

// One record (industry 3, listed, the second company type, a lettered
// department, question 2's E ticked, company age left empty) judged by each
// filter; a filter that cannot be read says why instead.
void CollectRulesTest::filter_data()
{
    QTest::addColumn<QStringList>("conditions");
    QTest::addColumn<bool>("withoutErrors");
    QTest::addColumn<int>("severity");    // of the record's finding: -1 for none
    QTest::addColumn<QString>("outcome"); // "kept", "left out", or the start of the refusal
    QTest::addColumn<QString>("description");
    const int error = int(DataChecks::Severity::Error), doubt = int(DataChecks::Severity::Doubt);
    const QString item = Survey::line(5).items.value(1);
    auto row = [](const char *name, const QStringList &conditions, const char *outcome, const char *description = "",
                  bool withoutErrors = false, int severity = -1) {
        QTest::newRow(name) << conditions << withoutErrors << severity << QString::fromUtf8(outcome)
                            << QString::fromUtf8(description);
    };
    row("one of the codes", {"industry=3,7"}, "kept", "筛选：industry=3,7");
    row("another code", {"industry=7"}, "left out");
    row("not the code", {"industry!=3"}, "left out", "筛选：industry!=3");
    row("not another code", {"listed!=9"}, "kept");
    row("a tick", {"q02_e=1"}, "kept");
    row("a tick not ticked", {"q02_a=1"}, "left out");
    row("a list item by its place", {"company_type=2"}, "kept");
    QTest::newRow("a list item by its text") << QStringList{"company_type=" + item} << false << -1 << "kept"
                                             << "筛选：company_type=2";
    row("a lettered code by its number", {"csr_department=1"}, "kept", "筛选：csr_department=A");
    row("Chinese commas and blanks", {" industry = 7，3 "}, "kept", "筛选：industry=7,3");
    row("all must hold", {"industry=3", "listed=9"}, "left out", "筛选：industry=3；listed=9");
    row("unanswered, with !=", {"company_age!=1"}, "left out");
    row("an error left out", {}, "left out", "筛选：不含有“错误”的记录", true, error);
    row("a doubt kept", {"industry=3"}, "kept", "筛选：industry=3；不含有“错误”的记录", true, doubt);
    row("errors kept unless asked", {}, "kept", "", false, error);
    row("unknown variable", {"sector=3"}, "没有变量“sector”");
    row("a figure", {"capital=1"}, "变量 capital 是数值，不能筛选");
    row("a text", {"name=1"}, "变量 name 是文字，不能筛选");
    row("a rank", {"q21_rank1=1"}, "变量 q21_rank1 是排序字母");
    row("a code outside its set", {"industry=3,20"}, "“20”不是变量 industry 的代码");
    row("no code", {"industry="}, "筛选条件“industry=”应写成");
    row("no variable", {"=3"}, "筛选条件“=3”应写成");
    row("no sign", {"industry"}, "筛选条件“industry”应写成");
}

void CollectRulesTest::filter()
{
    QFETCH(QStringList, conditions);
    QFETCH(bool, withoutErrors);
    QFETCH(int, severity);
    QFETCH(QString, outcome);
    QFETCH(QString, description);
    QStringList lines = SampleRecords::blankLines(QStringLiteral("甲"));
    lines[6] = QStringLiteral("3");
    lines[9] = QStringLiteral("1");
    lines[4] = Survey::line(5).items.value(1);
    lines[15] = QStringLiteral("A");
    const QList<const DataSet::Variable *> variables = RecordFilter::filterable();
    const auto tick = std::find_if(variables.begin(), variables.end(),
                                   [](const DataSet::Variable *v) { return v->name == QStringLiteral("q02_e"); });
    QVERIFY(tick != variables.end());
    lines[(*tick)->line - 1][(*tick)->position] = QLatin1Char('1');
    DataSet::Record record;
    record.text = lines.join(QLatin1Char('\n')).toUtf8() + '\n';
    QList<DataChecks::Finding> findings;
    for (size_t c = 0; c < DataChecks::all().size() && severity >= 0; ++c)
        if (int(DataChecks::all()[c].severity) == severity && findings.isEmpty())
            findings << DataChecks::Finding{int(c)};

    RecordFilter filter;
    filter.setWithoutErrors(withoutErrors);
    QString why;
    for (const QString &condition : conditions)
        if (!filter.add(condition, why))
            break;
    if (outcome != QStringLiteral("kept") && outcome != QStringLiteral("left out")) {
        QVERIFY2(why.startsWith(outcome), qPrintable(why));
        return;
    }
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QCOMPARE(filter.keeps(record, findings) ? QStringLiteral("kept") : QStringLiteral("left out"), outcome);
    if (!description.isEmpty() || conditions.isEmpty())
        QCOMPARE(filter.description(), description);
}

QTEST_GUILESS_MAIN(CollectRulesTest)
#include "tst_collect_rules.moc"
