// The performance data page: answer lines, project type rows, tabs, keys and the way back and forth.
#include "pages/performance/PerformancePage.h"
#include "pages/profile/FoundationPage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "survey/AnswerRecord.h"
#include "tests/support/PageFixture.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace {

struct Answer {
    int tab; // 0, 1, 2
    const char *field;
    int line;
};

// Written out from the survey's line table, in line order.
const Answer kAnswers[] = {
    {0, "Edit1", 25},   {0, "Edit4", 26},   {0, "Edit7", 27},   {0, "Edit10", 28},  {0, "Edit13", 29},
    {0, "Edit16", 30},  {0, "Edit19", 31},  {0, "Edit22", 32},  {0, "Edit25", 33},  {0, "Edit28", 34},
    {0, "Edit2", 35},   {0, "Edit5", 36},   {0, "Edit8", 37},   {0, "Edit11", 38},  {0, "Edit14", 39},
    {0, "Edit17", 40},  {0, "Edit20", 41},  {0, "Edit23", 42},  {0, "Edit26", 43},  {0, "Edit29", 44},
    {1, "Edit34", 45},  {1, "Edit37", 46},  {1, "Edit40", 47},  {1, "Edit43", 48},  {1, "Edit46", 49},
    {1, "Edit49", 50},  {1, "Edit52", 51},  {1, "Edit55", 52},  {1, "Edit58", 53},  {1, "Edit61", 54},
    {1, "Edit35", 55},  {1, "Edit38", 56},  {1, "Edit41", 57},  {1, "Edit44", 58},  {1, "Edit47", 59},
    {1, "Edit50", 60},  {1, "Edit53", 61},  {1, "Edit56", 62},  {1, "Edit59", 63},  {1, "Edit62", 64},
    {2, "Edit15", 110}, {2, "Edit9", 111},  {2, "Edit3", 112},  {2, "Edit21", 113}, {2, "Edit97", 114},
    {2, "Edit36", 115}, {2, "Edit42", 116}, {2, "Edit48", 117}, {2, "Edit54", 118}, {2, "Edit60", 119},
    {2, "Edit91", 120}, {2, "Edit93", 121}, {2, "Edit95", 122}, {2, "Edit27", 123}, {2, "Edit6", 124},
    {2, "Edit12", 125}, {2, "Edit18", 126}, {2, "Edit24", 127}, {2, "Edit98", 128}, {2, "Edit39", 129},
    {2, "Edit45", 130}, {2, "Edit51", 131}, {2, "Edit57", 132}, {2, "Edit63", 133}, {2, "Edit92", 134},
    {2, "Edit94", 135}, {2, "Edit96", 136}, {2, "Edit30", 137},
};

using Lines = QMap<int, QString>;

// Project type rows: checkbox, 2013 field, 2014 field.
const char *const kProjectTypes[10][3] = {
    {"CheckBox1", "Edit97", "Edit98"},  {"CheckBox2", "Edit36", "Edit39"}, {"CheckBox3", "Edit42", "Edit45"},
    {"CheckBox4", "Edit48", "Edit51"},  {"CheckBox5", "Edit54", "Edit57"}, {"CheckBox6", "Edit60", "Edit63"},
    {"CheckBox7", "Edit91", "Edit92"},  {"CheckBox8", "Edit93", "Edit94"}, {"CheckBox9", "Edit95", "Edit96"},
    {"CheckBox10", "Edit27", "Edit30"},
};

QList<int> pageLines()
{
    QList<int> lines;
    for (int k = 25; k <= 64; ++k)
        lines << k;
    for (int k = 110; k <= 139; ++k)
        lines << k;
    return lines;
}

// A distinct value for every field, typeable through the number filter.
QString valueFor(int line)
{
    return QStringLiteral("%1.0%2").arg(line).arg(line % 7);
}

} // namespace

class PerformanceTest : public QObject, private PageFixture<PerformancePage> {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void everyFieldReachesItsLine_data();
    void everyFieldReachesItsLine();
    void storedLinesInCases_data();
    void storedLinesInCases();
    void projectTypeRowRule_data();
    void projectTypeRowRule();
    void tabButtonsMoveAndStoreNothing_data();
    void tabButtonsMoveAndStoreNothing();
    void aTabThatDoesNotExistIsNotShown_data();
    void aTabThatDoesNotExistIsNotShown();
    void keyboardOrder_data();
    void keyboardOrder();
    void numberFieldsFilterTheirKeys();
    void accessibleNames_data();
    void accessibleNames();
    void backToFoundationPageAndForwardKeepsEverything();
    void backFromQuestionnaireShowsTab3AndStoresAgain();

private:
    void click(const QString &button) { Drive::press(page, button); }
    void type(const QString &field, const QString &text) { Drive::type(page, field, text); }
    void tick(const QString &box) { Drive::tick(page, box); }
    void goToTab(int tab);
    void fill(int tab);
    int currentTab() const { return find<QTabWidget>("PageControl1")->currentIndex(); }
};

void PerformanceTest::init()
{
    openPages(&Shell::performancePage);
    showPage();
}

void PerformanceTest::cleanup()
{
    closePages();
}

// Moves between tabs with the pages' own buttons.
void PerformanceTest::goToTab(int tab)
{
    const char *forward[] = {"BitBtn2", "BitBtn4"};
    const char *backward[] = {"BitBtn3", "BitBtn5"};
    while (currentTab() < tab && !QTest::currentTestFailed())
        click(forward[currentTab()]);
    while (currentTab() > tab && !QTest::currentTestFailed())
        click(backward[currentTab() - 1]);
}

void PerformanceTest::fill(int tab)
{
    goToTab(tab);
    for (const Answer &answer : kAnswers)
        if (answer.tab == tab)
            type(answer.field, valueFor(answer.line));
}

void PerformanceTest::everyFieldReachesItsLine_data()
{
    QTest::addColumn<QStringList>("untick");
    QTest::addColumn<QString>("codes");
    QTest::addRow("every type ticked") << QStringList() << QStringLiteral("1111111111");
    QTest::addRow("three types unticked again")
        << QStringList{"CheckBox2", "CheckBox5", "CheckBox10"} << QStringLiteral("1911911119");
}

void PerformanceTest::everyFieldReachesItsLine()
{
    QFETCH(QStringList, untick);
    QFETCH(QString, codes);
    // The questionnaire's lines lie between ours and must stay as they are.
    for (int k = 65; k <= 109; ++k)
        shell->record().set(k, QStringLiteral("q%1").arg(k));

    fill(0);
    fill(1);
    goToTab(2);
    for (const auto &row : kProjectTypes)
        tick(row[0]);
    type("Edit31", QStringLiteral("光伏扶贫"));
    fill(2);
    for (const QString &box : untick)
        tick(box);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(shell->record().get(138), QString());

    click("BitBtn6");
    QVERIFY(shell->questionnairePage()->isVisible());
    QVERIFY(!page->isVisible());

    QSet<QString> emptied;
    for (const QString &box : untick)
        for (const auto &row : kProjectTypes)
            if (box == QLatin1String(row[0]))
                emptied << QLatin1String(row[1]) << QLatin1String(row[2]);
    for (const Answer &answer : kAnswers) {
        const QString expected = emptied.contains(QLatin1String(answer.field)) ? QString() : valueFor(answer.line);
        QCOMPARE(shell->record().get(answer.line), expected);
    }
    QCOMPARE(shell->record().get(138), codes);
    QCOMPARE(shell->record().get(139),
             untick.contains(QStringLiteral("CheckBox10")) ? QString() : QStringLiteral("光伏扶贫"));
    for (int k = 65; k <= 109; ++k)
        QCOMPARE(shell->record().get(k), QStringLiteral("q%1").arg(k));
}

// Each step: "tick:Box", "type:Field:text", "focus:Field" (expects the focus there).
void PerformanceTest::storedLinesInCases_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<Lines>("lines"); // the page's lines that are not empty

    QTest::addRow("nothing entered") << QStringList() << QMap<int, QString>{{138, "9999999999"}};
    QTest::addRow("only 农村旅游业 with 12.5 in 2013")
        << QStringList{"tab:2", "tick:CheckBox3", "focus:Edit42", "type:Edit42:12.5"}
        << QMap<int, QString>{{116, "12.5"}, {138, "9919999999"}};
    QTest::addRow("其他 ticked, filled and unticked")
        << QStringList{"tab:2",           "tick:CheckBox10", "focus:Edit31",   "type:Edit31:村级光伏电站",
                       "type:Edit27:3.5", "type:Edit30:4",   "tick:CheckBox10"}
        << QMap<int, QString>{{138, "9999999999"}};
    QTest::addRow("a lone point and a number ending in a point")
        << QStringList{"type:Edit1:.", "type:Edit2:5.", "tab:1", "type:Edit62:0.", "tab:2", "type:Edit24:."}
        << Lines{{25, "."}, {35, "5."}, {64, "0."}, {127, "."}, {138, "9999999999"}};
}

void PerformanceTest::storedLinesInCases()
{
    QFETCH(QStringList, steps);
    QFETCH(Lines, lines);
    for (const QString &step : steps) {
        const QStringList parts = step.split(QLatin1Char(':'));
        if (parts[0] == QLatin1String("tab"))
            goToTab(parts[1].toInt());
        else if (parts[0] == QLatin1String("tick"))
            tick(parts[1]);
        else if (parts[0] == QLatin1String("type"))
            type(parts[1], parts.mid(2).join(QLatin1Char(':')));
        else if (parts[0] == QLatin1String("focus"))
            QCOMPARE(QApplication::focusWidget(), Drive::control<QWidget>(page, parts[1]));
        if (QTest::currentTestFailed())
            return;
    }
    goToTab(2);
    click("BitBtn6");
    for (int k : pageLines())
        QCOMPARE(shell->record().get(k), lines.value(k));
}

void PerformanceTest::projectTypeRowRule_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("fields"); // focused one first
    for (const auto &row : kProjectTypes) {
        QStringList fields{QLatin1String(row[1]), QLatin1String(row[2])};
        if (QLatin1String(row[0]) == QLatin1String("CheckBox10"))
            fields.prepend(QStringLiteral("Edit31"));
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << fields;
    }
}

void PerformanceTest::projectTypeRowRule()
{
    QFETCH(QString, box);
    QFETCH(QStringList, fields);
    goToTab(2);

    QList<QLineEdit *> all = find<QGroupBox>("GroupBox2")->findChildren<QLineEdit *>();
    QCOMPARE(all.size(), 21);
    for (QLineEdit *edit : all) {
        QVERIFY2(!edit->isEnabled(), qPrintable(edit->objectName()));
        QVERIFY(edit->text().isEmpty());
    }

    tick(box);
    QCOMPARE(QApplication::focusWidget()->objectName(), fields.first());
    for (QLineEdit *edit : all)
        QCOMPARE(edit->isEnabled(), fields.contains(edit->objectName()));
    for (const QString &field : fields)
        type(field, QStringLiteral("12"));

    tick(box);
    for (QLineEdit *edit : all) {
        QVERIFY(!edit->isEnabled());
        QVERIFY(edit->text().isEmpty());
    }
    tick(box);
    for (const QString &field : fields)
        QVERIFY(Drive::control<QLineEdit>(page, field)->text().isEmpty());
}

void PerformanceTest::tabButtonsMoveAndStoreNothing_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("focus");
    QTest::addRow("下一步 on tab 1") << 0 << "BitBtn2" << 1 << "Edit34";
    QTest::addRow("上一步 on tab 2") << 1 << "BitBtn3" << 0 << "Edit1";
    QTest::addRow("下一步 on tab 2") << 1 << "BitBtn4" << 2 << "Edit15";
    QTest::addRow("上一步 on tab 3") << 2 << "BitBtn5" << 1 << "Edit34";
    QTest::addRow("header of tab 3") << 0 << "" << 2 << "";
    QTest::addRow("header of tab 1") << 2 << "" << 0 << "";
}

void PerformanceTest::tabButtonsMoveAndStoreNothing()
{
    QFETCH(int, from);
    QFETCH(QString, button);
    QFETCH(int, to);
    QFETCH(QString, focus);
    QCOMPARE(currentTab(), 0); // the page opens on tab 1, ready for the first figure
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Edit1"));
    type("Edit1", QStringLiteral("5"));
    goToTab(from);
    if (button.isEmpty()) {
        QTabBar *bar = find<QTabWidget>("PageControl1")->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(to).center());
    } else {
        click(button);
    }
    QCOMPARE(currentTab(), to);
    if (!focus.isEmpty())
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QVERIFY(page->isVisible());
    for (int k : pageLines())
        QCOMPARE(shell->record().get(k), QString());
}

void PerformanceTest::aTabThatDoesNotExistIsNotShown_data()
{
    QTest::addColumn<int>("tab");
    QTest::addRow("before the first") << -1;
    QTest::addRow("after the last") << 3;
}

// A draft written by a changed program may name any tab: the page stays where it is.
void PerformanceTest::aTabThatDoesNotExistIsNotShown()
{
    QFETCH(int, tab);
    goToTab(1);
    page->showTab(tab);
    QCOMPARE(currentTab(), 1);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Edit34"));
}

void PerformanceTest::keyboardOrder_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("order");
    QTest::addRow("tab 1") << 0 << QStringList{"Edit1",  "Edit2",  "Edit4",   "Edit5",  "Edit7",  "Edit8",
                                               "Edit10", "Edit11", "Edit13",  "Edit14", "Edit16", "Edit17",
                                               "Edit19", "Edit20", "Edit22",  "Edit23", "Edit25", "Edit26",
                                               "Edit28", "Edit29", "BitBtn1", "BitBtn2"};
    // Row by row on tab 3 too; closed project type fields are passed over.
    QTest::addRow("tab 3, 林业 and 其他 open")
        << 2 << QStringList{"Edit15",    "Edit6",     "Edit9",     "Edit12",    "Edit3",     "Edit18",     "Edit21",
                            "Edit24",    "CheckBox1", "CheckBox2", "Edit36",    "Edit39",    "CheckBox3",  "CheckBox4",
                            "CheckBox5", "CheckBox6", "CheckBox7", "CheckBox8", "CheckBox9", "CheckBox10", "Edit31",
                            "Edit27",    "Edit30",    "BitBtn5",   "BitBtn6"};
}

void PerformanceTest::keyboardOrder()
{
    QFETCH(int, tab);
    QFETCH(QStringList, order);
    goToTab(tab);
    if (tab == 2) {
        tick("CheckBox10");
        tick("CheckBox2");
    }
    Drive::control<QWidget>(page, order.first())->setFocus();
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order[i]);
    }
}

void PerformanceTest::numberFieldsFilterTheirKeys()
{
    for (int tab = 0; tab < 3; ++tab) {
        goToTab(tab);
        if (tab == 2)
            for (const auto &row : kProjectTypes)
                tick(row[0]);
        for (const Answer &answer : kAnswers) {
            if (answer.tab != tab)
                continue;
            type(answer.field, QStringLiteral("x-1 2.3.4万"));
            QCOMPARE(find<QLineEdit>(answer.field)->text(), QStringLiteral("12.34"));
        }
    }
    type("Edit31", QStringLiteral("x-1 2.3.4万"));
    QCOMPARE(find<QLineEdit>("Edit31")->text(), QStringLiteral("x-1 2.3.4万"));
    QCOMPARE(page->findChildren<QLineEdit *>().size(), 69);
}

void PerformanceTest::accessibleNames_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::newRow("Edit1") << "Edit1"
                           << "营业收入总额 2013年"
                           << "万元";
    QTest::newRow("Edit20") << "Edit20"
                            << "参加培训人次 2014年"
                            << "人次";
    QTest::newRow("Edit62") << "Edit62"
                            << "其他 2014年"
                            << "万元";
    QTest::newRow("Edit6") << "Edit6"
                           << "参与Solvane事业项目总数 2014年"
                           << "个";
    QTest::newRow("Edit30") << "Edit30"
                            << "其他 2014年"
                            << "万元";
    QTest::newRow("Edit31") << "Edit31"
                            << "其他项目类型名称"
                            << "";
}

void PerformanceTest::accessibleNames()
{
    QFETCH(QString, field);
    QFETCH(QString, name);
    QFETCH(QString, unit);
    auto *edit = Drive::control<QLineEdit>(page, field);
    QCOMPARE(edit->accessibleName(), name);
    QCOMPARE(edit->accessibleDescription(), unit);
}

void PerformanceTest::backToFoundationPageAndForwardKeepsEverything()
{
    type("Edit1", QStringLiteral("100"));
    goToTab(1);
    type("Edit62", QStringLiteral("2.5"));
    goToTab(2);
    tick("CheckBox4");
    type("Edit48", QStringLiteral("3"));
    goToTab(0);

    click("BitBtn1");
    QVERIFY(!page->isVisible());
    QVERIFY(shell->foundationPage()->isVisible());
    Drive::press(shell->foundationPage(), "BitBtn1"); // its "下一步"
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(page->isVisible());

    QCOMPARE(currentTab(), 0);
    QCOMPARE(find<QLineEdit>("Edit1")->text(), QStringLiteral("100"));
    QCOMPARE(find<QLineEdit>("Edit62")->text(), QStringLiteral("2.5"));
    QVERIFY(find<QCheckBox>("CheckBox4")->isChecked());
    QVERIFY(find<QLineEdit>("Edit48")->isEnabled());
    QCOMPARE(find<QLineEdit>("Edit48")->text(), QStringLiteral("3"));
    QVERIFY(find<QLineEdit>("Edit51")->isEnabled());
    for (int k : pageLines())
        QCOMPARE(shell->record().get(k), QString());
}

void PerformanceTest::backFromQuestionnaireShowsTab3AndStoresAgain()
{
    type("Edit1", QStringLiteral("1"));
    goToTab(1);
    type("Edit34", QStringLiteral("2"));
    goToTab(2);
    type("Edit15", QStringLiteral("3"));
    click("BitBtn6");
    QCOMPARE(shell->record().get(25), QStringLiteral("1"));
    QCOMPARE(shell->record().get(45), QStringLiteral("2"));
    QCOMPARE(shell->record().get(110), QStringLiteral("3"));

    Drive::press(shell->questionnairePage(), "BitBtn1"); // "上一步" of its first tab
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(page->isVisible());
    QCOMPARE(currentTab(), 2);

    // Changes reach the record only with the next store, which rewrites every line.
    type("Edit15", QStringLiteral("0"));
    goToTab(0);
    type("Edit1", QString());
    QTest::keyClick(find<QLineEdit>("Edit1"), Qt::Key_End);
    QTest::keyClick(find<QLineEdit>("Edit1"), Qt::Key_Backspace);
    QCOMPARE(shell->record().get(25), QStringLiteral("1"));
    QCOMPARE(shell->record().get(110), QStringLiteral("3"));
    shell->record().set(45, QStringLiteral("stale"));

    goToTab(2);
    click("BitBtn6");
    QCOMPARE(shell->record().get(25), QString());
    QCOMPARE(shell->record().get(45), QStringLiteral("2"));
    QCOMPARE(shell->record().get(110), QStringLiteral("30"));
    QCOMPARE(shell->record().get(138), QStringLiteral("9999999999"));
}

SURVEY_TEST_MAIN(PerformanceTest)
#include "tst_performance.moc"
