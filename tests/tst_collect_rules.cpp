// The collector's pure rules, case by case: the copy marks taken off a file's
// name, the formula mark of a CSV text, the quartiles of the report, and
// whether a line's gate is open.
#include "collect/export/CsvText.h"
#include "collect/input/FileName.h"
#include "collect/report/ReportStatistics.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"
#include "tests/collect/SampleRecords.h"

#include <QTest>

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
    void gate_data();
    void gate();
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

QTEST_GUILESS_MAIN(CollectRulesTest)
#include "tst_collect_rules.moc"
