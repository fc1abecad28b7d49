// The shell: start-up, the intro page, window style, close confirmation, page switch, error box.
#include "pages/intro/IntroPage.h"
#include "pages/performance/PerformancePage.h"
#include "pages/profile/BasicInformationPage.h"
#include "pages/profile/FoundationPage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "survey/AnswerRecord.h"
#include "survey/ResultFileWriter.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void closeConfirmationOnEveryPage_data();
    void closeConfirmationOnEveryPage();
    void errorEscapingAHandlerReachesTheErrorBox();
};

void ShellTest::closeConfirmationOnEveryPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("answer"); // 0 No, 1 Yes, 2 Enter
    // In the shell's order, which is the order the user meets the pages.
    const char *names[] = {"intro", "basic", "foundation", "performance", "questionnaire"};
    for (int page = 0; page < 5; ++page) {
        QTest::addRow("%s No", names[page]) << page << 0;
        QTest::addRow("%s Yes", names[page]) << page << 1;
        QTest::addRow("%s Enter", names[page]) << page << 2;
    }
}

void ShellTest::closeConfirmationOnEveryPage()
{
    QFETCH(int, page);
    QFETCH(int, answer);
    Shell shell;
    shell.createPages();
    QTemporaryDir folder;
    shell.setProgramFolder(folder.path() + QLatin1Char('/'));
    shell.record().set(1, QStringLiteral("甲公司"));
    QWidget *window = shell.pages().at(page);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    ModalBoxes boxes;
    if (answer == 0)
        boxes.answerWith(QMessageBox::No);
    else if (answer == 1)
        boxes.answerWith(QMessageBox::Yes);
    else
        boxes.answerWithKey(Qt::Key_Return);
    window->close();

    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().text, QStringLiteral("填报未完成，确认退出吗?"));
    QCOMPARE(boxes.last().title, QStringLiteral("提示"));
    QCOMPARE(boxes.last().icon, QMessageBox::NoIcon);
    QCOMPARE(boxes.last().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(boxes.last().defaultButton, QMessageBox::Yes);
    QCOMPARE(window->isVisible(), answer == 0);
    QCOMPARE(shell.hasEnded(), answer != 0);
    QVERIFY(QDir(folder.path()).isEmpty()); // nothing is written either way
}

void ShellTest::errorEscapingAHandlerReachesTheErrorBox()
{
#if defined(__SANITIZE_ADDRESS__)
    // The exception unwinds through Qt's widget code, which is built without
    // exceptions: the events on its stack, and the guarded pointers they hold
    // to the button, are never released. That loss is Qt's, and happens only
    // on this last-resort path.
    __lsan::ScopedDisabler qtLosesWhatTheExceptionPasses;
#endif
    QPushButton button;
    int presses = 0;
    connect(&button, &QPushButton::clicked, [&] {
        ++presses;
        throw FileError(QStringLiteral("I/O error 28"), 28);
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    boxes.answerWith(QMessageBox::Ok);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(presses, 2);
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.last().text, QStringLiteral("I/O error 28."));
    QCOMPARE(boxes.last().title, QStringLiteral("2014全国Kelmar社会责任调研问卷填报"));
    QCOMPARE(boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(boxes.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

SURVEY_TEST_MAIN(ShellTest)
#include "tst_shell.moc"
