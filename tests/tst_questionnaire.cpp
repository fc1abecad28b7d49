// The questionnaire page: its content, the three-choice rule, the other fields,
// the ranking of question 21, the moves between tabs, and the save of lines 65 to 109.
#include "pages/performance/PerformancePage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "survey/AnswerRecord.h"
#include "survey/Captions.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/PageFixture.h"
#include "tests/support/ResultFile.h"
#include "tests/support/TestMain.h"
#include "widgets/Glyphs.h"

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

using Lines = QList<QPair<int, QString>>;
Q_DECLARE_METATYPE(Lines)

namespace {

const QString kMessageThreeOnly = QStringLiteral("本题只能选择三项");

// The 22 other fields with their lines, from the survey's table of other-field lines.
const QList<QPair<int, QString>> kOtherFieldLines = {
    {88, "Edit4"},   {89, "Edit1"},   {90, "Edit17"},  {91, "Edit20"},  {92, "Edit5"},   {93, "Edit6"},
    {94, "Edit7"},   {95, "Edit8"},   {96, "Edit9"},   {97, "Edit10"},  {98, "Edit11"},  {99, "Edit12"},
    {100, "Edit13"}, {101, "Edit2"},  {102, "Edit15"}, {103, "Edit16"}, {104, "Edit18"}, {105, "Edit19"},
    {106, "Edit3"},  {107, "Edit14"}, {108, "Edit22"}, {109, "Edit23"},
};

// Lines 65 to 109 when nothing is ticked and nothing typed.
const Lines kUntouched = {
    {65, "999999"},    {66, "999999"},   {67, "999999999"}, {68, "999999"},    {69, "999999"},  {70, "9999999999"},
    {71, "999999999"}, {72, "99999999"}, {73, "999999"},    {74, "9999"},      {75, "9999999"}, {76, "99999"},
    {77, "99999"},     {78, "99999"},    {79, "99999"},     {80, "9999999"},   {81, "9999999"}, {82, "9999999"},
    {83, "99999"},     {84, "9999999"},  {86, "999999"},    {87, "999999999"},
};

// Every line of 65 to 109 with the row's lines put over the untouched ones.
Lines withLines(const Lines &changed)
{
    QMap<int, QString> all;
    for (int line = 65; line <= 109; ++line)
        all[line] = QString();
    for (const auto &line : kUntouched)
        all[line.first] = line.second;
    for (const auto &line : changed)
        all[line.first] = line.second;
    Lines out;
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        out.append({it.key(), it.value()});
    return out;
}

QStringList tickedBoxesOf(QWidget *page, const QString &groupBox)
{
    QStringList ticked;
    for (QCheckBox *box : page->findChild<QGroupBox *>(groupBox)->findChildren<QCheckBox *>())
        if (box->isChecked())
            ticked << box->objectName();
    ticked.sort();
    return ticked;
}

} // namespace

class QuestionnaireTest : public QObject, private PageFixture<QuestionnairePage> {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void initialState();
    void captions_data();
    void captions();
    void everythingFitsItsTab();
    void threeChoiceRule_data();
    void threeChoiceRule();
    void otherField_data();
    void otherField();
    void ranking_data();
    void ranking();
    void tabButtons_data();
    void tabButtons();
    void answersSurviveMovesAndStoreNothing();
    void encoding_data();
    void encoding();
    void failedSaveKeepsEverythingAndCanBeRepeated();

private:
    // Every step goes to the control's tab first, as a person would; each is
    // true while the test has not failed, so a caller can stop at once.
    bool tick(const QString &box)
    {
        Drive::showTabOf(page, box);
        if (!QTest::currentTestFailed())
            Drive::tick(page, box);
        return !QTest::currentTestFailed();
    }
    bool press(const QString &button)
    {
        Drive::showTabOf(page, button);
        if (!QTest::currentTestFailed())
            Drive::press(page, button);
        return !QTest::currentTestFailed();
    }
    bool typeInto(const QString &field, const QString &text, Drive::Entry entry = Drive::Entry::Keys)
    {
        Drive::showTabOf(page, field);
        if (!QTest::currentTestFailed())
            Drive::typeInto(page, field, text, entry);
        return !QTest::currentTestFailed();
    }
    QTabWidget *tabWidget() const { return find<QTabWidget>("PageControl1"); }
};

void QuestionnaireTest::init()
{
    openPages(&Shell::questionnairePage);
}

void QuestionnaireTest::cleanup()
{
    closePages();
}

void QuestionnaireTest::initialState()
{
    showPage();

    QCOMPARE(page->size(), QSize(1013, 651));
    QCOMPARE(page->findChild<QLabel *>("Label1")->text(), QStringLiteral("三.企业履责现状"));
    QTabWidget *tabs = tabWidget();
    QVERIFY(tabs);
    const QStringList titles = {"1-5题", "6-10题", "11-15题", "16-20题", "21-23题"};
    QCOMPARE(tabs->count(), 5);
    for (int index = 0; index < 5; ++index) {
        QCOMPARE(tabs->tabText(index), titles[index]);
        QCOMPARE(tabs->widget(index)->objectName(), QStringLiteral("TabSheet%1").arg(index + 1));
    }
    QCOMPARE(tabs->currentIndex(), 0);

    const QList<QCheckBox *> boxes = page->findChildren<QCheckBox *>();
    QCOMPARE(boxes.size(), 150);
    for (QCheckBox *box : boxes) {
        QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
        QVERIFY(!box->isTristate());
    }
    QCOMPARE(page->findChildren<QLineEdit *>().size(), 22);
    for (const auto &other : kOtherFieldLines) {
        auto *field = page->findChild<QLineEdit *>(other.second);
        QVERIFY2(field, qPrintable(other.second));
        QVERIFY(!field->isEnabled());
        QVERIFY(field->text().isEmpty());
    }
    QVERIFY(!page->findChild<QWidget *>("Edit21"));
    QCOMPARE(page->findChild<QLabel *>("Label3")->text(), QStringLiteral("结果为："));
    QCOMPARE(page->ranking(), QString());
    QCOMPARE(page->findChild<QLabel *>("Label2")->text(), QStringLiteral("问卷结束，感谢您的配合。"));
    QCOMPARE(page->findChild<QPlainTextEdit *>("Memo1")->toPlainText(),
             QStringLiteral(
                 "    点击“保存并退出”按钮，系统自动在当前文件夹生成以“填报企业名称_填报结果.mdf”命名的文件，请将此文件"
                 "\n提交给数据收集人员。"));

    const QStringList back = {"BitBtn1", "BitBtn3", "BitBtn5", "BitBtn7", "BitBtn10"};
    const QStringList forward = {"BitBtn2", "BitBtn4", "BitBtn6", "BitBtn8", "BitBtn9"};
    for (int index = 0; index < 5; ++index) {
        QWidget *sheet = tabs->widget(index);
        QCOMPARE(sheet->findChild<QPushButton *>(back[index])->text(), QStringLiteral("上一步"));
        QCOMPARE(sheet->findChild<QPushButton *>(forward[index])->text(),
                 index == 4 ? QStringLiteral("保存退出") : QStringLiteral("下一步"));
        const QImage backGlyph = sheet->findChild<QPushButton *>(back[index])->icon().pixmap(16).toImage();
        const QImage forwardGlyph = sheet->findChild<QPushButton *>(forward[index])->icon().pixmap(16).toImage();
        QCOMPARE(backGlyph, Glyphs::icon(Glyph::Back).pixmap(16).toImage());
        QCOMPARE(forwardGlyph, Glyphs::icon(index == 4 ? Glyph::Save : Glyph::Forward).pixmap(16).toImage());
    }

    // The survey's fonts: family, pixels, bold.
    const QList<std::tuple<QString, QString, int, bool>> fonts = {
        {"Label1", "微软雅黑", 21, true},     {"PageControl1", "微软雅黑", 16, false},
        {"GroupBox9", "微软雅黑", 14, false}, {"CheckBox50", "微软雅黑", 14, false},
        {"Edit7", "宋体", 14, false},         {"Label3", "微软雅黑", 14, false},
        {"Label2", "微软雅黑", 35, false},    {"Memo1", "宋体", 16, false},
    };
    for (const auto &[name, family, pixels, bold] : fonts) {
        const QFont font = page->findChild<QWidget *>(name)->font();
        QCOMPARE(font.family(), family);
        QCOMPARE(font.pixelSize(), pixels);
        QCOMPARE(font.bold(), bold);
    }
    // Nothing is stored before the save.
    for (int line = 65; line <= 109; ++line)
        QCOMPARE(shell->record().get(line), QString());
}

void QuestionnaireTest::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("groupBox");
    QTest::addColumn<int>("tab");

    QTest::newRow("question 1") << "GroupBox1"
                                << "1.  以下选项中企业认为较重要的三项："
                                << "" << 0;
    QTest::newRow("1 F") << "CheckBox23"
                         << "F. 其他"
                         << "GroupBox1" << 0;
    QTest::newRow("2 B trailing blank") << "CheckBox7"
                                        << "B. 在财务信息报告中披露部分相关内容 "
                                        << "GroupBox2" << 0;
    QTest::newRow("3 D") << "CheckBox15"
                         << "D. 通通过SA8000社会责任认证"
                         << "GroupBox3" << 0;
    QTest::newRow("3 sixth F") << "CheckBox25"
                               << "F . CQC认证"
                               << "GroupBox3" << 0;
    QTest::newRow("3 ninth F") << "CheckBox28"
                               << "F. 其他"
                               << "GroupBox3" << 0;
    QTest::newRow("question 4") << "GroupBox4"
                                << "4. 企业希望相关部门采取哪些措施来帮助企业开展社会责任工作："
                                << "" << 0;
    QTest::newRow("question 5") << "GroupBox7"
                                << "5.  企业采取的薪酬激励方式有："
                                << "" << 0;
    QTest::newRow("6 J") << "CheckBox47"
                         << "J . 其他"
                         << "GroupBox8" << 1;
    QTest::newRow("7 H") << "CheckBox128"
                         << "H. 员工心理援助计划（EAP）"
                         << "GroupBox9" << 1;
    QTest::newRow("question 8") << "GroupBox10"
                                << "8. 企业培训内容主要包括:"
                                << "" << 1;
    QTest::newRow("8 C leading blank") << "CheckBox58"
                                       << " C. 学历培训"
                                       << "GroupBox10" << 1;
    QTest::newRow("12 A full-width point") << "CheckBox81"
                                           << "A．设立员工活动中心 "
                                           << "GroupBox14" << 2;
    QTest::newRow("14 E") << "CheckBox153"
                          << " E. 其他"
                          << "GroupBox5" << 2;
    QTest::newRow("17 E both blanks") << "CheckBox118"
                                      << " E. 办公用品回收再利用 "
                                      << "GroupBox20" << 3;
    QTest::newRow("19 C") << "CheckBox93"
                          << "C. 研发新型环保产"
                          << "GroupBox6" << 3;
    QTest::newRow("20 A tab") << "CheckBox95"
                              << "A. 技术支持\t"
                              << "GroupBox16" << 3;
    QTest::newRow("question 21") << "GroupBox23"
                                 << "21. 企业从社会责任角度选择供应商时考虑的因素依次是：（请按重要性依次点击选项）"
                                 << "" << 4;
    QTest::newRow("21 B tab") << "CheckBox136"
                              << "B. 公平竞争，不搞商业贿赂\t"
                              << "GroupBox23" << 4;
    QTest::newRow("21 C two blanks") << "CheckBox137"
                                     << "C. 员工权益与发展  "
                                     << "GroupBox23" << 4;
    QTest::newRow("21 D tab") << "CheckBox138"
                              << "D. 节能减排与环境保护\t"
                              << "GroupBox23" << 4;
    QTest::newRow("22 E") << "CheckBox129"
                          << "E. 防治腐败和商业贿赂"
                          << "GroupBox24" << 4;
    QTest::newRow("23 G") << "CheckBox130"
                          << "G. 安置下岗职工、复转军人、残疾人等特殊人群就业"
                          << "GroupBox25" << 4;
}

void QuestionnaireTest::captions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, groupBox);
    QFETCH(int, tab);
    QWidget *widget = page->findChild<QWidget *>(name);
    QVERIFY(widget);
    if (auto *box = qobject_cast<QGroupBox *>(widget)) {
        QCOMPARE(box->title(), caption);
        QCOMPARE(box->font().pixelSize(), 14);
    } else {
        auto *check = qobject_cast<QCheckBox *>(widget);
        QVERIFY(check);
        QCOMPARE(check->text(), caption);
        QCOMPARE(check->parentWidget()->objectName(), groupBox);
        QVERIFY(check->accessibleName().startsWith(page->findChild<QGroupBox *>(groupBox)->title().trimmed().left(3)));
        QVERIFY(check->accessibleName().endsWith(caption.trimmed()));
    }
    QVERIFY(tabWidget()->widget(tab)->isAncestorOf(widget));
}

void QuestionnaireTest::everythingFitsItsTab()
{
    showPage();
    QTabWidget *tabs = tabWidget();
    QVERIFY(tabs->geometry().bottom() < page->height());
    for (int index = 0; index < tabs->count(); ++index) {
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
        QWidget *sheet = tabs->widget(index);
        QVERIFY(sheet->isVisible());
        const QRect area = sheet->rect();
        QList<QRect> blocks; // group boxes, texts and buttons stacked down the tab
        for (QWidget *child : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const QRect where = child->geometry();
            QVERIFY2(area.contains(where), qPrintable(child->objectName()));
            for (const QRect &other : blocks)
                QVERIFY2(!other.intersects(where), qPrintable(child->objectName()));
            if (qobject_cast<QPushButton *>(child))
                continue; // the two buttons share a row
            blocks << where;
        }
        for (QGroupBox *group : sheet->findChildren<QGroupBox *>()) {
            QVERIFY2(group->width() > group->fontMetrics().horizontalAdvance(group->title()) + 20,
                     qPrintable(group->objectName()));
            const QList<QWidget *> parts = group->findChildren<QWidget *>();
            for (QWidget *part : parts) {
                const QRect where = part->geometry();
                QVERIFY2(group->rect().contains(where), qPrintable(part->objectName()));
                if (auto *box = qobject_cast<QCheckBox *>(part))
                    QVERIFY2(box->width() >= box->sizeHint().width(), qPrintable(box->objectName()));
                for (QWidget *other : parts)
                    if (other != part)
                        QVERIFY2(!other->geometry().intersects(where),
                                 qPrintable(part->objectName() + " / " + other->objectName()));
            }
        }
    }
    auto *label3 = page->findChild<QLabel *>("Label3");
    QVERIFY(label3->width() >= label3->fontMetrics().horizontalAdvance(QStringLiteral("结果为：")));
    QVERIFY(label3->width() >= label3->fontMetrics().horizontalAdvance(QStringLiteral("ABCDE")));
    QVERIFY(label3->y() < page->findChild<QCheckBox *>("CheckBox135")->y());
}

void QuestionnaireTest::threeChoiceRule_data()
{
    QTest::addColumn<QStringList>("clicks"); // left clicks first, each of them accepted
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<int>("how"); // 0 left, 1 right, 2 middle, 3 Space, 4 double click, 5 left beside the
                                  // caption, 6 an assistive tool's toggle
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QStringList>("ticked");

    const QStringList abc = {"CheckBox1", "CheckBox2", "CheckBox3"};
    QTest::newRow("left on D after A B C") << abc << "CheckBox4" << 0 << true << abc;
    QTest::newRow("right on D after A B C") << abc << "CheckBox4" << 1 << true << abc;
    QTest::newRow("middle on E after A B C") << abc << "CheckBox5" << 2 << true << abc;
    QTest::newRow("Space on D after A B C") << abc << "CheckBox4" << 3 << true << abc;
    QTest::newRow("double click on D after A B C") << abc << "CheckBox4" << 4 << true << abc;
    QTest::newRow("blank beside D after A B C") << abc << "CheckBox4" << 5 << false << abc;
    QTest::newRow("left on F after A B C") << abc << "CheckBox23" << 0 << true << abc;
    QTest::newRow("assistive toggle of E after A B C") << abc << "CheckBox5" << 6 << true << abc;
    QTest::newRow("assistive toggle of F after A B C") << abc << "CheckBox23" << 6 << true << abc;
    QTest::newRow("Space on F after A B C") << abc << "CheckBox23" << 3 << true << abc;
    QTest::newRow("F counts as a tick") << QStringList{"CheckBox23", "CheckBox1", "CheckBox2"} << "CheckBox3" << 0
                                        << true << QStringList{"CheckBox1", "CheckBox2", "CheckBox23"};
    QTest::newRow("third tick is allowed") << QStringList{"CheckBox1", "CheckBox2"} << "CheckBox5" << 0 << false
                                           << QStringList{"CheckBox1", "CheckBox2", "CheckBox5"};
    QTest::newRow("third tick by Space") << QStringList{"CheckBox1", "CheckBox2"} << "CheckBox3" << 3 << false << abc;
    QTest::newRow("unticking at three") << abc << "CheckBox2" << 0 << false << QStringList{"CheckBox1", "CheckBox3"};
    QTest::newRow("unticking by Space at three")
        << abc << "CheckBox3" << 3 << false << QStringList{"CheckBox1", "CheckBox2"};
    QTest::newRow("D after unticking B") << QStringList{"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox2"}
                                         << "CheckBox4" << 0 << false
                                         << QStringList{"CheckBox1", "CheckBox3", "CheckBox4"};
}

void QuestionnaireTest::threeChoiceRule()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, pressed);
    QFETCH(int, how);
    QFETCH(bool, refused);
    QFETCH(QStringList, ticked);
    showPage();
    ModalBoxes boxes;
    for (const QString &name : clicks)
        QVERIFY2(tick(name), qPrintable(name));
    QCOMPARE(boxes.count(), 0);

    auto *box = page->findChild<QCheckBox *>(pressed);
    if (refused) {
        boxes.answerWith(QMessageBox::Ok);
        if (how == 4)
            boxes.answerWith(QMessageBox::Ok);
    }
    switch (how) {
    case 0: // press and release apart, so a half-pressed box would show
        QTest::mousePress(box, Qt::LeftButton, {}, Drive::onIndicator(box));
        QCOMPARE(box->isDown(), !refused);
        QTest::mouseRelease(box, Qt::LeftButton, {}, Drive::onIndicator(box));
        break;
    case 1:
        QTest::mouseClick(box, Qt::RightButton, {}, Drive::onIndicator(box));
        break;
    case 2:
        QTest::mouseClick(box, Qt::MiddleButton, {}, Drive::onIndicator(box));
        break;
    case 3:
        QVERIFY(Drive::tabTo(box));
        QTest::keyClick(box, Qt::Key_Space);
        break;
    case 4:
        QTest::mouseDClick(box, Qt::LeftButton, {}, Drive::onIndicator(box));
        break;
    case 5: { // to whatever the window has at that point
        QWidget *group = box->parentWidget();
        const QPoint point(box->x() + box->fontMetrics().horizontalAdvance(box->text()) + 60,
                           box->geometry().center().y());
        QWidget *target = group->childAt(point) ? group->childAt(point) : group;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(group, point));
        break;
    }
    case 6:
        QAccessible::queryAccessibleInterface(box)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
        break;
    }

    QCOMPARE(tickedBoxesOf(page, "GroupBox1"), ticked);
    QVERIFY(!box->isDown());
    if (refused) {
        QVERIFY(boxes.count() >= 1);
        QCOMPARE(boxes.last().text, kMessageThreeOnly);
        QCOMPARE(boxes.last().title, QStringLiteral("2014全国Kelmar社会责任调研问卷填报"));
        QCOMPARE(boxes.last().icon, QMessageBox::Information);
        QCOMPARE(boxes.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(boxes.unexpected(), 0);
    } else {
        QCOMPARE(boxes.count(), 0);
    }
    auto *edit4 = page->findChild<QLineEdit *>("Edit4");
    QCOMPARE(edit4->isEnabled(), ticked.contains("CheckBox23"));
    QVERIFY(edit4->text().isEmpty());
}

void QuestionnaireTest::otherField_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("question");

    QTest::newRow("question 1") << "CheckBox23"
                                << "Edit4"
                                << "1.";
    QTest::newRow("question 3") << "CheckBox28"
                                << "Edit17"
                                << "3.";
    QTest::newRow("question 6") << "CheckBox47"
                                << "Edit6"
                                << "6.";
    QTest::newRow("question 10") << "CheckBox73"
                                 << "Edit10"
                                 << "10.";
    QTest::newRow("question 14") << "CheckBox153"
                                 << "Edit2"
                                 << "14.";
    QTest::newRow("question 19") << "CheckBox109"
                                 << "Edit3"
                                 << "19.";
    QTest::newRow("question 20") << "CheckBox154"
                                 << "Edit14"
                                 << "20.";
    QTest::newRow("question 23") << "CheckBox152"
                                 << "Edit23"
                                 << "23.";
}

void QuestionnaireTest::otherField()
{
    QFETCH(QString, option);
    QFETCH(QString, field);
    QFETCH(QString, question);
    showPage();
    auto *edit = page->findChild<QLineEdit *>(field);
    QVERIFY(edit->accessibleName().startsWith(question));
    QVERIFY(edit->accessibleName().endsWith(QStringLiteral("其他")));

    QVERIFY(tick(option));
    QVERIFY(edit->isEnabled());
    QVERIFY(edit->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), "typed here");
    QCOMPARE(edit->text(), QStringLiteral("typed here"));

    QVERIFY(tick(option));
    QVERIFY(!edit->isEnabled());
    QCOMPARE(edit->text(), QString());

    // Ticked again by the keyboard: an empty field that takes the typing.
    auto *box = page->findChild<QCheckBox *>(option);
    QVERIFY(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(box->isChecked());
    QVERIFY(edit->isEnabled());
    QCOMPARE(edit->text(), QString());
    QVERIFY(edit->hasFocus());
}

void QuestionnaireTest::ranking_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("labels"); // Label3 after each click

    QTest::newRow("C A E, then A off, then C and E off")
        << QStringList{"CheckBox137", "CheckBox135", "CheckBox139", "CheckBox135", "CheckBox137", "CheckBox139"}
        << QStringList{"C", "CA", "CAE", "CE", "E", ""};
    QTest::newRow("C E A again") << QStringList{"CheckBox137", "CheckBox135", "CheckBox139", "CheckBox135",
                                                "CheckBox135"}
                                 << QStringList{"C", "CA", "CAE", "CE", "CEA"};
    QTest::newRow("all five in reverse") << QStringList{"CheckBox139", "CheckBox138", "CheckBox137", "CheckBox136",
                                                        "CheckBox135"}
                                         << QStringList{"E", "ED", "EDC", "EDCB", "EDCBA"};
    QTest::newRow("B on and off") << QStringList{"CheckBox136", "CheckBox136"} << QStringList{"B", ""};
}

void QuestionnaireTest::ranking()
{
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, labels);
    showPage();
    auto *label = page->findChild<QLabel *>("Label3");
    for (int step = 0; step < clicks.size(); ++step) {
        QVERIFY(tick(clicks[step]));
        QCOMPARE(label->text(), labels[step]);
        QCOMPARE(page->ranking(), labels[step]);
    }
}

void QuestionnaireTest::tabButtons_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("focus");

    QTest::newRow("BitBtn2") << 0 << "BitBtn2" << 1 << "CheckBox38";
    QTest::newRow("BitBtn3") << 1 << "BitBtn3" << 0 << "CheckBox1";
    QTest::newRow("BitBtn4") << 1 << "BitBtn4" << 2 << "CheckBox74";
    QTest::newRow("BitBtn5") << 2 << "BitBtn5" << 1 << "CheckBox38";
    QTest::newRow("BitBtn6") << 2 << "BitBtn6" << 3 << "CheckBox101";
    QTest::newRow("BitBtn7") << 3 << "BitBtn7" << 2 << "CheckBox74";
    QTest::newRow("BitBtn8") << 3 << "BitBtn8" << 4 << "CheckBox135";
    QTest::newRow("BitBtn10") << 4 << "BitBtn10" << 3 << "CheckBox101";
}

void QuestionnaireTest::tabButtons()
{
    QFETCH(int, from);
    QFETCH(QString, button);
    QFETCH(int, to);
    QFETCH(QString, focus);
    showPage();
    QTabWidget *tabs = tabWidget();
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(from).center());
    QCOMPARE(tabs->currentIndex(), from);
    QVERIFY(press(button));
    QCOMPARE(tabs->currentIndex(), to);
    QCOMPARE(QApplication::focusWidget(), page->findChild<QWidget *>(focus));
    QVERIFY(page->isVisible());
}

void QuestionnaireTest::answersSurviveMovesAndStoreNothing()
{
    showPage();
    QVERIFY(tick("CheckBox2"));
    QVERIFY(tick("CheckBox23"));
    QVERIFY(typeInto("Edit4", "own answer"));
    QVERIFY(tick("CheckBox63"));
    QVERIFY(tick("CheckBox138"));
    QVERIFY(tick("CheckBox136"));
    QVERIFY(tick("CheckBox152"));
    QVERIFY(typeInto("Edit23", "volunteers"));

    // Across all tabs by buttons, back to the performance page and forward again.
    QTabWidget *tabs = tabWidget();
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(2).center());
    QVERIFY(press("BitBtn5"));
    QVERIFY(press("BitBtn3"));
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(press("BitBtn1"));
    PerformancePage *form3 = shell->performancePage();
    QVERIFY(form3->isVisible());
    QVERIFY(!page->isVisible());
    for (int line = 25; line <= 139; ++line)
        QCOMPARE(shell->record().get(line), QString());

    auto *form3Tabs = form3->findChild<QTabWidget *>("PageControl1");
    QVERIFY(form3Tabs);
    const int last = form3Tabs->count() - 1;
    QTest::mouseClick(form3Tabs->tabBar(), Qt::LeftButton, {}, form3Tabs->tabBar()->tabRect(last).center());
    auto *form3Next = form3Tabs->widget(last)->findChild<QPushButton *>("BitBtn6");
    QVERIFY(form3Next);
    QTest::mouseClick(form3Next, Qt::LeftButton);
    QVERIFY(page->isVisible());
    QCOMPARE(tabs->currentIndex(), 0);

    QCOMPARE(tickedBoxesOf(page, "GroupBox1"), (QStringList{"CheckBox2", "CheckBox23"}));
    QCOMPARE(page->findChild<QLineEdit *>("Edit4")->text(), QStringLiteral("own answer"));
    QVERIFY(page->findChild<QCheckBox *>("CheckBox63")->isChecked());
    QCOMPARE(page->findChild<QLabel *>("Label3")->text(), QStringLiteral("DB"));
    QCOMPARE(page->findChild<QLineEdit *>("Edit23")->text(), QStringLiteral("volunteers"));
    for (int line = 65; line <= 109; ++line)
        QCOMPARE(shell->record().get(line), QString());
}

void QuestionnaireTest::encoding_data()
{
    // Actions: "CheckBoxN" clicks a box, "EditN=text" types keys, "EditN~text" commits through
    // an input method, "*" clicks every box of questions 2 to 20, 22 and 23.
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<Lines>("lines");

    QTest::newRow("nothing") << QStringList{} << withLines({});

    QStringList everything = {"CheckBox2",   "CheckBox4",   "CheckBox23",  "*",          "CheckBox137",
                              "CheckBox135", "CheckBox139", "CheckBox136", "CheckBox138"};
    Lines everyLine = {
        {65, "919191"},    {66, "111111"},   {67, "111111111"}, {68, "111111"},  {69, "111111"},    {70, "1111111111"},
        {71, "111111111"}, {72, "11111111"}, {73, "111111"},    {74, "1111"},    {75, "1111111"},   {76, "11111"},
        {77, "11111"},     {78, "11111"},    {79, "11111"},     {80, "1111111"}, {81, "1111111"},   {82, "1111111"},
        {83, "11111"},     {84, "1111111"},  {85, "CAEBD"},     {86, "111111"},  {87, "111111111"},
    };
    for (const auto &other : kOtherFieldLines) {
        everything << other.second + "=line " + QString::number(other.first);
        everyLine.append({other.first, "line " + QString::number(other.first)});
    }
    QTest::newRow("every box and field") << everything << withLines(everyLine);

    QTest::newRow("1 A C F") << QStringList{"CheckBox1", "CheckBox3", "CheckBox23", "Edit4=gifts"}
                             << withLines({{65, "191991"}, {88, "gifts"}});
    QTest::newRow("2 F with an empty field") << QStringList{"CheckBox11"} << withLines({{66, "999991"}});
    QTest::newRow("3 ninth alone") << QStringList{"CheckBox28"} << withLines({{67, "999999991"}});
    QTest::newRow("3 sixth alone") << QStringList{"CheckBox25"} << withLines({{67, "999991999"}});
    QTest::newRow("7 H alone") << QStringList{"CheckBox128"} << withLines({{71, "999999919"}});
    QTest::newRow("2 E with A to D") << QStringList{"CheckBox6", "CheckBox7", "CheckBox8", "CheckBox9", "CheckBox10"}
                                     << withLines({{66, "111119"}});
    QTest::newRow("21 C A E") << QStringList{"CheckBox137", "CheckBox135", "CheckBox139"} << withLines({{85, "CAE"}});
    QTest::newRow("21 C A, A off") << QStringList{"CheckBox137", "CheckBox135", "CheckBox135"}
                                   << withLines({{85, "C"}});
    QTest::newRow("21 on and off") << QStringList{"CheckBox136", "CheckBox136"} << withLines({});
    QTest::newRow("23 blanks kept") << QStringList{"CheckBox152", "Edit23=  both sides  "}
                                    << withLines({{87, "999999991"}, {109, "  both sides  "}});
    QTest::newRow("6 Chinese text") << QStringList{"CheckBox47", "Edit6~员工持股计划"}
                                    << withLines({{70, "9999999991"}, {93, "员工持股计划"}});
    QTest::newRow("10 typed then unticked") << QStringList{"CheckBox73", "Edit10=abc", "CheckBox73"} << withLines({});
    QTest::newRow("22 and 14") << QStringList{"CheckBox129", "CheckBox144", "Edit22=audit", "CheckBox30"}
                               << withLines({{86, "999911"}, {108, "audit"}, {78, "99199"}});
}

void QuestionnaireTest::encoding()
{
    QFETCH(QStringList, actions);
    QFETCH(Lines, lines);
    const QString name = QStringLiteral("甲公司");
    shell->record().set(1, name);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    shell->setProgramFolder(folder.path() + "/");
    showPage();

    for (const QString &action : actions) {
        if (action == "*") {
            for (QCheckBox *box : page->findChildren<QCheckBox *>()) {
                const QString group = box->parentWidget()->objectName();
                if (group != "GroupBox1" && group != "GroupBox23")
                    QVERIFY2(tick(box->objectName()), qPrintable(box->objectName()));
            }
        } else if (action.startsWith("CheckBox")) {
            QVERIFY2(tick(action), qPrintable(action));
        } else {
            const qsizetype mark = action.indexOf(QRegularExpression("[=~]"));
            QVERIFY2(typeInto(action.left(mark), action.mid(mark + 1),
                              action[mark] == '~' ? Drive::Entry::InputMethod : Drive::Entry::Keys),
                     qPrintable(action));
        }
    }

    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    QVERIFY(press("BitBtn9"));
    QCOMPARE(boxes.count(), 1);
    const QString path = folder.path() + "/" + name + "_填报结果.dbf";
    QCOMPARE(boxes.last().text, Captions::kSavedAs.toString() + path);
    QVERIFY(shell->hasEnded());

    Lines all = lines;
    all.prepend({1, name});
    const QByteArray bytes = ResultFile::readBytes(path);
    QCOMPARE(ResultFile::lines(bytes).mid(64, 45), ResultFile::lines(ResultFile::expected(all)).mid(64, 45));
    QCOMPARE(bytes, ResultFile::expected(all));
}

void QuestionnaireTest::failedSaveKeepsEverythingAndCanBeRepeated()
{
    shell->record().set(1, QStringLiteral("甲/乙公司"));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    shell->setProgramFolder(folder.path() + "/");
    showPage();
    QVERIFY(tick("CheckBox3"));
    QVERIFY(tick("CheckBox23"));
    QVERIFY(typeInto("Edit4", "kept"));
    QVERIFY(tick("CheckBox139"));
    QVERIFY(tick("CheckBox135"));

    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    QVERIFY(press("BitBtn9"));
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().text, QStringLiteral("Invalid filename."));
    QCOMPARE(boxes.last().title, QStringLiteral("2014全国Kelmar社会责任调研问卷填报"));
    QCOMPARE(boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(boxes.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!shell->hasEnded());
    QVERIFY(page->isVisible());
    QCOMPARE(tabWidget()->currentIndex(), 4);
    QCOMPARE(tickedBoxesOf(page, "GroupBox1"), (QStringList{"CheckBox23", "CheckBox3"}));
    QCOMPARE(page->findChild<QLineEdit *>("Edit4")->text(), QStringLiteral("kept"));
    QCOMPARE(page->findChild<QLabel *>("Label3")->text(), QStringLiteral("EA"));
    QVERIFY(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    const AnswerRecord &record = shell->record();
    QCOMPARE(record.get(65), QStringLiteral("991991"));
    QCOMPARE(record.get(66), QStringLiteral("999999"));
    QCOMPARE(record.get(84), QStringLiteral("9999999"));
    QCOMPARE(record.get(85), QStringLiteral("EA"));
    QCOMPARE(record.get(87), QStringLiteral("999999999"));
    QCOMPARE(record.get(88), QStringLiteral("kept"));
    QCOMPARE(record.get(109), QString());

    shell->record().set(1, QStringLiteral("甲乙公司"));
    boxes.answerWith(QMessageBox::Ok);
    QVERIFY(press("BitBtn9"));
    QCOMPARE(boxes.count(), 2);
    const QString path = folder.path() + QStringLiteral("/甲乙公司_填报结果.dbf");
    QCOMPARE(boxes.last().text, Captions::kSavedAs.toString() + path);
    QCOMPARE(boxes.last().icon, QMessageBox::NoIcon);
    QVERIFY(shell->hasEnded());
    const QStringList lines = ResultFile::lines(ResultFile::readBytes(path));
    QCOMPARE(lines.size(), 139);
    QCOMPARE(lines[0], QStringLiteral("甲乙公司"));
    QCOMPARE(lines[64], QStringLiteral("991991"));
    QCOMPARE(lines[84], QStringLiteral("EA"));
    QCOMPARE(lines[87], QStringLiteral("kept"));
}

SURVEY_TEST_MAIN(QuestionnaireTest)
#include "tst_questionnaire.moc"
