// The basic information page: questions 1 to 3 and answer lines 1 to 10.
#include "pages/profile/BasicInformationPage.h"
#include "pages/profile/FoundationPage.h"
#include "survey/AnswerRecord.h"
#include "tests/support/Drive.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/PageFixture.h"
#include "tests/support/TestMain.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace Drive;

class ProfileBasicTest : public QObject, private PageFixture<BasicInformationPage> {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void industryWritesItsNumberAtOnce_data();
    void industryWritesItsNumberAtOnce();
    void listedCompanyWritesAtOnce_data();
    void listedCompanyWritesAtOnce();
    void registeredNameCheck_data();
    void registeredNameCheck();
    void nextStoresTheControls_data();
    void nextStoresTheControls();
    void otherIndustry_data();
    void otherIndustry();
    void numberFieldsTakeDigitsAndOnePoint_data();
    void numberFieldsTakeDigitsAndOnePoint();
    void focusInNameOnShowAndActivation();
    void accessibleNames_data();
    void accessibleNames();
    void fonts();
    void nothingClippedOrOverlapping_data();
    void nothingClippedOrOverlapping();

private:
    void pressNext() { click(find<QPushButton>("BitBtn1")); }
};

void ProfileBasicTest::init()
{
    openPages(&Shell::basicInformationPage);
}

void ProfileBasicTest::cleanup()
{
    closePages();
}

void ProfileBasicTest::industryWritesItsNumberAtOnce_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("line7");
    QTest::newRow("1") << "RadioButton1"
                       << "1.农、林、牧、渔业"
                       << "1";
    QTest::newRow("2 with trailing blanks") << "RadioButton2"
                                            << "2.采矿业   "
                                            << "2";
    QTest::newRow("3") << "RadioButton3"
                       << "3.制造业"
                       << "3";
    QTest::newRow("4") << "RadioButton4"
                       << "4.电力、燃气及水的生产和供应业"
                       << "4";
    QTest::newRow("6") << "RadioButton6"
                       << "6.交通运输、仓储和邮政业 "
                       << "6";
    QTest::newRow("7") << "RadioButton7"
                       << "7.信息传输、计算机服务和软件业 "
                       << "7";
    QTest::newRow("8") << "RadioButton8"
                       << "8.批发和零售业 "
                       << "8";
    QTest::newRow("9") << "RadioButton9"
                       << "9.住宿和餐饮业 "
                       << "9";
    QTest::newRow("10") << "RadioButton10"
                        << "10.金融业 "
                        << "10";
    QTest::newRow("11") << "RadioButton11"
                        << "11.房地产业"
                        << "11";
    QTest::newRow("12") << "RadioButton12"
                        << "12.租赁和商务服务业"
                        << "12";
    QTest::newRow("13") << "RadioButton13"
                        << "13.科学研究、技术服务和地质勘察业"
                        << "13";
    QTest::newRow("14") << "RadioButton14"
                        << "14.水利、环境和公共设施管理业"
                        << "14";
    QTest::newRow("15") << "RadioButton15"
                        << "15.居民服务和其他服务业"
                        << "15";
    QTest::newRow("16") << "RadioButton16"
                        << "16.教育"
                        << "16";
    QTest::newRow("17") << "RadioButton17"
                        << "17.卫生、社会保障和社会福利业"
                        << "17";
    QTest::newRow("18") << "RadioButton18"
                        << "18.文化、体育和娱乐业"
                        << "18";
    QTest::newRow("19") << "RadioButton19"
                        << "19.其它，请注明"
                        << "19";
}

// Line 7 changes the moment a button is chosen, before "下一步"; the other
// lines stay untouched.
void ProfileBasicTest::industryWritesItsNumberAtOnce()
{
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QString, line7);
    showPage();
    auto *radio = find<QRadioButton>(qPrintable(button));
    QVERIFY(radio);
    QCOMPARE(radio->text(), caption);
    QVERIFY(!radio->isChecked());

    click(find<QRadioButton>("RadioButton5"));
    QCOMPARE(shell->record().get(7), QStringLiteral("5"));
    click(radio);
    QVERIFY(radio->isChecked());
    QCOMPARE(shell->record().get(7), line7);
    // Choosing it again changes nothing, and an answer cannot be withdrawn.
    click(radio);
    QVERIFY(radio->isChecked());
    QCOMPARE(shell->record().get(7), line7);
    for (int line : {1, 2, 3, 4, 5, 6, 8, 9, 10})
        QCOMPARE(shell->record().get(line), QString());
    QVERIFY(page->isVisible());
}

void ProfileBasicTest::listedCompanyWritesAtOnce_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("line10");
    QTest::newRow("是") << QStringList{"RadioButton29"} << "1";
    QTest::newRow("否") << QStringList{"RadioButton30"} << "9";
    QTest::newRow("是 then 否") << QStringList{"RadioButton29", "RadioButton30"} << "9";
    QTest::newRow("否 then 是") << QStringList{"RadioButton30", "RadioButton29"} << "1";
}

void ProfileBasicTest::listedCompanyWritesAtOnce()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, line10);
    showPage();
    QCOMPARE(find<QRadioButton>("RadioButton29")->text(), QStringLiteral("是"));
    QCOMPARE(find<QRadioButton>("RadioButton30")->text(), QStringLiteral("否"));
    for (const QString &name : clicks)
        click(find<QRadioButton>(qPrintable(name)));
    QCOMPARE(shell->record().get(10), line10);
    QVERIFY(find<QRadioButton>("RadioButton29")->isChecked() != find<QRadioButton>("RadioButton30")->isChecked());
    QCOMPARE(shell->record().get(7), QString());
}

void ProfileBasicTest::registeredNameCheck_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blanks only") << "   " << true;
    QTest::newRow("name with outer blanks") << " 鑫达实业有限公司 " << true;
}

// An empty name keeps the page and writes nothing; blanks are a name.
void ProfileBasicTest::registeredNameCheck()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    showPage();
    click(find<QRadioButton>("RadioButton12"));
    click(find<QRadioButton>("RadioButton30"));
    type(find<QLineEdit>("Edit2"), QStringLiteral("北京市海淀区"));
    click(find<QCheckBox>("CheckBox4"));
    if (!name.isEmpty())
        type(find<QLineEdit>("Edit1"), name);

    ModalBoxes boxes;
    if (!accepted)
        boxes.answerWith(QMessageBox::Ok);
    find<QLineEdit>("Edit2")->setFocus();
    pressNext();

    AnswerRecord &record = shell->record();
    QCOMPARE(record.get(7), QStringLiteral("12"));
    QCOMPARE(record.get(10), QStringLiteral("9"));
    if (accepted) {
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(record.get(1), name);
        QCOMPARE(record.get(2), QStringLiteral("北京市海淀区"));
        QCOMPARE(record.get(9), QStringLiteral("999199"));
        QVERIFY(!page->isVisible());
        QVERIFY(shell->foundationPage()->isVisible());
    } else {
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().text, QStringLiteral("请填入企业注册全称"));
        QCOMPARE(boxes.last().title, QStringLiteral("2014全国Kelmar社会责任调研问卷填报"));
        QCOMPARE(boxes.last().icon, QMessageBox::NoIcon);
        QCOMPARE(boxes.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        for (int line : {1, 2, 3, 4, 5, 6, 8, 9})
            QCOMPARE(record.get(line), QString());
        QVERIFY(page->isVisible());
        QVERIFY(!shell->foundationPage()->isVisible());
        QCOMPARE(page->focusWidget(), find<QLineEdit>("Edit1"));
    }
}

void ProfileBasicTest::nextStoresTheControls_data()
{
    QTest::addColumn<QString>("capital");
    QTest::addColumn<QString>("companyType");
    QTest::addColumn<QString>("age");
    QTest::addColumn<QList<int>>("boxes");
    QTest::addColumn<QString>("line9");
    QTest::newRow("nothing but the name") << QString() << QString() << QString() << QList<int>{} << "999999";
    QTest::newRow("all six boxes") << "500"
                                   << "独资企业"
                                   << "3年以内" << QList<int>{1, 2, 3, 4, 5, 6} << "111111";
    QTest::newRow("boxes 2 and 6") << "12.50"
                                   << "有限责任公司"
                                   << "10-20年" << QList<int>{2, 6} << "919991";
    QTest::newRow("box 1, last items") << ".5"
                                       << "其它"
                                       << "20年以上" << QList<int>{1} << "199999";
    QTest::newRow("box ticked and unticked") << "3."
                                             << "合资企业"
                                             << "3-5年" << QList<int>{3, 3} << "999999";
}

// Lines 1 to 6, 8 and 9 come from the controls at "下一步"; 7 and 10 are left alone.
void ProfileBasicTest::nextStoresTheControls()
{
    QFETCH(QString, capital);
    QFETCH(QString, companyType);
    QFETCH(QString, age);
    QFETCH(QList<int>, boxes);
    QFETCH(QString, line9);
    showPage();
    AnswerRecord &record = shell->record();
    record.set(7, QStringLiteral("left alone"));
    record.set(10, QStringLiteral("left alone"));

    type(find<QLineEdit>("Edit1"), QStringLiteral("鑫达实业有限公司"));
    type(find<QLineEdit>("Edit3"), capital);
    type(find<QLineEdit>("Edit4"), capital);
    if (!companyType.isEmpty())
        pick(find<QComboBox>("ComboBox1"), companyType);
    if (!age.isEmpty())
        pick(find<QComboBox>("ComboBox2"), age);
    for (int box : boxes)
        click(find<QCheckBox>(qPrintable(QStringLiteral("CheckBox%1").arg(box))));
    pressNext();

    QVERIFY(shell->foundationPage()->isVisible());
    QCOMPARE(record.get(1), QStringLiteral("鑫达实业有限公司"));
    QCOMPARE(record.get(2), QString());
    QCOMPARE(record.get(3), capital);
    QCOMPARE(record.get(4), capital);
    QCOMPARE(record.get(5), companyType);
    QCOMPARE(record.get(6), age);
    QCOMPARE(record.get(7), QStringLiteral("left alone"));
    QCOMPARE(record.get(8), QString());
    QCOMPARE(record.get(9), line9);
    QCOMPARE(record.get(10), QStringLiteral("left alone"));
}

void ProfileBasicTest::otherIndustry_data()
{
    QTest::addColumn<int>("then");
    QTest::addColumn<QString>("line7");
    QTest::addColumn<QString>("line8");
    QTest::newRow("19 with a text") << 0 << "19"
                                    << "水产养殖";
    QTest::newRow("19 with a text, then 5") << 5 << "5"
                                            << "";
    QTest::newRow("19 with a text, then 18") << 18 << "18"
                                             << "";
}

void ProfileBasicTest::otherIndustry()
{
    QFETCH(int, then);
    QFETCH(QString, line7);
    QFETCH(QString, line8);
    showPage();
    auto *other = find<QLineEdit>("Edit5");
    QVERIFY(other->isHidden());
    QCOMPARE(other->text(), QString());

    click(find<QRadioButton>("RadioButton19"));
    QVERIFY(other->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), other);
    for (QChar c : QStringLiteral("水产养殖"))
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(other->text(), QStringLiteral("水产养殖"));

    if (then) {
        click(find<QRadioButton>(qPrintable(QStringLiteral("RadioButton%1").arg(then))));
        QVERIFY(other->isHidden());
        QCOMPARE(other->text(), QString());
    }
    QCOMPARE(shell->record().get(7), line7);
    QCOMPARE(shell->record().get(8), QString());
    type(find<QLineEdit>("Edit1"), QStringLiteral("A"));
    pressNext();
    QCOMPARE(shell->record().get(7), line7);
    QCOMPARE(shell->record().get(8), line8);

    if (then) {
        // Back again: choosing 19 once more shows the field empty.
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page));
        click(find<QRadioButton>("RadioButton19"));
        QVERIFY(other->isVisible());
        QCOMPARE(other->text(), QString());
        QCOMPARE(shell->record().get(7), QStringLiteral("19"));
    }
}

void ProfileBasicTest::numberFieldsTakeDigitsAndOnePoint_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("line");
    QTest::newRow("capital: second point dropped") << "Edit3"
                                                   << ".5."
                                                   << ".5" << 3;
    QTest::newRow("capital: sign, comma, blank, letter") << "Edit3"
                                                         << "-1,2 3a4"
                                                         << "1234" << 3;
    QTest::newRow("capital: Chinese and full-width") << "Edit3"
                                                     << "3万０．"
                                                     << "3" << 3;
    QTest::newRow("assets: point last") << "Edit4"
                                        << "100.25.5"
                                        << "100.255" << 4;
    QTest::newRow("assets: leading zeros kept") << "Edit4"
                                                << "007"
                                                << "007" << 4;
    QTest::newRow("address takes anything") << "Edit2"
                                            << "1.2.3 号-A"
                                            << "1.2.3 号-A" << 2;
}

void ProfileBasicTest::numberFieldsTakeDigitsAndOnePoint()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, line);
    showPage();
    auto *edit = find<QLineEdit>(qPrintable(field));
    type(edit, typed);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(edit->maxLength(), std::numeric_limits<int>::max()); // no limit of its own
    type(find<QLineEdit>("Edit1"), QStringLiteral("A"));
    pressNext();
    QCOMPARE(shell->record().get(line), shown);
}

// Every showing and every activation puts the caret in the registered name.
void ProfileBasicTest::focusInNameOnShowAndActivation()
{
    showPage();
    auto *name = find<QLineEdit>("Edit1");
    QTRY_COMPARE(QApplication::focusWidget(), name);

    click(find<QRadioButton>("RadioButton19"));
    QTRY_COMPARE(QApplication::focusWidget(), find<QLineEdit>("Edit5"));
    // A list's popup is part of the page: picking an item keeps the focus there.
    pick(find<QComboBox>("ComboBox2"), QStringLiteral("5-10年"));
    QCOMPARE(QApplication::focusWidget(), find<QComboBox>("ComboBox2"));

    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page));
    QTRY_COMPARE(QApplication::focusWidget(), name);

    // Forward to the next page and back again.
    type(name, QStringLiteral("A"));
    pressNext();
    FoundationPage *next = shell->foundationPage();
    QVERIFY(QTest::qWaitForWindowExposed(next));
    click(next->findChild<QPushButton *>(QStringLiteral("BitBtn2")));
    QVERIFY(page->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(page));
    QTRY_COMPARE(QApplication::focusWidget(), name);
}

void ProfileBasicTest::accessibleNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("Edit1") << "Edit1"
                           << "注册全称";
    QTest::newRow("Edit2") << "Edit2"
                           << "注册地址";
    QTest::newRow("Edit3") << "Edit3"
                           << "注册资金";
    QTest::newRow("Edit4") << "Edit4"
                           << "资产总额";
    QTest::newRow("ComboBox1") << "ComboBox1"
                               << "企业类型";
    QTest::newRow("ComboBox2") << "ComboBox2"
                               << "成立年限";
    QTest::newRow("RadioButton29") << "RadioButton29"
                                   << "企业是否上市： 是";
    QTest::newRow("RadioButton30") << "RadioButton30"
                                   << "企业是否上市： 否";
    QTest::newRow("RadioButton2") << "RadioButton2"
                                  << "2.所属行业 2.采矿业";
    QTest::newRow("Edit5") << "Edit5"
                           << "19.其它，请注明";
    QTest::newRow("CheckBox6") << "CheckBox6"
                               << "3.企业家担任职务情况 其他社团成员";
}

void ProfileBasicTest::accessibleNames()
{
    QFETCH(QString, control);
    QFETCH(QString, spoken);
    auto *widget = find<QWidget>(qPrintable(control));
    QVERIFY(widget);
    QCOMPARE(widget->accessibleName(), spoken);
}

void ProfileBasicTest::fonts()
{
    QCOMPARE(page->font().pixelSize(), 16);
    QCOMPARE(page->size(), QSize(755, 495));
    auto *heading = find<QLabel>("Label1");
    QCOMPARE(heading->text(), QStringLiteral("一.企业概况"));
    QCOMPARE(heading->font().family(), QStringLiteral("微软雅黑"));
    QCOMPARE(heading->font().pixelSize(), 19);
    QVERIFY(heading->font().bold());
    QCOMPARE(find<QWidget>("GroupBox2")->font().pixelSize(), 14);
    QCOMPARE(find<QCheckBox>("CheckBox1")->font().family(), QStringLiteral("宋体"));
    QCOMPARE(find<QCheckBox>("CheckBox1")->font().pixelSize(), 14);
    QCOMPARE(find<QLineEdit>("Edit1")->font().pixelSize(), 12);
    QCOMPARE(find<QComboBox>("ComboBox2")->font().pixelSize(), 12);
    QCOMPARE(find<QLineEdit>("Edit5")->font().pixelSize(), 11);
    QCOMPARE(find<QLabel>("Label10")->text(), QStringLiteral("*"));
    QCOMPARE(find<QLabel>("Label10")->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(find<QPushButton>("BitBtn1")->text(), QStringLiteral("下一步"));
    QCOMPARE(find<QPushButton>("BitBtn1")->font().pixelSize(), 16);
    QCOMPARE(find<QComboBox>("ComboBox1")->currentIndex(), -1);
    QVERIFY(!find<QComboBox>("ComboBox1")->isEditable());
}

void ProfileBasicTest::nothingClippedOrOverlapping_data()
{
    QTest::addColumn<bool>("foundationPage");
    QTest::newRow("basic information") << false;
    QTest::newRow("foundation and CSR organisation") << true;
}

// Every control lies wholly inside its group box (or the window) and on no
// other, so no caption is cut off and every click lands where it is aimed.
void ProfileBasicTest::nothingClippedOrOverlapping()
{
    QFETCH(bool, foundationPage);
    QWidget *window = foundationPage ? static_cast<QWidget *>(shell->foundationPage()) : page;
    QList<QWidget *> containers{window};
    for (QGroupBox *group : window->findChildren<QGroupBox *>())
        containers << group;
    for (QWidget *container : containers) {
        const QList<QWidget *> controls = container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        for (QWidget *a : controls) {
            if (a->isWindow())
                continue;
            const QString what = a->objectName() + QLatin1Char(' ') + a->property("text").toString();
            QVERIFY2(container->rect().contains(a->geometry()), qPrintable(what + QStringLiteral(" is cut off")));
            QVERIFY2(a->sizeHint().width() <= a->width() || qobject_cast<QLineEdit *>(a) ||
                         qobject_cast<QComboBox *>(a),
                     qPrintable(what + QStringLiteral(" is narrower than its text")));
            for (QWidget *b : controls)
                if (a != b && !b->isWindow())
                    QVERIFY2(!a->geometry().intersects(b->geometry()),
                             qPrintable(what + QStringLiteral(" overlaps ") + b->objectName()));
        }
    }
}

SURVEY_TEST_MAIN(ProfileBasicTest)
#include "tst_profile_basic.moc"
