// Drafts: nothing typed is lost to a closed window, a crash or a killed
// process. The draft's text form, offering it back and restoring every page,
// drafts that cannot be read, a draft folder that cannot be written, and a
// real process killed half-way.
#include "app/DraftKeeper.h"
#include "app/DraftStore.h"
#include "app/PageState.h"
#include "app/Shell.h"
#include "app/SurveyApplication.h"
#include "pages/intro/IntroPage.h"
#include "pages/performance/PerformancePage.h"
#include "pages/profile/BasicInformationPage.h"
#include "pages/profile/FoundationPage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/RandomFiller.h"
#include "tests/support/ResultFile.h"
#include "tests/support/TestPlatform.h"
#include "widgets/Page.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

const QString kAskPrefix = QStringLiteral("发现未完成的填报（");
const QString kAskSuffix = QStringLiteral("），是否继续填报？");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Fills the first pages, seed by seed, and leaves the person on the performance page.
void fillProfilePages(Shell &shell, quint32 seed)
{
    RandomFiller filler(seed);
    RandomFiller::press(shell.introPage(), QStringLiteral("开始填报"));
    filler.fillPage(shell.page(Survey::PageId::BasicInformation));
    filler.fillPage(shell.page(Survey::PageId::Foundation));
}

// Fills the rest and saves; returns the saved file's bytes.
QByteArray fillTheRestAndSave(Shell &shell, ModalBoxes &boxes, quint32 seed)
{
    RandomFiller filler(seed + 1000);
    filler.fillPage(shell.page(Survey::PageId::Performance));
    filler.fillPage(shell.page(Survey::PageId::Questionnaire));
    boxes.answerWith(QMessageBox::Ok);
    RandomFiller::press(shell.questionnairePage(), QStringLiteral("保存退出"));
    if (!shell.hasEnded())
        return {};
    return ResultFile::readBytes(boxes.last().text.mid(QStringLiteral("填报结果保存为:").size()));
}

// The child of the crash test: the program's own start-up, filled part-way,
// then it waits to be killed.
int crashChild(int argc, char *argv[])
{
    SurveyApplication application(argc, argv);
    Shell::prepareApplication();
    application.setAttribute(Qt::AA_Use96Dpi, true);
    DraftStore drafts(QString::fromLocal8Bit(argv[2]));
    Shell shell;
    shell.useDrafts(drafts);
    shell.start();
    if (!QTest::qWaitForWindowExposed(shell.introPage()))
        return 3;
    fillProfilePages(shell, quint32(std::atoi(argv[3])));
    shell.performancePage()->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setFocus();
    QTest::keyClicks(shell.performancePage()->findChild<QLineEdit *>(QStringLiteral("Edit1")), "42");
    QTest::qWait(DraftKeeper::kDelayMs * 2); // the typing reaches the draft by itself
    drafts.waitForWrites();
    std::printf("ready\n");
    std::fflush(stdout);
    return QApplication::exec(); // until killed
}

} // namespace

class DraftsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void draftTextReadsBackWhatWasWritten();
    void everyCutOffDraftIsRefused();
    void closedWindowKeepsTheDraftAndTheNextStartRestoresEveryPage();
    void declinedDraftIsDeleted();
    void unreadableDraftIsMovedAsideAndTheRunStartsEmpty_data();
    void unreadableDraftIsMovedAsideAndTheRunStartsEmpty();
    void draftFollowsChangesAndMoves();
    void unwritableDraftFolderIsToldOnceAndNothingElseChanges();
    void saveRemovesTheDraft();
    void openedFileLeavesAnEarlierDraftUntilTheSave();
    void killedProcessResumesToTheSameFile();

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString draftFolder() const { return folder_->filePath(QStringLiteral("drafts")); }
    QString programFolder() const { return folder_->path() + QLatin1Char('/'); }
};

void DraftsTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
}

void DraftsTest::cleanup()
{
    folder_.reset();
}

void DraftsTest::draftTextReadsBackWhatWasWritten()
{
    Draft draft;
    draft.savedAt = QDateTime(QDate(2026, 12, 9), QTime(8, 30, 15, 250));
    draft.lines[0] = QStringLiteral(" 甲\\乙 ");
    draft.lines[18] = QStringLiteral("1");
    draft.lines[84] = QStringLiteral("CAE");
    draft.controls.insert(QStringLiteral("Form2/Edit1"), QStringLiteral("a\\nb\nc\r"));
    draft.controls.insert(QStringLiteral("Form3/CheckBox1"), QStringLiteral("1"));
    draft.ranking = QStringLiteral("CAE");
    draft.page = 3;
    draft.tab = 2;
    const Draft::Parsed parsed = Draft::fromText(draft.toText());
    QVERIFY2(parsed.ok(), qPrintable(parsed.reason));
    QCOMPARE(parsed.draft.savedAt, draft.savedAt);
    QCOMPARE(parsed.draft.lines, draft.lines);
    QCOMPARE(parsed.draft.controls, draft.controls);
    QCOMPARE(parsed.draft.ranking, draft.ranking);
    QCOMPARE(parsed.draft.page, 3);
    QCOMPARE(parsed.draft.tab, 2);
    QVERIFY(parsed.draft.holdsAnswers());
    QVERIFY(!Draft().holdsAnswers());
}

void DraftsTest::everyCutOffDraftIsRefused()
{
    Draft draft;
    draft.savedAt = QDateTime::currentDateTime();
    draft.lines[0] = QStringLiteral("甲公司");
    draft.controls.insert(QStringLiteral("Form2/Edit1"), QStringLiteral("甲公司"));
    const QByteArray text = draft.toText();
    // A crash can stop a write anywhere; only the whole text is a draft.
    for (qsizetype length = 0; length < text.size(); ++length)
        QVERIFY2(!Draft::fromText(text.left(length)).ok(), qPrintable(QString::number(length)));
    QVERIFY(Draft::fromText(text).ok());

    QRandomGenerator random(7);
    for (int i = 0; i < 2000; ++i) { // and damaged bytes never crash the reader
        QByteArray damaged = text;
        for (int n = 0; n < 3; ++n)
            damaged[qsizetype(random.bounded(int(damaged.size())))] = char(random.bounded(256));
        Draft::fromText(damaged);
    }
}

void DraftsTest::closedWindowKeepsTheDraftAndTheNextStartRestoresEveryPage()
{
    Draft left;
    {
        DraftStore drafts(draftFolder());
        Shell shell;
        shell.useDrafts(drafts);
        ModalBoxes boxes;
        shell.start();
        fillProfilePages(shell, 11);
        RandomFiller filler(99);
        filler.fillPage(shell.page(Survey::PageId::Performance));
        filler.fillPage(shell.page(Survey::PageId::Questionnaire));
        shell.questionnairePage()->showTab(4);
        left = PageState::capture(shell);
        boxes.answerWith(QMessageBox::Yes); // "填报未完成，确认退出吗?"
        QVERIFY(shell.questionnairePage()->isVisible());
        QVERIFY(shell.questionnairePage()->close());
        QCOMPARE(boxes.last().text, QStringLiteral("填报未完成，确认退出吗?"));
        QVERIFY(shell.hasEnded());
    }
    DraftStore drafts(draftFolder());
    QVERIFY(drafts.exists());
    Shell shell;
    shell.useDrafts(drafts);
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Yes);
    shell.start();
    QTRY_COMPARE(boxes.count(), 1);
    const SeenBox &box = boxes.last();
    const QString name = left.controls.value(QStringLiteral("Form2/Edit1"));
    QCOMPARE(box.text, kAskPrefix + name + QStringLiteral("，") +
                           left.savedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")) + kAskSuffix);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.defaultButton, QMessageBox::Yes);

    // Every page as it was left, and the person back where they were.
    const Draft back = PageState::capture(shell);
    QCOMPARE(back.controls, left.controls);
    QCOMPARE(back.lines, left.lines);
    QCOMPARE(back.ranking, left.ranking);
    QCOMPARE(shell.currentPage(), shell.page(Survey::PageId::Questionnaire));
    QCOMPARE(shell.questionnairePage()->currentTab(), 4);
    QCOMPARE(shell.questionnairePage()->findChild<QLabel *>(QStringLiteral("Label3"))->text(), left.ranking);
    Page *basic = shell.page(Survey::PageId::BasicInformation);
    QCOMPARE(basic->findChild<QLineEdit *>(QStringLiteral("Edit5"))->isHidden(),
             !basic->findChild<QRadioButton *>(QStringLiteral("RadioButton19"))->isChecked());
    for (QLineEdit *field : shell.page(Survey::PageId::Performance)->findChildren<QLineEdit *>())
        QVERIFY2(field->isEnabled() || field->text().isEmpty(), qPrintable(field->objectName()));
}

void DraftsTest::declinedDraftIsDeleted()
{
    {
        DraftStore drafts(draftFolder());
        Shell shell;
        shell.useDrafts(drafts);
        shell.start();
        fillProfilePages(shell, 5);
        drafts.waitForWrites();
    }
    DraftStore drafts(draftFolder());
    QVERIFY(drafts.exists());
    Shell shell;
    shell.useDrafts(drafts);
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::No);
    shell.start();
    QTRY_COMPARE(boxes.count(), 1);
    QVERIFY(boxes.last().text.startsWith(kAskPrefix));
    QVERIFY(!drafts.exists());
    QVERIFY(shell.introPage()->isVisible());
    for (int k = 1; k <= 139; ++k)
        QCOMPARE(shell.record().get(k), QString());
    QVERIFY(!shell.isBuilt(Survey::PageId::BasicInformation) ||
            shell.basicInformationPage()->findChild<QLineEdit *>(QStringLiteral("Edit1"))->text().isEmpty());
}

void DraftsTest::unreadableDraftIsMovedAsideAndTheRunStartsEmpty_data()
{
    Draft draft;
    draft.savedAt = QDateTime::currentDateTime();
    draft.lines[0] = QStringLiteral("甲公司");
    const QByteArray whole = draft.toText();
    QByteArray newer = whole;
    newer.replace("csr-survey-draft 1", "csr-survey-draft 2");
    QByteArray junk(3000, '\0');
    QRandomGenerator random(3);
    for (char &c : junk)
        c = char(random.bounded(256));

    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("cut off") << whole.left(whole.size() / 2) << QStringLiteral("不完整");
    QTest::newRow("random bytes") << junk << QStringLiteral("不是本程序的草稿");
    QTest::newRow("newer version") << newer << QStringLiteral("较新版本");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("空的");
}

void DraftsTest::unreadableDraftIsMovedAsideAndTheRunStartsEmpty()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QDir().mkpath(draftFolder());
    DraftStore drafts(draftFolder());
    writeAll(drafts.path(), bytes);

    Shell shell;
    shell.useDrafts(drafts);
    shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    shell.start();
    QTRY_COMPARE(boxes.count(), 1);
    const SeenBox &box = boxes.last();
    QCOMPARE(box.icon, QMessageBox::Warning);
    QVERIFY2(box.text.contains(reason), qPrintable(box.text));

    // Moved aside next to it, never deleted, byte for byte.
    const QStringList aside = QDir(draftFolder()).entryList({QStringLiteral("draft.txt.unreadable-*")});
    QCOMPARE(aside.size(), 1);
    QVERIFY2(box.text.contains(aside.first()), qPrintable(box.text));
    QCOMPARE(readAll(QDir(draftFolder()).filePath(aside.first())), bytes);
    QVERIFY(!drafts.exists());

    // An empty run that works as ever.
    for (int k = 1; k <= 139; ++k)
        QCOMPARE(shell.record().get(k), QString());
    fillProfilePages(shell, 21);
    QVERIFY(!fillTheRestAndSave(shell, boxes, 21).isEmpty());
}

void DraftsTest::draftFollowsChangesAndMoves()
{
    DraftStore drafts(draftFolder());
    Shell shell;
    shell.useDrafts(drafts);
    shell.start();
    RandomFiller::press(shell.introPage(), QStringLiteral("开始填报"));
    drafts.waitForWrites();
    QCOMPARE(Draft::fromText(readAll(drafts.path())).draft.page, int(Survey::PageId::BasicInformation));

    // A change reaches the draft by itself, well within two seconds.
    auto *name = shell.basicInformationPage()->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    name->setFocus();
    QTest::keyClicks(name, "ABC");
    QTRY_VERIFY_WITH_TIMEOUT(
        Draft::fromText(readAll(drafts.path())).draft.controls.value(QStringLiteral("Form2/Edit1")) == "ABC", 2000);

    // A move is written at once.
    RandomFiller::press(shell.basicInformationPage(), QStringLiteral("下一步"));
    drafts.waitForWrites();
    Draft draft = Draft::fromText(readAll(drafts.path())).draft;
    QCOMPARE(draft.page, int(Survey::PageId::Foundation));
    QCOMPARE(draft.lines[0], QStringLiteral("ABC"));
    RandomFiller::press(shell.foundationPage(), QStringLiteral("下一步"));
    RandomFiller::press(shell.performancePage(), QStringLiteral("下一步"));
    drafts.waitForWrites();
    draft = Draft::fromText(readAll(drafts.path())).draft;
    QCOMPARE(draft.page, int(Survey::PageId::Performance));
    QCOMPARE(draft.tab, 1);
}

void DraftsTest::unwritableDraftFolderIsToldOnceAndNothingElseChanges()
{
    // Permission bits do not stop root, so the folder's place is taken by a
    // file: the draft can be written nowhere, as in a read-only folder.
    writeAll(draftFolder(), "not a folder");
    DraftStore drafts(draftFolder());
    Shell shell;
    shell.useDrafts(drafts);
    shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    shell.start();
    RandomFiller::press(shell.introPage(), QStringLiteral("开始填报")); // the first move writes a draft
    QTRY_COMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().icon, QMessageBox::Warning);
    QVERIFY2(boxes.last().text.startsWith(QStringLiteral("填报草稿无法保存")), qPrintable(boxes.last().text));
    RandomFiller filler(31);
    filler.fillPage(shell.page(Survey::PageId::BasicInformation));
    filler.fillPage(shell.page(Survey::PageId::Foundation));
    const QByteArray saved = fillTheRestAndSave(shell, boxes, 31);
    QCOMPARE(ResultFile::lines(saved).size(), 139);
    QCOMPARE(boxes.count(), 2); // told once, not at every move; then the saved-as message
    QCOMPARE(boxes.unexpected(), 0);
}

void DraftsTest::saveRemovesTheDraft()
{
    DraftStore drafts(draftFolder());
    Shell shell;
    shell.useDrafts(drafts);
    shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    shell.start();
    fillProfilePages(shell, 41);
    drafts.waitForWrites();
    QVERIFY(drafts.exists());
    QVERIFY(!fillTheRestAndSave(shell, boxes, 41).isEmpty());
    drafts.waitForWrites();
    QVERIFY(!drafts.exists());
}

void DraftsTest::openedFileLeavesAnEarlierDraftUntilTheSave()
{
    QByteArray earlier;
    {
        DraftStore drafts(draftFolder());
        Shell shell;
        shell.useDrafts(drafts);
        shell.start();
        fillProfilePages(shell, 51);
        drafts.waitForWrites();
        earlier = readAll(drafts.path());
    }
    QByteArray file;
    QString path;
    {
        Shell shell;
        shell.setProgramFolder(programFolder());
        ModalBoxes boxes;
        shell.showIntroPage();
        fillProfilePages(shell, 52);
        file = fillTheRestAndSave(shell, boxes, 52);
        path = boxes.last().text.mid(QStringLiteral("填报结果保存为:").size());
    }
    DraftStore drafts(draftFolder());
    Shell shell;
    shell.useDrafts(drafts);
    shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    shell.start(path);
    QTest::qWait(10);
    QCOMPARE(boxes.count(), 0); // the file wins: no question about the draft
    RandomFiller::press(shell.introPage(), QStringLiteral("开始填报"));
    RandomFiller::press(shell.basicInformationPage(), QStringLiteral("下一步"));
    drafts.waitForWrites();
    QCOMPARE(readAll(drafts.path()), earlier);
    QCOMPARE(shell.record().get(1), ResultFile::lines(file).value(0));
    RandomFiller::press(shell.foundationPage(), QStringLiteral("下一步"));
    for (int i = 0; i < 3; ++i)
        RandomFiller::press(shell.performancePage(), QStringLiteral("下一步"));
    for (int i = 0; i < 4; ++i)
        RandomFiller::press(shell.questionnairePage(), QStringLiteral("下一步"));
    boxes.answerWith(QMessageBox::Ok);
    RandomFiller::press(shell.questionnairePage(), QStringLiteral("保存退出"));
    QVERIFY(shell.hasEnded());
    QCOMPARE(ResultFile::readBytes(path), file);
    QVERIFY(!drafts.exists());
}

void DraftsTest::killedProcessResumesToTheSameFile()
{
    const quint32 seed = 61;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--crash-child"), draftFolder(), QString::number(seed)});
    QVERIFY(child.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(child.canReadLine() || child.state() != QProcess::Running, 60000);
    QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
    child.kill(); // SIGKILL: nothing of the program runs after this
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    QByteArray resumed;
    {
        QDir().mkpath(folder_->filePath(QStringLiteral("resumed")));
        DraftStore drafts(draftFolder());
        Shell shell;
        shell.useDrafts(drafts);
        shell.setProgramFolder(folder_->filePath(QStringLiteral("resumed/")));
        ModalBoxes boxes;
        boxes.answerWith(QMessageBox::Yes);
        shell.start();
        QTRY_COMPARE(boxes.count(), 1);
        QVERIFY(boxes.last().text.startsWith(kAskPrefix));
        QCOMPARE(shell.currentPage(), shell.page(Survey::PageId::Performance));
        // The figure typed just before the kill is there; the rest is the person's.
        auto *figure = shell.performancePage()->findChild<QLineEdit *>(QStringLiteral("Edit1"));
        QVERIFY(figure->text().endsWith(QStringLiteral("42")));
        figure->selectAll();
        QTest::keyClick(figure, Qt::Key_Backspace);
        resumed = fillTheRestAndSave(shell, boxes, seed);
        QVERIFY(!drafts.exists());
    }
    QByteArray uninterrupted;
    {
        QDir().mkpath(folder_->filePath(QStringLiteral("whole")));
        Shell shell;
        shell.setProgramFolder(folder_->filePath(QStringLiteral("whole/")));
        ModalBoxes boxes;
        shell.showIntroPage();
        fillProfilePages(shell, seed);
        uninterrupted = fillTheRestAndSave(shell, boxes, seed);
    }
    QCOMPARE(ResultFile::lines(resumed).size(), 139);
    QCOMPARE(resumed, uninterrupted);
}

int main(int argc, char *argv[])
{
    chooseTestPlatform();
    if (argc == 4 && QByteArray(argv[1]) == "--crash-child")
        return crashChild(argc, argv);
    SurveyApplication app(argc, argv);
    Shell::prepareApplication();
    app.setAttribute(Qt::AA_Use96Dpi, true);
    DraftsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_drafts.moc"
