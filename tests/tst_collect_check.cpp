// The record check: each problem the collector lists, on records written by
// hand from the survey's layout, and the number rule.
#include "survey/RecordCheck.h"
#include "tests/collect/SampleRecords.h"

#include <QTest>

namespace {

using Changes = QList<QPair<int, QString>>;
using Expected = QList<QPair<int, int>>; // line, RecordCheck::ProblemKind

// A record as the program writes it with only the name filled: every code
// string present with nothing ticked.
QStringList cleanLines()
{
    return SampleRecords::blankLines(QStringLiteral("甲公司"));
}

QStringList changed(const Changes &changes)
{
    QStringList lines = cleanLines();
    for (const auto &change : changes)
        lines[change.first - 1] = change.second;
    return lines;
}

Expected found(const QList<RecordCheck::Problem> &problems)
{
    Expected out;
    for (const RecordCheck::Problem &p : problems)
        out << qMakePair(p.line, int(p.kind));
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Changes)
Q_DECLARE_METATYPE(Expected)

class CollectCheckTest : public QObject {
    Q_OBJECT
private slots:
    void problems_data();
    void problems();
    void problemsNameTheLineAndKeepTheRawText();
    void isNumber_data();
    void isNumber();
    void numberValue_data();
    void numberValue();
    void blocksReopening_data();
    void blocksReopening();
};

void CollectCheckTest::problems_data()
{
    using K = RecordCheck::ProblemKind;
    QTest::addColumn<Changes>("changes");
    QTest::addColumn<Expected>("expected");
    auto row = [](const char *name, const Changes &changes, const Expected &expected) {
        QTest::newRow(name) << changes << expected;
    };
    auto one = [](int line, K kind) { return Expected{{line, int(kind)}}; };

    row("clean", {}, {});
    row("everything filled well",
        {{3, "500.5"},        {5, "股份有限公司"}, {6, "10-20年"},   {7, "19"},         {8, "咨询业"},
         {9, "919991"},       {10, "1"},           {11, "1"},        {15, "2010年"},    {16, "B"},
         {19, "9"},           {22, "1"},           {24, "3"},        {44, "8."},        {64, ".5"},
         {65, "191991"},      {85, "CAE"},         {88, "社区共建"}, {109, "其他途径"}, {87, "999999991"},
         {138, "9919999991"}, {116, "12.5"},       {130, "3"},       {139, "养老服务"}, {110, "6"}},
        {});
    row("industry 20", {{7, "20"}}, one(7, K::BadCode));
    row("industry 0", {{7, "0"}}, one(7, K::BadCode));
    row("industry as text", {{7, "制造业"}}, one(7, K::BadCode));
    row("listed 2", {{10, "2"}}, one(10, K::BadCode));
    row("yes/no pair 5", {{19, "5"}}, one(19, K::BadCode));
    row("CSR department D", {{16, "D"}}, one(16, K::BadCode));
    row("CSR department lower case", {{16, "a"}}, one(16, K::BadCode));
    row("company type not in the list", {{5, "私营企业"}}, one(5, K::UnknownListItem));
    row("list item with a blank", {{6, "3-5年 "}}, one(6, K::UnknownListItem));
    row("code string too short", {{65, "19999"}}, one(65, K::BadCode));
    row("code string too long", {{138, "99999999999"}}, one(138, K::BadCode));
    row("code string with 0", {{9, "190999"}}, one(9, K::BadCode));
    row("code string empty", {{86, ""}}, one(86, K::BadCode));
    row("question 1, three ticks", {{65, "111999"}}, {});
    row("question 1, four ticks", {{65, "111919"}}, one(65, K::TooManyTicks));
    row("question 2, six ticks", {{66, "111111"}}, {});
    row("other industry without 19", {{7, "3"}, {8, "咨询业"}}, one(8, K::OtherIndustry));
    row("other industry without any", {{8, "咨询业"}}, one(8, K::OtherIndustry));
    row("project figure, box unticked", {{114, "12"}}, one(114, K::UngatedFigure));
    row("project figure 2014, box unticked", {{137, "4"}, {138, "1999999999"}}, one(137, K::UngatedFigure));
    row("project figure, box ticked", {{114, "12"}, {138, "1999999999"}}, {});
    row("project name, box unticked", {{139, "养老"}}, one(139, K::UngatedFigure));
    row("project name, box ticked", {{139, "养老"}, {138, "9999999991"}}, {});
    row("overall project figure needs no box", {{110, "3"}, {124, "7"}}, {});
    row("other text, option unticked", {{88, "社区共建"}}, one(88, K::OtherWithoutTick));
    row("other text of question 23, unticked", {{109, "x"}}, one(109, K::OtherWithoutTick));
    row("other text of question 3, ticked", {{90, "ISO"}, {67, "999999991"}}, {});
    row("ranking outside A-E", {{85, "CAX"}}, one(85, K::BadRanking));
    row("ranking repeated", {{85, "CAC"}}, one(85, K::BadRanking));
    row("ranking lower case", {{85, "c"}}, one(85, K::BadRanking));
    row("ranking of all five", {{85, "EDCBA"}}, {});
    row("number with a comma", {{25, "1,000"}}, one(25, K::NotANumber));
    row("number with two points", {{3, "1.2.3"}}, one(3, K::NotANumber));
    row("number of blanks only", {{4, " "}}, one(4, K::NotANumber));
    row("number in full-width digits", {{24, "３"}}, one(24, K::NotANumber));
    row("gate line malformed: only its own problem", {{138, "99"}, {114, "5"}}, one(138, K::BadCode));
    row("several, in line order", {{85, "ZZ"}, {7, "99"}, {25, "abc"}},
        Expected{{7, int(K::BadCode)}, {25, int(K::NotANumber)}, {85, int(K::BadRanking)}});
    row("not a number and ungated", {{115, "x"}}, Expected{{115, int(K::NotANumber)}, {115, int(K::UngatedFigure)}});
}

void CollectCheckTest::problems()
{
    QFETCH(Changes, changes);
    QFETCH(Expected, expected);
    const QStringList lines = changed(changes);
    QCOMPARE(found(RecordCheck::check(lines)), expected);

    // The collector's UTF-8 form finds the same.
    QList<QByteArray> utf8;
    for (const QString &line : lines)
        utf8 << line.toUtf8();
    QList<QByteArrayView> views(utf8.begin(), utf8.end());
    QCOMPARE(found(RecordCheck::checkUtf8(views)), expected);
}

void CollectCheckTest::problemsNameTheLineAndKeepTheRawText()
{
    const QList<RecordCheck::Problem> problems = RecordCheck::check(changed({{7, "25"}, {114, "12.5"}}));
    QCOMPARE(problems.size(), 2);
    QCOMPARE(problems[0].raw, QStringLiteral("25"));
    QVERIFY(problems[0].what.contains(QStringLiteral("25")));
    QVERIFY(problems[0].what.contains(QStringLiteral("所属行业")));
    QCOMPARE(problems[1].raw, QStringLiteral("12.5"));
    QVERIFY(problems[1].what.contains(QStringLiteral("农业产业化")));
}

void CollectCheckTest::isNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::newRow("digits") << "1200" << true;
    QTest::newRow("zero") << "0" << true;
    QTest::newRow("point inside") << "500.5" << true;
    QTest::newRow("point at the end") << "8." << true;
    QTest::newRow("point at the start") << ".5" << true;
    QTest::newRow("blanks around") << " 12 " << true;
    QTest::newRow("tabs around") << "\t3\t" << true;
    QTest::newRow("ideographic blanks around") << "　5　" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("point alone") << "." << false;
    QTest::newRow("two points") << "1.2.3" << false;
    QTest::newRow("minus") << "-1" << false;
    QTest::newRow("plus") << "+1" << false;
    QTest::newRow("exponent") << "1e5" << false;
    QTest::newRow("blank inside") << "1 2" << false;
    QTest::newRow("full-width digit") << "１" << false;
    QTest::newRow("unit typed") << "12万元" << false;
}

void CollectCheckTest::isNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, number);
    QCOMPARE(RecordCheck::isNumber(text), number);
}

// The value is the nearest double to the decimal typed, short or long.
void CollectCheckTest::numberValue_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("number");
    QTest::addColumn<double>("value");
    QTest::newRow("zero") << QByteArray("0") << true << 0.0;
    QTest::newRow("leading zeros") << QByteArray("007") << true << 7.0;
    QTest::newRow("tenths") << QByteArray("12.5") << true << 12.5;
    QTest::newRow("one tenth") << QByteArray("0.1") << true << 0.1;
    QTest::newRow("point at the end") << QByteArray("8.") << true << 8.0;
    QTest::newRow("point at the start") << QByteArray(".5") << true << 0.5;
    QTest::newRow("blanks around") << QByteArray(" 3 ") << true << 3.0;
    QTest::newRow("15 digits") << QByteArray("123456789012345") << true << 123456789012345.0;
    QTest::newRow("16 digits") << QByteArray("1234567890123456") << true << 1234567890123456.0;
    QTest::newRow("20 digits") << QByteArray("12345678901234567890") << true << 12345678901234567890.0;
    QTest::newRow("15 decimals") << QByteArray("0.123456789012345") << true << 0.123456789012345;
    QTest::newRow("many decimals") << QByteArray("3.14159265358979323846") << true << 3.14159265358979323846;
    QTest::newRow("zeros before the digits") << QByteArray("0.000000000000001") << true << 1e-15;
    QTest::newRow("amount with cents") << QByteArray("123456789.12") << true << 123456789.12;
    QTest::newRow("two points") << QByteArray("1.2.3") << false << 0.0;
    QTest::newRow("point alone") << QByteArray(".") << false << 0.0;
    QTest::newRow("letter") << QByteArray("12o") << false << 0.0;
}

void CollectCheckTest::numberValue()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, number);
    QFETCH(double, value);
    const std::optional<double> read = RecordCheck::numberValue(text);
    QCOMPARE(read.has_value(), number);
    if (number)
        QVERIFY2(*read == value, qPrintable(QString::number(*read, 'g', 17)));
}

void CollectCheckTest::blocksReopening_data()
{
    using K = RecordCheck::ProblemKind;
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("blocks");
    QTest::newRow("bad code") << int(K::BadCode) << true;
    QTest::newRow("unknown list item") << int(K::UnknownListItem) << true;
    QTest::newRow("too many ticks") << int(K::TooManyTicks) << true;
    QTest::newRow("ungated figure") << int(K::UngatedFigure) << true;
    QTest::newRow("bad ranking") << int(K::BadRanking) << true;
    QTest::newRow("other without tick") << int(K::OtherWithoutTick) << false;
    QTest::newRow("other industry") << int(K::OtherIndustry) << false;
    QTest::newRow("not a number") << int(K::NotANumber) << false;
}

void CollectCheckTest::blocksReopening()
{
    QFETCH(int, kind);
    QFETCH(bool, blocks);
    QCOMPARE(RecordCheck::blocksReopening(RecordCheck::ProblemKind(kind)), blocks);
}

QTEST_GUILESS_MAIN(CollectCheckTest)
#include "tst_collect_check.moc"
