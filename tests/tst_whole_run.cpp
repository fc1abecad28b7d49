// Whole runs: from the intro page through the four pages to the result file on
// disk, through the real widgets, compared byte for byte with files written by hand.
#include "pages/intro/IntroPage.h"
#include "pages/performance/PerformancePage.h"
#include "pages/profile/BasicInformationPage.h"
#include "pages/profile/FoundationPage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "survey/AnswerRecord.h"
#include "survey/Captions.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/PageFixture.h"
#include "tests/support/ResultFile.h"
#include "tests/support/TestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

QString nines(int n)
{
    return QString(n, QLatin1Char('9'));
}

using Lines = QList<QPair<int, QString>>;

// The questionnaire's 22 code lines with nothing ticked.
Lines untickedCodeLines()
{
    const int lengths[] = {6, 6, 9, 6, 6, 10, 9, 8, 6, 4, 7, 5, 5, 5, 5, 7, 7, 7, 5, 7};
    Lines lines;
    for (int i = 0; i < 20; ++i)
        lines << qMakePair(65 + i, nines(lengths[i]));
    lines << qMakePair(86, nines(6)) << qMakePair(87, nines(9));
    return lines;
}

Lines merged(Lines base, const Lines &over)
{
    for (const auto &line : over) {
        base.erase(std::remove_if(base.begin(), base.end(), [&](const auto &l) { return l.first == line.first; }),
                   base.end());
        base << line;
    }
    return base;
}

} // namespace

using namespace Drive;

class WholeRunTest : public QObject, private PageFixture<IntroPage> {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void onlyTheEnterpriseName();
    void everyPageFilledWithMovesBackAndForth();
    void failedSaveThenCorrectedName();

private:
    void throughToTheQuestionnaire();
    void saveAndCompare(const QString &name, const Lines &lines);

    std::unique_ptr<QTemporaryDir> folder_;
};

void WholeRunTest::init()
{
    openPages(&Shell::introPage);
    folder_ = std::make_unique<QTemporaryDir>();
    shell->setProgramFolder(folder_->path() + QLatin1Char('/'));
    showPage();
}

void WholeRunTest::cleanup()
{
    closePages();
    folder_.reset();
}

// From the foundation page's "下一步" through the three performance tabs and
// the first four questionnaire tabs, changing nothing.
void WholeRunTest::throughToTheQuestionnaire()
{
    press(shell->foundationPage(), "BitBtn1");
    QVERIFY(shell->performancePage()->isVisible());
    press(shell->performancePage(), "BitBtn2");
    press(shell->performancePage(), "BitBtn4");
    press(shell->performancePage(), "BitBtn6");
    QVERIFY(shell->questionnairePage()->isVisible());
    press(shell->questionnairePage(), "BitBtn2");
    press(shell->questionnairePage(), "BitBtn4");
    press(shell->questionnairePage(), "BitBtn6");
    press(shell->questionnairePage(), "BitBtn8");
}

void WholeRunTest::saveAndCompare(const QString &name, const Lines &lines)
{
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    press(shell->questionnairePage(), "BitBtn9");
    const QString path = folder_->path() + QLatin1Char('/') + name + QStringLiteral("_填报结果.dbf");
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().text, Captions::kSavedAs.toString() + path);
    QVERIFY(shell->hasEnded());
    for (QWidget *page : shell->pages())
        QVERIFY(!page->isVisible());

    const QByteArray bytes = ResultFile::readBytes(path);
    const QByteArray expected = ResultFile::expected(lines);
    if (bytes != expected) { // name the first differing line before failing
        const QStringList got = ResultFile::lines(bytes), want = ResultFile::lines(expected);
        for (int i = 0; i < std::min(got.size(), want.size()); ++i)
            QCOMPARE(QStringLiteral("%1: ").arg(i + 1) + got[i], QStringLiteral("%1: ").arg(i + 1) + want[i]);
    }
    QCOMPARE(bytes, expected);
}

void WholeRunTest::onlyTheEnterpriseName()
{
    press(shell->introPage(), "BitBtn1");
    QVERIFY(shell->basicInformationPage()->isVisible());
    typeInto(shell->basicInformationPage(), "Edit1", QStringLiteral("甲公司"));
    press(shell->basicInformationPage(), "BitBtn1");
    QVERIFY(shell->foundationPage()->isVisible());
    throughToTheQuestionnaire();

    saveAndCompare(QStringLiteral("甲公司"), merged(untickedCodeLines(), {{1, QStringLiteral("甲公司")},
                                                                          {9, QStringLiteral("999999")},
                                                                          {138, QStringLiteral("9999999999")}}));
}

void WholeRunTest::everyPageFilledWithMovesBackAndForth()
{
    QWidget *basic = shell->basicInformationPage();
    QWidget *foundation = shell->foundationPage();
    QWidget *performance = shell->performancePage();
    QWidget *questions = shell->questionnairePage();

    press(shell->introPage(), "BitBtn1");
    typeInto(basic, "Edit1", QStringLiteral(" 甲乙科技有限公司 "));
    typeInto(basic, "Edit2", QStringLiteral("北京市海淀区"));
    typeInto(basic, "Edit3", QStringLiteral("500.5"));
    typeInto(basic, "Edit4", QStringLiteral("1200"));
    pick(basic, "ComboBox1", QStringLiteral("股份有限公司"));
    pick(basic, "ComboBox2", QStringLiteral("10-20年"));
    tick(basic, "RadioButton19");
    typeInto(basic, "Edit5", QStringLiteral("咨询业"));
    tick(basic, "RadioButton29");
    tick(basic, "CheckBox2");
    tick(basic, "CheckBox6");
    press(basic, "BitBtn1");

    tick(foundation, "RadioButton31");
    typeInto(foundation, "Edit6", QStringLiteral("甲乙公益基金"));
    typeInto(foundation, "Edit7", QStringLiteral("100.5"));
    typeInto(foundation, "Edit8", QStringLiteral("50"));
    pick(foundation, "ComboBox6", QStringLiteral("2010年"));
    tick(foundation, "RadioButton21");
    tick(foundation, "RadioButton23");
    typeInto(foundation, "Edit11", QStringLiteral("GRI"));
    typeInto(foundation, "Edit9", QStringLiteral("官方网站"));
    tick(foundation, "CheckBox7");
    tick(foundation, "CheckBox10");
    pick(foundation, "ComboBox3", QStringLiteral("11-30页"));
    pick(foundation, "ComboBox5", QStringLiteral("2012年"));
    typeInto(foundation, "Edit10", QStringLiteral("3"));

    // Back to the first page to correct the address, then forward again.
    press(foundation, "BitBtn2");
    QVERIFY(basic->isVisible());
    typeInto(basic, "Edit2", QStringLiteral("北京市朝阳区"));
    press(basic, "BitBtn1");
    press(foundation, "BitBtn1");
    QVERIFY(performance->isVisible());

    typeInto(performance, "Edit1", QStringLiteral("1000"));
    typeInto(performance, "Edit2", QStringLiteral("1100"));
    typeInto(performance, "Edit7", QStringLiteral("320"));
    typeInto(performance, "Edit29", QStringLiteral("8."));
    press(performance, "BitBtn2");
    typeInto(performance, "Edit34", QStringLiteral("5"));
    typeInto(performance, "Edit62", QStringLiteral(".5"));
    press(performance, "BitBtn4");
    typeInto(performance, "Edit15", QStringLiteral("2"));
    typeInto(performance, "Edit24", QStringLiteral("40"));
    tick(performance, "CheckBox3");
    typeInto(performance, "Edit42", QStringLiteral("12.5"));
    tick(performance, "CheckBox10");
    typeInto(performance, "Edit31", QStringLiteral("养老服务"));
    typeInto(performance, "Edit27", QStringLiteral("3"));
    typeInto(performance, "Edit30", QStringLiteral("4"));
    press(performance, "BitBtn6");
    QVERIFY(questions->isVisible());

    tick(questions, "CheckBox1");
    tick(questions, "CheckBox3");
    tick(questions, "CheckBox23");
    typeInto(questions, "Edit4", QStringLiteral("社区共建"));
    tick(questions, "CheckBox25");
    // Back to the performance page from the first tab, change a figure, forward again.
    press(questions, "BitBtn1");
    QVERIFY(performance->isVisible());
    QCOMPARE(Drive::control<QTabWidget>(performance, "PageControl1")->currentIndex(), 2);
    typeInto(performance, "Edit15", QStringLiteral("6"));
    press(performance, "BitBtn6");
    QCOMPARE(Drive::control<QTabWidget>(questions, "PageControl1")->currentIndex(), 0);

    press(questions, "BitBtn2");
    tick(questions, "CheckBox128");
    press(questions, "BitBtn4");
    press(questions, "BitBtn6");
    tick(questions, "CheckBox154");
    press(questions, "BitBtn8");
    tick(questions, "CheckBox137");
    tick(questions, "CheckBox135");
    tick(questions, "CheckBox139");
    tick(questions, "CheckBox152");
    typeInto(questions, "Edit23", QStringLiteral(" 其他途径 "));

    saveAndCompare(QStringLiteral(" 甲乙科技有限公司 "),
                   merged(untickedCodeLines(), {
                                                   {1, QStringLiteral(" 甲乙科技有限公司 ")},
                                                   {2, QStringLiteral("北京市朝阳区")},
                                                   {3, QStringLiteral("500.5")},
                                                   {4, QStringLiteral("1200")},
                                                   {5, QStringLiteral("股份有限公司")},
                                                   {6, QStringLiteral("10-20年")},
                                                   {7, QStringLiteral("19")},
                                                   {8, QStringLiteral("咨询业")},
                                                   {9, QStringLiteral("919991")},
                                                   {10, QStringLiteral("1")},
                                                   {11, QStringLiteral("1")},
                                                   {12, QStringLiteral("甲乙公益基金")},
                                                   {13, QStringLiteral("100.5")},
                                                   {14, QStringLiteral("50")},
                                                   {15, QStringLiteral("2010年")},
                                                   {16, QStringLiteral("B")},
                                                   {17, QStringLiteral("1")},
                                                   {18, QStringLiteral("GRI")},
                                                   {19, QStringLiteral("9")},
                                                   {20, QStringLiteral("11-30页")},
                                                   {21, QStringLiteral("官方网站")},
                                                   {22, QStringLiteral("1")},
                                                   {23, QStringLiteral("2012年")},
                                                   {24, QStringLiteral("3")},
                                                   {25, QStringLiteral("1000")},
                                                   {27, QStringLiteral("320")},
                                                   {35, QStringLiteral("1100")},
                                                   {44, QStringLiteral("8.")},
                                                   {45, QStringLiteral("5")},
                                                   {64, QStringLiteral(".5")},
                                                   {65, QStringLiteral("191991")},
                                                   {67, QStringLiteral("999991999")},
                                                   {71, QStringLiteral("999999919")},
                                                   {84, QStringLiteral("9999991")},
                                                   {85, QStringLiteral("CAE")},
                                                   {87, QStringLiteral("999999991")},
                                                   {88, QStringLiteral("社区共建")},
                                                   {109, QStringLiteral(" 其他途径 ")},
                                                   {110, QStringLiteral("6")},
                                                   {116, QStringLiteral("12.5")},
                                                   {123, QStringLiteral("3")},
                                                   {127, QStringLiteral("40")},
                                                   {137, QStringLiteral("4")},
                                                   {138, QStringLiteral("9919999991")},
                                                   {139, QStringLiteral("养老服务")},
                                               }));
}

void WholeRunTest::failedSaveThenCorrectedName()
{
    press(shell->introPage(), "BitBtn1");
    typeInto(shell->basicInformationPage(), "Edit1", QStringLiteral("甲/乙"));
    press(shell->basicInformationPage(), "BitBtn1");
    throughToTheQuestionnaire();
    tick(shell->questionnairePage(), "CheckBox137");
    tick(shell->questionnairePage(), "CheckBox141");

    {
        ModalBoxes boxes;
        boxes.answerWith(QMessageBox::Ok);
        press(shell->questionnairePage(), "BitBtn9");
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().text, QStringLiteral("Invalid filename."));
        QCOMPARE(boxes.last().title, QStringLiteral("2014全国Kelmar社会责任调研问卷填报"));
        QCOMPARE(boxes.last().icon, QMessageBox::Critical);
    }
    QVERIFY(!shell->hasEnded());
    QVERIFY(shell->questionnairePage()->isVisible());
    QCOMPARE(Drive::control<QTabWidget>(shell->questionnairePage(), "PageControl1")->currentIndex(), 4);
    QVERIFY(Drive::control<QCheckBox>(shell->questionnairePage(), "CheckBox137")->isChecked());
    QCOMPARE(shell->record().get(85), QStringLiteral("C"));
    QVERIFY(QDir(folder_->path()).isEmpty());

    // Back through the pages to correct the name, then forward and save again.
    press(shell->questionnairePage(), "BitBtn10");
    press(shell->questionnairePage(), "BitBtn7");
    press(shell->questionnairePage(), "BitBtn5");
    press(shell->questionnairePage(), "BitBtn3");
    press(shell->questionnairePage(), "BitBtn1");
    press(shell->performancePage(), "BitBtn5");
    press(shell->performancePage(), "BitBtn3");
    press(shell->performancePage(), "BitBtn1");
    press(shell->foundationPage(), "BitBtn2");
    typeInto(shell->basicInformationPage(), "Edit1", QStringLiteral("甲乙"));
    press(shell->basicInformationPage(), "BitBtn1");
    throughToTheQuestionnaire();
    saveAndCompare(QStringLiteral("甲乙"), merged(untickedCodeLines(), {{1, QStringLiteral("甲乙")},
                                                                        {9, QStringLiteral("999999")},
                                                                        {85, QStringLiteral("C")},
                                                                        {86, QStringLiteral("919999")},
                                                                        {138, QStringLiteral("9999999999")}}));
}

SURVEY_TEST_MAIN(WholeRunTest)
#include "tst_whole_run.moc"
