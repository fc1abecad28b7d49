// The foundation and CSR organisation page: questions 4 to 6 and answer lines 11 to 24.
#include "pages/performance/PerformancePage.h"
#include "pages/profile/BasicInformationPage.h"
#include "pages/profile/FoundationPage.h"
#include "survey/AnswerRecord.h"
#include "tests/support/Drive.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/PageFixture.h"
#include "tests/support/ResultFile.h"
#include "tests/support/TestMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace Drive;

class ProfileFoundationTest : public QObject, private PageFixture<FoundationPage> {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void untouchedPageStoresEmptyLines();
    void foundationQuestion_data();
    void foundationQuestion();
    void reportQuestion_data();
    void reportQuestion();
    void boxPairs_data();
    void boxPairs();
    void organisationChoice_data();
    void organisationChoice();
    void numberFields_data();
    void numberFields();
    void backAndForwardKeepBothPages();
    void tabOrderFollowsTheQuestionsThenNextThenBack();
    void accessibleNames_data();
    void accessibleNames();
    void fontsAndCaptions();
    void resultFileLines11To24();

private:
    QLineEdit *edit(const char *name) const { return find<QLineEdit>(name); }
    QCheckBox *box(const QString &number) const { return find<QCheckBox>(qPrintable("CheckBox" + number)); }
    void pressNext() { click(find<QPushButton>("BitBtn1")); }
    QString line(int k) const { return shell->record().get(k); }
};

void ProfileFoundationTest::init()
{
    openPages(&Shell::foundationPage);
}

void ProfileFoundationTest::cleanup()
{
    closePages();
}

// "下一步" on an untouched page empties the nine lines it copies and leaves
// the five that are written by choices alone.
void ProfileFoundationTest::untouchedPageStoresEmptyLines()
{
    showPage();
    for (const char *name :
         {"Edit6", "Edit7", "Edit8", "ComboBox6", "Edit11", "Edit9", "CheckBox7", "CheckBox8", "CheckBox9",
          "CheckBox10", "ComboBox3", "ComboBox5", "Edit10", "Label10", "Label26", "Label18", "Label16"})
        QVERIFY2(!find<QWidget>(name)->isEnabled(), name);
    for (const char *name : {"Label15", "Label17", "RadioButton31", "RadioButton20", "RadioButton24"})
        QVERIFY2(find<QWidget>(name)->isEnabled(), name);

    for (int k = 11; k <= 24; ++k)
        shell->record().set(k, QStringLiteral("old"));
    pressNext();
    for (int k : {12, 13, 14, 15, 18, 20, 21, 23, 24})
        QCOMPARE(line(k), QString());
    for (int k : {11, 16, 17, 19, 22})
        QCOMPARE(line(k), QStringLiteral("old"));
    QVERIFY(!page->isVisible());
    QVERIFY(shell->performancePage()->isVisible());
}

void ProfileFoundationTest::foundationQuestion_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("line11");
    QTest::newRow("是, filled") << QStringList{"是"} << true << "1";
    QTest::newRow("是, filled, 否") << QStringList{"是", "否"} << false << "9";
    QTest::newRow("是, filled, 否, 是") << QStringList{"是", "否", "是"} << false << "1";
    QTest::newRow("否") << QStringList{"否"} << false << "9";
    QTest::newRow("否, 是, filled") << QStringList{"否", "是"} << true << "1";
}

// The four foundation fields are filled right after the first "是".
void ProfileFoundationTest::foundationQuestion()
{
    QFETCH(QStringList, answers);
    QFETCH(bool, kept);
    QFETCH(QString, line11);
    showPage();
    bool filled = false;
    for (const QString &answer : answers) {
        click(find<QRadioButton>(answer == "是" ? "RadioButton31" : "RadioButton32"));
        if (answer == "是") {
            QTRY_COMPARE(QApplication::focusWidget(), edit("Edit6"));
            QCOMPARE(line(11), QStringLiteral("1"));
        } else {
            QCOMPARE(line(11), QStringLiteral("9"));
        }
        if (answer == "是" && !filled) {
            type(edit("Edit6"), QStringLiteral("爱心助学基金会"));
            type(edit("Edit7"), QStringLiteral("500.5."));
            type(edit("Edit8"), QStringLiteral("100"));
            pick(find<QComboBox>("ComboBox6"), QStringLiteral("2008年"));
            filled = true;
        }
    }
    const bool open = answers.last() == "是";
    for (const char *name :
         {"Edit6", "Edit7", "Edit8", "ComboBox6", "Label10", "Label11", "Label12", "Label13", "Label14", "Label26"})
        QCOMPARE(find<QWidget>(name)->isEnabled(), open);
    QCOMPARE(edit("Edit6")->text(), kept ? QStringLiteral("爱心助学基金会") : QString());
    QCOMPARE(find<QComboBox>("ComboBox6")->currentText(), kept ? QStringLiteral("2008年") : QString());
    QCOMPARE(line(11), line11);

    pressNext();
    QCOMPARE(line(11), line11);
    QCOMPARE(line(12), kept ? QStringLiteral("爱心助学基金会") : QString());
    QCOMPARE(line(13), kept ? QStringLiteral("500.5") : QString());
    QCOMPARE(line(14), kept ? QStringLiteral("100") : QString());
    QCOMPARE(line(15), kept ? QStringLiteral("2008年") : QString());
    for (int k : {16, 17, 18, 19, 20, 21, 22, 23, 24})
        QCOMPARE(line(k), QString());
}

void ProfileFoundationTest::reportQuestion_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("line17");
    QTest::newRow("是, filled") << QStringList{"是"} << true << "1";
    QTest::newRow("是, filled, 否") << QStringList{"是", "否"} << false << "9";
    QTest::newRow("是, filled, 否, 是") << QStringList{"是", "否", "是"} << false << "1";
    QTest::newRow("否") << QStringList{"否"} << false << "9";
}

// The report fields are filled right after the first "是". A "否" also
// forgets the two box pairs' lines, and a later "是" does not bring them back.
void ProfileFoundationTest::reportQuestion()
{
    QFETCH(QStringList, answers);
    QFETCH(bool, kept);
    QFETCH(QString, line17);
    showPage();
    bool filled = false;
    for (const QString &answer : answers) {
        click(find<QRadioButton>(answer == "是" ? "RadioButton23" : "RadioButton24"));
        if (answer == "是")
            QTRY_COMPARE(QApplication::focusWidget(), edit("Edit11"));
        if (answer == "是" && !filled) {
            type(edit("Edit11"), QStringLiteral("GRI G4"));
            type(edit("Edit9"), QStringLiteral("官方网站"));
            click(box("7"));
            click(box("10"));
            pick(find<QComboBox>("ComboBox3"), QStringLiteral("11-30页"));
            pick(find<QComboBox>("ComboBox5"), QStringLiteral("2012年"));
            type(edit("Edit10"), QStringLiteral("3"));
            QCOMPARE(line(22), QStringLiteral("1"));
            QCOMPARE(line(19), QStringLiteral("9"));
            filled = true;
        }
    }
    const bool open = answers.last() == "是";
    for (const char *name :
         {"Label18", "Edit11", "Label21", "Edit9", "Label22", "CheckBox7", "CheckBox8", "Label19", "CheckBox9",
          "CheckBox10", "Label20", "ComboBox3", "Label23", "ComboBox5", "Label24", "Edit10", "Label16"})
        QCOMPARE(find<QWidget>(name)->isEnabled(), open);
    QCOMPARE(box("7")->isChecked(), kept);
    QCOMPARE(box("10")->isChecked(), kept);
    QVERIFY(!box("8")->isChecked());
    QVERIFY(!box("9")->isChecked());
    QCOMPARE(find<QComboBox>("ComboBox3")->currentIndex() >= 0, kept);
    QCOMPARE(find<QComboBox>("ComboBox5")->currentIndex() >= 0, kept);
    QCOMPARE(line(17), line17);
    QCOMPARE(line(19), kept ? QStringLiteral("9") : QString());
    QCOMPARE(line(22), kept ? QStringLiteral("1") : QString());

    pressNext();
    QCOMPARE(line(18), kept ? QStringLiteral("GRI G4") : QString());
    QCOMPARE(line(20), kept ? QStringLiteral("11-30页") : QString());
    QCOMPARE(line(21), kept ? QStringLiteral("官方网站") : QString());
    QCOMPARE(line(23), kept ? QStringLiteral("2012年") : QString());
    QCOMPARE(line(24), kept ? QStringLiteral("3") : QString());
    for (int k : {11, 12, 13, 14, 15, 16})
        QCOMPARE(line(k), QString());
}

void ProfileFoundationTest::boxPairs_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("ticked");
    QTest::addColumn<QString>("line19");
    QTest::addColumn<QString>("line22");
    QTest::newRow("audited 是") << QStringList{"7"} << QStringList{"7"} << ""
                                << "1";
    QTest::newRow("audited 是 then 否") << QStringList{"7", "8"} << QStringList{"8"} << ""
                                        << "9";
    QTest::newRow("audited 否 then 是") << QStringList{"8", "7"} << QStringList{"7"} << ""
                                        << "1";
    QTest::newRow("audited 否 unticked") << QStringList{"8", "8"} << QStringList{} << ""
                                         << "9";
    QTest::newRow("shortcomings 是 unticked") << QStringList{"9", "9"} << QStringList{} << "1"
                                              << "";
    QTest::newRow("shortcomings 否 then 是") << QStringList{"10", "9"} << QStringList{"9"} << "1"
                                             << "";
    QTest::newRow("both pairs") << QStringList{"9", "8", "10"} << QStringList{"8", "10"} << "9"
                                << "9";
}

void ProfileFoundationTest::boxPairs()
{
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, ticked);
    QFETCH(QString, line19);
    QFETCH(QString, line22);
    showPage();
    click(find<QRadioButton>("RadioButton23"));
    for (const QString &number : clicks)
        click(box(number));
    for (const char *number : {"7", "8", "9", "10"})
        QCOMPARE(box(QString::fromLatin1(number))->isChecked(), ticked.contains(QString::fromLatin1(number)));
    QCOMPARE(line(19), line19);
    QCOMPARE(line(22), line22);
    pressNext();
    QCOMPARE(line(19), line19);
    QCOMPARE(line(22), line22);
}

void ProfileFoundationTest::organisationChoice_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("line16");
    QTest::newRow("有专职社会责任部门") << QStringList{"RadioButton20"} << "A";
    QTest::newRow("其他部门兼职负责") << QStringList{"RadioButton21"} << "B";
    QTest::newRow("无") << QStringList{"RadioButton22"} << "C";
    QTest::newRow("A then C") << QStringList{"RadioButton20", "RadioButton22"} << "C";
    QTest::newRow("C then B") << QStringList{"RadioButton22", "RadioButton21"} << "B";
}

void ProfileFoundationTest::organisationChoice()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, line16);
    showPage();
    for (const QString &name : clicks)
        click(find<QRadioButton>(qPrintable(name)));
    QCOMPARE(line(16), line16);
    // Nothing else hangs on this answer.
    QVERIFY(!edit("Edit6")->isEnabled());
    QVERIFY(!edit("Edit11")->isEnabled());
    for (int k : {11, 17, 19, 22})
        QCOMPARE(line(k), QString());
}

void ProfileFoundationTest::numberFields_data()
{
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("line");
    QTest::newRow("fund: one point") << "RadioButton31"
                                     << "Edit7"
                                     << "1.5.2"
                                     << "1.52" << 13;
    QTest::newRow("fund: letters and sign dropped") << "RadioButton31"
                                                    << "Edit7"
                                                    << "-2e3万"
                                                    << "23" << 13;
    QTest::newRow("capital: point first") << "RadioButton31"
                                          << "Edit8"
                                          << ".75."
                                          << ".75" << 14;
    QTest::newRow("name takes anything") << "RadioButton31"
                                         << "Edit6"
                                         << "1.5.2 基金"
                                         << "1.5.2 基金" << 12;
    QTest::newRow("reports: point refused when empty") << "RadioButton23"
                                                       << "Edit10"
                                                       << ".12.5"
                                                       << "125" << 24;
    QTest::newRow("reports: letters refused") << "RadioButton23"
                                              << "Edit10"
                                              << "3份a"
                                              << "3" << 24;
    QTest::newRow("report basis takes anything") << "RadioButton23"
                                                 << "Edit11"
                                                 << "CASS-CSR 3.0"
                                                 << "CASS-CSR 3.0" << 18;
}

void ProfileFoundationTest::numberFields()
{
    QFETCH(QString, question);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, line);
    showPage();
    click(find<QRadioButton>(qPrintable(question)));
    auto *target = edit(qPrintable(field));
    type(target, typed);
    QCOMPARE(target->text(), shown);
    QCOMPARE(target->maxLength(), std::numeric_limits<int>::max()); // no limit of its own
    pressNext();
    QCOMPARE(this->line(line), shown);
}

// Leaving backwards stores nothing; both pages come back as they were left.
void ProfileFoundationTest::backAndForwardKeepBothPages()
{
    BasicInformationPage *basic = shell->basicInformationPage();
    basic->show();
    QVERIFY(QTest::qWaitForWindowExposed(basic));
    auto *name = basic->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    type(name, QStringLiteral("鑫达实业"));
    click(basic->findChild<QRadioButton *>(QStringLiteral("RadioButton3")));
    click(basic->findChild<QPushButton *>(QStringLiteral("BitBtn1")));
    QVERIFY(page->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(page));

    click(find<QRadioButton>("RadioButton31"));
    type(edit("Edit6"), QStringLiteral("助学基金"));
    click(find<QRadioButton>("RadioButton20"));
    click(find<QRadioButton>("RadioButton23"));
    click(box("9"));
    click(find<QPushButton>("BitBtn2"));

    QVERIFY(!page->isVisible());
    QVERIFY(basic->isVisible());
    QCOMPARE(line(12), QString());
    QCOMPARE(line(11), QStringLiteral("1"));
    QCOMPARE(line(16), QStringLiteral("A"));
    QCOMPARE(line(17), QStringLiteral("1"));
    QCOMPARE(line(19), QStringLiteral("1"));
    QCOMPARE(name->text(), QStringLiteral("鑫达实业"));
    QVERIFY(basic->findChild<QRadioButton *>(QStringLiteral("RadioButton3"))->isChecked());

    // The basic page stores its lines again on the second "下一步".
    type(basic->findChild<QLineEdit *>(QStringLiteral("Edit2")), QStringLiteral("杭州"));
    QCOMPARE(line(2), QString());
    click(basic->findChild<QPushButton *>(QStringLiteral("BitBtn1")));
    QCOMPARE(line(1), QStringLiteral("鑫达实业"));
    QCOMPARE(line(2), QStringLiteral("杭州"));
    QCOMPARE(line(7), QStringLiteral("3"));

    QVERIFY(page->isVisible());
    QVERIFY(find<QRadioButton>("RadioButton31")->isChecked());
    QVERIFY(find<QRadioButton>("RadioButton20")->isChecked());
    QVERIFY(find<QRadioButton>("RadioButton23")->isChecked());
    QVERIFY(box("9")->isChecked());
    QVERIFY(edit("Edit6")->isEnabled());
    QCOMPARE(edit("Edit6")->text(), QStringLiteral("助学基金"));
    pressNext();
    QCOMPARE(line(12), QStringLiteral("助学基金"));
    QVERIFY(shell->performancePage()->isVisible());
}

void ProfileFoundationTest::tabOrderFollowsTheQuestionsThenNextThenBack()
{
    showPage();
    click(find<QRadioButton>("RadioButton23"));
    QTRY_COMPARE(QApplication::focusWidget(), edit("Edit11"));
    const QStringList expected = {"Edit9",     "CheckBox7", "CheckBox8", "CheckBox9", "CheckBox10",
                                  "ComboBox3", "ComboBox5", "Edit10",    "BitBtn1",   "BitBtn2"};
    for (const QString &name : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), name);
    }
}

void ProfileFoundationTest::accessibleNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("RadioButton31") << "RadioButton31"
                                   << "企业是否成立基金会或公益慈善专项基金： 是";
    QTest::newRow("Edit6") << "Edit6"
                           << "基金会或基金名称：";
    QTest::newRow("Edit7") << "Edit7"
                           << "基金额";
    QTest::newRow("Edit8") << "Edit8"
                           << "注册资金";
    QTest::newRow("ComboBox6") << "ComboBox6"
                               << "成立时间：";
    QTest::newRow("RadioButton21") << "RadioButton21"
                                   << "5.社会责任管理构设置情况 其他部门兼职负责";
    QTest::newRow("RadioButton24") << "RadioButton24"
                                   << "企业是否发布过社会责任报告 否";
    QTest::newRow("Edit11") << "Edit11"
                            << "企业社会责任报告编写依据：";
    QTest::newRow("Edit9") << "Edit9"
                           << "报告发布途径：";
    QTest::newRow("CheckBox8") << "CheckBox8"
                               << "报告是否经过第三方专业机构审验： 否";
    QTest::newRow("CheckBox9") << "CheckBox9"
                               << "报告中是否提及企业不足之处： 是";
    QTest::newRow("ComboBox3") << "ComboBox3"
                               << "报告篇幅：";
    QTest::newRow("ComboBox5") << "ComboBox5"
                               << "首份报告发布时间：";
    QTest::newRow("Edit10") << "Edit10"
                            << "累计发布份数：";
}

void ProfileFoundationTest::accessibleNames()
{
    QFETCH(QString, control);
    QFETCH(QString, spoken);
    auto *widget = find<QWidget>(qPrintable(control));
    QVERIFY(widget);
    QCOMPARE(widget->accessibleName(), spoken);
}

void ProfileFoundationTest::fontsAndCaptions()
{
    QCOMPARE(page->size(), QSize(755, 457));
    QCOMPARE(find<QLabel>("Label1")->text(), QStringLiteral("一.企业概况"));
    QCOMPARE(find<QLabel>("Label1")->font().pixelSize(), 19);
    QCOMPARE(find<QLabel>("Label15")->font().family(), QStringLiteral("宋体"));
    QCOMPARE(find<QLabel>("Label15")->font().pixelSize(), 14);
    QCOMPARE(find<QCheckBox>("CheckBox7")->font().pixelSize(), 14);
    QCOMPARE(edit("Edit6")->font().pixelSize(), 11);
    QCOMPARE(find<QComboBox>("ComboBox5")->font().pixelSize(), 11);
    QCOMPARE(find<QLabel>("Label16")->text(), QStringLiteral("份"));
    QCOMPARE(find<QPushButton>("BitBtn1")->text(), QStringLiteral("下一步"));
    QCOMPARE(find<QPushButton>("BitBtn2")->text(), QStringLiteral("上一步"));
    auto *years = find<QComboBox>("ComboBox5");
    QCOMPARE(years->count(), 10);
    QCOMPARE(years->itemText(0), QStringLiteral("2005年以前"));
    QCOMPARE(years->itemText(9), QStringLiteral("2014年"));
    QCOMPARE(years->currentIndex(), -1);
    QVERIFY(!years->isEditable());
    QCOMPARE(find<QComboBox>("ComboBox3")->itemText(4), QStringLiteral("70页以上"));
}

// What the two profile pages give the result file, byte for byte.
void ProfileFoundationTest::resultFileLines11To24()
{
    BasicInformationPage *basic = shell->basicInformationPage();
    basic->show();
    QVERIFY(QTest::qWaitForWindowExposed(basic));
    type(basic->findChild<QLineEdit *>(QStringLiteral("Edit1")), QStringLiteral("鑫达实业"));
    type(basic->findChild<QLineEdit *>(QStringLiteral("Edit3")), QStringLiteral("80.5"));
    click(basic->findChild<QRadioButton *>(QStringLiteral("RadioButton19")));
    type(basic->findChild<QLineEdit *>(QStringLiteral("Edit5")), QStringLiteral("文创"));
    click(basic->findChild<QRadioButton *>(QStringLiteral("RadioButton29")));
    click(basic->findChild<QCheckBox *>(QStringLiteral("CheckBox5")));
    click(basic->findChild<QPushButton *>(QStringLiteral("BitBtn1")));
    QVERIFY(QTest::qWaitForWindowActive(page));

    click(find<QRadioButton>("RadioButton32"));
    click(find<QRadioButton>("RadioButton21"));
    click(find<QRadioButton>("RadioButton23"));
    type(edit("Edit9"), QStringLiteral("年报"));
    click(box("8"));
    pick(find<QComboBox>("ComboBox5"), QStringLiteral("2005年以前"));
    type(edit("Edit10"), QStringLiteral("12"));
    pressNext();

    QTemporaryDir folder;
    shell->setProgramFolder(folder.path() + QLatin1Char('/'));
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    shell->saveResultFile();
    QCOMPARE(boxes.count(), 1);
    const QByteArray bytes = ResultFile::readBytes(folder.path() + QStringLiteral("/鑫达实业_填报结果.dbf"));
    QCOMPARE(bytes, ResultFile::expected({{1, "鑫达实业"},
                                          {3, "80.5"},
                                          {7, "19"},
                                          {8, "文创"},
                                          {9, "999919"},
                                          {10, "1"},
                                          {11, "9"},
                                          {16, "B"},
                                          {17, "1"},
                                          {21, "年报"},
                                          {22, "9"},
                                          {23, "2005年以前"},
                                          {24, "12"}}));
}

SURVEY_TEST_MAIN(ProfileFoundationTest)
#include "tst_profile_foundation.moc"
