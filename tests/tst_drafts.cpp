// Drafts: nothing typed is lost to a closed window, a crash, a killed process,
// a full disk or a second copy of the program. The draft's text form, offering
// it back and restoring every page, several drafts and the picker, drafts that
// cannot be used, a reopened file's corrections, and real processes killed
// half-way.
#include "app/drafts/DraftFolder.h"
#include "app/drafts/DraftKeeper.h"
#include "app/drafts/DraftStore.h"
#include "app/drafts/PageState.h"
#include "app/drafts/Resumption.h"
#include "platform/ForegroundRequest.h"
#include "app/Shell.h"
#include "app/SurveyApplication.h"
#include "pages/intro/IntroPage.h"
#include "pages/performance/PerformancePage.h"
#include "pages/profile/BasicInformationPage.h"
#include "pages/profile/FoundationPage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "platform/FileSystemCalls.h"
#include "tests/support/Drive.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/RandomFiller.h"
#include "tests/support/ResultFile.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/TestSystem.h"
#include "tests/support/Walk.h"
#include "widgets/Page.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>

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
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Sets a file's modification time back by seconds; false where the system
// does not let this process (Windows, while another process holds the file).
bool ageBy(const QString &path, int seconds)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds), QFileDevice::FileModificationTime);
}

// One run of the program: the shell and the drafts of its filling.
struct Run {
    explicit Run(const QString &dataFolder, FileSystemCalls &calls = FileSystemCalls::system())
        : resumption(shell, DraftFolder(dataFolder), calls)
    {
    }
    Shell shell;
    Resumption resumption;

    DraftStore &draft() { return *resumption.draft(); }
    void waitForWrites()
    {
        if (resumption.draft())
            resumption.draft()->waitForWrites();
    }
};

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
    return ResultFile::readBytes(Walk::savedPath(boxes));
}

QLineEdit *field(Page *page, const char *name)
{
    return page->findChild<QLineEdit *>(QString::fromLatin1(name));
}

// Types after what the field holds, key by key.
void typeKeys(QLineEdit *edit, const QString &text)
{
    Drive::type(edit, text);
}

// The answers of the first pages that a seed gives, as a run without drafts fills them.
QStringList profileAnswers(quint32 seed)
{
    Shell shell;
    shell.showIntroPage();
    fillProfilePages(shell, seed);
    QStringList lines;
    for (int k = 1; k <= Survey::kLineCount; ++k)
        lines << shell.record().get(k);
    return lines;
}

// Does what the person does with the next draft picker: the hand gets the
// picker's list and buttons. What it listed is kept.
class PickerHand : public QObject {
public:
    struct Picker {
        QDialog *dialog;
        QListWidget *list;
        QPushButton *continueDraft, *startNewFilling, *deleteDraft;
        // Selects the row that mentions the text.
        bool select(const QString &text) const
        {
            for (int row = 0; row < list->count(); ++row)
                if (list->item(row)->text().contains(text)) {
                    list->setCurrentRow(row);
                    return true;
                }
            return false;
        }
    };

    explicit PickerHand(std::function<void(const Picker &)> hand) : hand_(std::move(hand))
    {
        connect(&timer_, &QTimer::timeout, this, &PickerHand::poll);
        timer_.start(5);
    }
    int shown = 0;
    QStringList listed;

private:
    void poll()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String("draftPicker") || !dialog->isVisible() || shown > 0)
            return;
        ++shown;
        const Picker picker{dialog, dialog->findChild<QListWidget *>(QStringLiteral("draftList")),
                            dialog->findChild<QPushButton *>(QStringLiteral("continueDraft")),
                            dialog->findChild<QPushButton *>(QStringLiteral("startNewFilling")),
                            dialog->findChild<QPushButton *>(QStringLiteral("deleteDraft"))};
        for (int row = 0; row < picker.list->count(); ++row)
            listed << picker.list->item(row)->text();
        hand_(picker);
        if (dialog->isVisible()) // the hand did not decide: leave it as a new filling
            dialog->reject();
    }

    std::function<void(const Picker &)> hand_;
    QTimer timer_;
};

// The system's file calls, with a disk that can be made full at the write or
// at the close, and the moment of each draft that reached its place. Called on
// the draft writer's thread.
class DiskOfDrafts : public ForwardingFileSystem {
public:
    enum Step { Nothing, Write, Close };
    std::atomic<int> fullAt{Nothing};
    std::atomic<int> keysTyped{0};

    QList<int> keysAtEachDraft() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return keysAtEachDraft_;
    }

    int writeAll(Handle file, const char *data, std::size_t size) override
    {
        if (fullAt != Write)
            return real().writeAll(file, data, size);
        real().writeAll(file, data, size / 2); // the disk fills up half-way
        return TestSystem::errorCodes().diskFull;
    }
    int close(Handle file) override
    {
        const int result = real().close(file);
        return fullAt == Close ? TestSystem::errorCodes().diskFull : result;
    }
    int rename(const QByteArray &from, const QByteArray &to) override
    {
        const int result = real().rename(from, to);
        if (result == 0) {
            std::lock_guard<std::mutex> lock(mutex_);
            keysAtEachDraft_ << keysTyped;
        }
        return result;
    }

private:
    mutable std::mutex mutex_;
    QList<int> keysAtEachDraft_;
};

// The system's file calls, each noted with the file it was for, in the order
// they came (the draft writer's thread too).
class NotedCalls : public ForwardingFileSystem {
public:
    QStringList noted() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return noted_;
    }

    int createTemporary(const QByteArray &prefix, const QByteArray &suffix, Handle &file, QByteArray &path) override
    {
        const int result = real().createTemporary(prefix, suffix, file, path);
        std::lock_guard<std::mutex> lock(mutex_);
        temporaries_.insert(file, path);
        return result;
    }
    int sync(Handle file) override
    {
        note("sync", temporaries_.value(file));
        return real().sync(file);
    }
    int rename(const QByteArray &from, const QByteArray &to) override
    {
        note("rename", to);
        return real().rename(from, to);
    }
    int syncPath(const QByteArray &path) override
    {
        note("syncPath", path);
        return real().syncPath(path);
    }
    void remove(const QByteArray &path) override
    {
        note("remove", path);
        real().remove(path);
    }

private:
    void note(const char *call, const QByteArray &path)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        noted_ << QLatin1String(call) + QLatin1Char(' ') + FileSystemCalls::displayPath(path);
    }

    mutable std::mutex mutex_;
    QHash<Handle, QByteArray> temporaries_;
    QStringList noted_;
};

// Ends the test program when a step hangs: a failure with a message, never a
// test that waits for ever.
class Watchdog {
public:
    explicit Watchdog(int seconds)
        : thread_([this, seconds] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!done_changed_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
                  std::fprintf(stderr, "FAIL: a step hung for %d seconds\n", seconds);
                  std::_Exit(1);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        done_changed_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_changed_;
    bool done_ = false;
    std::thread thread_;
};

// The child of the process tests: the program's own start-up (drafts in the
// user's data folder), the first pages filled, "42" typed on the performance
// page; then it says how many boxes it met and waits to be killed.
int typingChild(int argc, char *argv[])
{
    SurveyApplication application(argc, argv);
    Shell::prepareApplication();
    application.setAttribute(Qt::AA_Use96Dpi, true);
    Shell shell;
    // The data folder is the parent's choice: every system has its own way
    // to name a user's, and the two copies must share one of the test's own.
    Resumption resumption(shell, DraftFolder(QCoreApplication::arguments().at(3)));
    ModalBoxes boxes; // none is expected: each is noted and closed
    resumption.start();
    if (!QTest::qWaitForWindowExposed(shell.introPage()))
        return 3;
    fillProfilePages(shell, quint32(std::atoi(argv[2])));
    typeKeys(field(shell.performancePage(), "Edit1"), QStringLiteral("42"));
    QTest::qWait(DraftKeeper::kDelayMs * 2); // the typing reaches the draft by itself
    resumption.draft()->waitForWrites();
    std::printf("ready %d\n", boxes.count());
    std::fflush(stdout);
    return QApplication::exec(); // until killed
}

// The child of the test of one file opened twice: the program's own start
// with a result file to correct (drafts under the parent's folder); it says
// when it is ready and each time it is asked to the front, and waits to be killed.
int correctingChild(int argc, char *argv[])
{
    SurveyApplication application(argc, argv);
    Shell::prepareApplication();
    Shell shell;
    Resumption resumption(shell, DraftFolder(QCoreApplication::arguments().at(3)));
    QObject::connect(&resumption, &Resumption::askedToFront, [] {
        std::printf("front\n");
        std::fflush(stdout);
    });
    ModalBoxes boxes; // none is expected
    resumption.start(FileSystemCalls::nativePath(QCoreApplication::arguments().at(2)));
    std::printf("ready %d\n", boxes.count());
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
    void oneDraftIsDeletedOnlyAfterASecondQuestion_data();
    void oneDraftIsDeletedOnlyAfterASecondQuestion();
    void draftOfAnEarlierVersionIsOfferedAndSaved();
    void unusableDraftIsMovedAsideAndTheRunStartsEmpty_data();
    void unusableDraftIsMovedAsideAndTheRunStartsEmpty();
    void draftFollowsChangesAndMoves();
    void steadyTypingReachesTheDraftEverySecond();
    void unwritableDraftFolderIsToldOnceAndNothingElseChanges();
    void fullDiskLeavesTheEarlierDraftWhole_data();
    void fullDiskLeavesTheEarlierDraftWhole();
    void fullDiskOfARealFileSystem();
    void draftsAreOffWithoutAFolderOfTheUsersOwn_data();
    void draftsAreOffWithoutAFolderOfTheUsersOwn();
    void saveRemovesTheDraft();
    void savedFileIsOnTheDiskBeforeItsDraftGoes();
    void reopenedFileKeepsItsCorrectionsAndLeavesOtherDraftsAlone();
    void killedProcessResumesToTheSameFile();
    void twoCopiesAtOnceKeepADraftEach();
    void sameResultFileIsCorrectedInOneWindowOnly();
    void frontRequestsGoThroughAFolderOfTheUsersOwn_data();
    void frontRequestsGoThroughAFolderOfTheUsersOwn();
    void draftLockedOnAnotherMachineIsTakenOverOnlyOnRequest_data();
    void draftLockedOnAnotherMachineIsTakenOverOnlyOnRequest();

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString dataFolder() const { return folder_->filePath(QStringLiteral("data")); }
    QString draftsFolder() const { return folder_->filePath(QStringLiteral("data/drafts")); }
    QString programFolder() const { return folder_->path() + QLatin1Char('/'); }
    QStringList draftFiles() const { return QDir(draftsFolder()).entryList({QStringLiteral("*.txt")}, QDir::Files); }
    // Starts this program as a child in the given role (its drafts under the
    // test's folder); returns once it is ready, having met no box.
    void startChild(QProcess &child, const QStringList &arguments);
    void startTypingChild(QProcess &child, quint32 seed)
    {
        startChild(child, {QStringLiteral("--typing-child"), QString::number(seed), dataFolder()});
    }
    // A result file that a run without drafts saved, seed by seed, in the program folder: its path.
    QString savedResultFile(quint32 seed, QByteArray *bytes = nullptr);
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
    draft.source = QByteArray("/home/甲/\xb6\xa1 100%_填报结果.dbf"); // a name that is not UTF-8
    const Draft::Parsed parsed = Draft::fromText(draft.toText());
    QVERIFY2(parsed.ok(), qPrintable(parsed.reason));
    QCOMPARE(parsed.draft.savedAt, draft.savedAt);
    QCOMPARE(parsed.draft.lines, draft.lines);
    QCOMPARE(parsed.draft.controls, draft.controls);
    QCOMPARE(parsed.draft.ranking, draft.ranking);
    QCOMPARE(parsed.draft.page, 3);
    QCOMPARE(parsed.draft.tab, 2);
    QCOMPARE(parsed.draft.source, draft.source);
    QVERIFY(parsed.draft.holdsAnswers());
    QVERIFY(!Draft().holdsAnswers());
}

void DraftsTest::everyCutOffDraftIsRefused()
{
    Draft draft;
    draft.savedAt = QDateTime::currentDateTime();
    draft.lines[0] = QStringLiteral("甲公司");
    draft.controls.insert(QStringLiteral("Form2/Edit1"), QStringLiteral("甲公司"));
    draft.source = "/tmp/甲公司_填报结果.dbf";
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
        Run run(dataFolder());
        ModalBoxes boxes;
        run.resumption.start();
        Shell &shell = run.shell;
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
    QCOMPARE(draftFiles().size(), 1);
    Run run(dataFolder());
    Shell &shell = run.shell;
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Yes);
    run.resumption.start();
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
    for (QLineEdit *edit : shell.page(Survey::PageId::Performance)->findChildren<QLineEdit *>())
        QVERIFY2(edit->isEnabled() || edit->text().isEmpty(), qPrintable(edit->objectName()));
    // The filling goes on in the same draft.
    QCOMPARE(QFileInfo(run.draft().path()).fileName(), draftFiles().value(0));
}

void DraftsTest::oneDraftIsDeletedOnlyAfterASecondQuestion_data()
{
    QTest::addColumn<bool>("reopened");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("deleted");
    const QString no = QStringLiteral("否"), yes = QStringLiteral("是");
    QTest::newRow("否, then 是 to the deletion") << false << QStringList{no, yes} << true;
    QTest::newRow("否, then 否") << false << QStringList{no, no} << false;
    QTest::newRow("否, then Enter: the default keeps it") << false << QStringList{no, QStringLiteral("Enter")} << false;
    QTest::newRow("Esc") << false << QStringList{QStringLiteral("Esc")} << false;
    QTest::newRow("the close box") << false << QStringList{QStringLiteral("close box")} << false;
    QTest::newRow("a reopened file's corrections: 否, then 是") << true << QStringList{no, yes} << true;
    QTest::newRow("a reopened file's corrections: Esc") << true << QStringList{QStringLiteral("Esc")} << false;
}

void DraftsTest::oneDraftIsDeletedOnlyAfterASecondQuestion()
{
    QFETCH(bool, reopened);
    QFETCH(QStringList, answers);
    QFETCH(bool, deleted);
    const QString yes = QStringLiteral("是");
    QByteArray file;
    QByteArray source;
    if (reopened)
        source = FileSystemCalls::nativePath(savedResultFile(5, &file));
    QString enterprise;
    {
        Run run(dataFolder());
        run.resumption.start(source);
        if (reopened)
            RandomFiller::press(run.shell.introPage(), QStringLiteral("开始填报"));
        else
            fillProfilePages(run.shell, 5);
        run.waitForWrites();
        enterprise = run.shell.record().get(1);
    }
    const QStringList left = draftFiles();
    QCOMPARE(left.size(), 1);

    ModalBoxes boxes;
    {
        Run run(dataFolder());
        for (const QString &answer : answers) {
            if (answer == QLatin1String("Esc"))
                boxes.answerWithKey(Qt::Key_Escape);
            else if (answer == QLatin1String("Enter"))
                boxes.answerWithKey(Qt::Key_Return);
            else if (answer == QLatin1String("close box"))
                boxes.answerByClosing();
            else
                boxes.answerWith(answer == yes ? QMessageBox::Yes : QMessageBox::No);
        }
        run.resumption.start(source);
        QCOMPARE(boxes.count(), answers.size());
        QCOMPARE(boxes.unexpected(), 0);
        QVERIFY2(boxes.seen().first().text.startsWith(kAskPrefix + enterprise), qPrintable(boxes.seen().first().text));
        if (answers.size() > 1) { // the second question names the draft, and keeps it unless told otherwise
            const SeenBox &second = boxes.seen().at(1);
            QVERIFY2(second.text.contains(QStringLiteral("删除")) && second.text.contains(enterprise),
                     qPrintable(second.text));
            QCOMPARE(second.buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(second.defaultButton, QMessageBox::No);
        }
        QCOMPARE(draftFiles().contains(left.first()), !deleted);
        // A new filling either way: an empty one, or the file as it stands.
        QCOMPARE(run.shell.record().get(1), reopened ? ResultFile::lines(file).value(0) : QString());
        QVERIFY(run.shell.introPage()->isVisible());
    }
    if (!deleted) { // offered again at the next start
        Run next(dataFolder());
        boxes.answerWithKey(Qt::Key_Escape);
        next.resumption.start(source);
        QCOMPARE(boxes.count(), answers.size() + 1);
        QVERIFY(boxes.last().text.startsWith(kAskPrefix + enterprise));
    }
}

void DraftsTest::draftOfAnEarlierVersionIsOfferedAndSaved()
{
    // Earlier versions kept one draft.txt beside the drafts folder.
    Draft earlier;
    earlier.savedAt = QDateTime(QDate(2026, 3, 1), QTime(9, 15));
    earlier.page = int(Survey::PageId::BasicInformation);
    earlier.controls.insert(QStringLiteral("Form2/Edit1"), QStringLiteral("旧版公司"));
    const QString legacy = folder_->filePath(QStringLiteral("data/draft.txt"));
    writeAll(legacy, earlier.toText());

    Run run(dataFolder());
    run.shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Yes);
    run.resumption.start();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().text, kAskPrefix + QStringLiteral("旧版公司，2026-03-01 09:15") + kAskSuffix);
    QCOMPARE(field(run.shell.basicInformationPage(), "Edit1")->text(), QStringLiteral("旧版公司"));
    QVERIFY(run.shell.basicInformationPage()->isVisible());
    const QString saved = Walk::toTheSave(run.shell, boxes);
    QCOMPARE(ResultFile::lines(ResultFile::readBytes(saved)).value(0), QStringLiteral("旧版公司"));
    QVERIFY(!QFileInfo::exists(legacy));
}

void DraftsTest::unusableDraftIsMovedAsideAndTheRunStartsEmpty_data()
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
    Draft outOfSet = draft;
    outOfSet.lines[6] = QStringLiteral("99"); // an industry no choice stands for
    // Edited by hand: what no field lets in, typed or pasted.
    Draft nulInAField = draft;
    nulInAField.controls.insert(QStringLiteral("Form2/Edit2"), QStringLiteral("甲") + QChar(0) + QStringLiteral("乙"));
    Draft controlInALine = draft;
    controlInALine.lines[1] = QStringLiteral("a\u0001b");
    Draft breakInALine = draft;
    breakInALine.lines[1] = QStringLiteral("a\nb");

    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("pipe");
    QTest::addColumn<QString>("reason");
    QTest::newRow("cut off") << whole.left(whole.size() / 2) << false << QStringLiteral("不完整");
    QTest::newRow("random bytes") << junk << false << QStringLiteral("不是本程序的草稿");
    QTest::newRow("newer version") << newer << false << QStringLiteral("较新版本");
    QTest::newRow("empty") << QByteArray() << false << QStringLiteral("空的");
    QTest::newRow("industry out of the set") << outOfSet.toText() << false << QStringLiteral("第 7 行");
    QTest::newRow("a pipe") << QByteArray() << true << QStringLiteral("不是普通文件");
    QTest::newRow("NUL in a field") << nulInAField.toText() << false << QStringLiteral("第 2 行（");
    QTest::newRow("a control character in a line") << controlInALine.toText() << false << QStringLiteral("第 2 行");
    QTest::newRow("a line break in a line") << breakInALine.toText() << false << QStringLiteral("第 2 行");
}

void DraftsTest::unusableDraftIsMovedAsideAndTheRunStartsEmpty()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, pipe);
    QFETCH(QString, reason);
    const QString path = QDir(draftsFolder()).filePath(QStringLiteral("20260101-120000-abcdef.txt"));
    if (pipe) {
        QDir().mkpath(draftsFolder());
        if (!TestSystem::makePipe(path))
            QSKIP("pipes in the file system are POSIX");
    } else {
        writeAll(path, bytes);
    }

    const Watchdog watchdog(60); // a draft that is a pipe must not hang the start
    Run run(dataFolder());
    run.shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    run.resumption.start();
    QTRY_COMPARE(boxes.count(), 1);
    const SeenBox &box = boxes.last();
    QCOMPARE(box.icon, QMessageBox::Warning);
    QVERIFY2(box.text.contains(reason), qPrintable(box.text));

    // Moved aside next to it, never deleted, byte for byte.
    const QStringList aside =
        QDir(draftsFolder()).entryList({QStringLiteral("*.unreadable-*")}, QDir::Files | QDir::System);
    QCOMPARE(aside.size(), 1);
    QVERIFY2(box.text.contains(aside.first()), qPrintable(box.text));
    const QString movedTo = QDir(draftsFolder()).filePath(aside.first());
    if (pipe)
        QVERIFY(!QFileInfo(movedTo).isFile());
    else
        QCOMPARE(readAll(movedTo), bytes);
    QVERIFY(!QFileInfo::exists(path));

    // An empty run that works as ever.
    for (int k = 1; k <= 139; ++k)
        QCOMPARE(run.shell.record().get(k), QString());
    fillProfilePages(run.shell, 21);
    QVERIFY(!fillTheRestAndSave(run.shell, boxes, 21).isEmpty());
    QCOMPARE(boxes.unexpected(), 0);
}

void DraftsTest::draftFollowsChangesAndMoves()
{
    Run run(dataFolder());
    run.resumption.start();
    RandomFiller::press(run.shell.introPage(), QStringLiteral("开始填报"));
    run.waitForWrites();
    const QString path = run.draft().path();
    QCOMPARE(Draft::fromText(readAll(path)).draft.page, int(Survey::PageId::BasicInformation));

    // A change reaches the draft by itself, well within two seconds.
    typeKeys(field(run.shell.basicInformationPage(), "Edit1"), QStringLiteral("ABC"));
    QTRY_VERIFY_WITH_TIMEOUT(
        Draft::fromText(readAll(path)).draft.controls.value(QStringLiteral("Form2/Edit1")) == "ABC", 2000);

    // A move is written at once.
    RandomFiller::press(run.shell.basicInformationPage(), QStringLiteral("下一步"));
    run.waitForWrites();
    Draft draft = Draft::fromText(readAll(path)).draft;
    QCOMPARE(draft.page, int(Survey::PageId::Foundation));
    QCOMPARE(draft.lines[0], QStringLiteral("ABC"));
    RandomFiller::press(run.shell.foundationPage(), QStringLiteral("下一步"));
    RandomFiller::press(run.shell.performancePage(), QStringLiteral("下一步"));
    run.waitForWrites();
    draft = Draft::fromText(readAll(path)).draft;
    QCOMPARE(draft.page, int(Survey::PageId::Performance));
    QCOMPARE(draft.tab, 1);
}

void DraftsTest::steadyTypingReachesTheDraftEverySecond()
{
    DiskOfDrafts disk;
    Run run(dataFolder(), disk);
    run.resumption.start();
    RandomFiller::press(run.shell.introPage(), QStringLiteral("开始填报"));
    run.waitForWrites();
    const qsizetype before = disk.keysAtEachDraft().size();

    // One key every 200 ms for five seconds: a timer that started again at
    // every key would write nothing until the typing stops.
    QLineEdit *address = field(run.shell.basicInformationPage(), "Edit2");
    address->setFocus();
    constexpr int kKeys = 25;
    for (int key = 1; key <= kKeys; ++key) {
        QTest::keyClick(address, Qt::Key_A);
        disk.keysTyped = key;
        QTest::qWait(200);
    }
    run.waitForWrites();
    const QList<int> keys = disk.keysAtEachDraft().mid(before);
    // A second is five keys; a draft every seven keys at most allows for a busy machine.
    QVERIFY2(keys.size() >= 3, qPrintable(QString::number(keys.size())));
    int last = 0;
    for (int atKey : keys) {
        QVERIFY2(atKey - last <= 7,
                 qPrintable(QStringLiteral("a draft after key %1, the one before after key %2").arg(atKey).arg(last)));
        last = atKey;
    }
    QVERIFY2(kKeys - last <= 7, qPrintable(QString::number(last)));
}

void DraftsTest::unwritableDraftFolderIsToldOnceAndNothingElseChanges()
{
    // Permission bits do not stop root, so the folder's place is taken by a
    // file: the draft can be written nowhere, as in a read-only folder.
    writeAll(draftsFolder(), "not a folder");
    Run run(dataFolder());
    run.shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    run.resumption.start();
    RandomFiller::press(run.shell.introPage(), QStringLiteral("开始填报"));
    QTRY_COMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().icon, QMessageBox::Warning);
    QVERIFY2(boxes.last().text.startsWith(QStringLiteral("填报草稿无法保存")), qPrintable(boxes.last().text));
    RandomFiller filler(31);
    filler.fillPage(run.shell.page(Survey::PageId::BasicInformation));
    filler.fillPage(run.shell.page(Survey::PageId::Foundation));
    const QByteArray saved = fillTheRestAndSave(run.shell, boxes, 31);
    QCOMPARE(ResultFile::lines(saved).size(), 139);
    QCOMPARE(boxes.count(), 2); // told once, not at every move; then the saved-as message
    QCOMPARE(boxes.unexpected(), 0);
}

void DraftsTest::fullDiskLeavesTheEarlierDraftWhole_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("full at a write") << int(DiskOfDrafts::Write);
    QTest::newRow("full at the close") << int(DiskOfDrafts::Close);
}

void DraftsTest::fullDiskLeavesTheEarlierDraftWhole()
{
    QFETCH(int, step);
    DiskOfDrafts disk;
    Run run(dataFolder(), disk);
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    run.resumption.start();
    fillProfilePages(run.shell, 81);
    run.waitForWrites();
    const QString path = run.draft().path();
    const QByteArray earlier = readAll(path);
    QVERIFY(Draft::fromText(earlier).ok());

    disk.fullAt = step;
    PerformancePage *performance = run.shell.performancePage();
    typeKeys(field(performance, "Edit1"), QStringLiteral("7"));
    QTRY_COMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().icon, QMessageBox::Warning);
    QVERIFY2(boxes.last().text.contains(QStringLiteral("磁盘空间不足")), qPrintable(boxes.last().text));
    // More changes and moves: each write fails the same way, and is not told again.
    typeKeys(field(performance, "Edit2"), QStringLiteral("8"));
    RandomFiller::press(performance, QStringLiteral("下一步"));
    QTest::qWait(DraftKeeper::kDelayMs + 200);
    run.waitForWrites();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(readAll(path), earlier);
    QCOMPARE(QDir(draftsFolder()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".csr-")),
             QStringList()); // no temporary file left behind

    // Room again: the next write goes through.
    disk.fullAt = DiskOfDrafts::Nothing;
    RandomFiller::press(performance, QStringLiteral("上一步"));
    run.waitForWrites();
    const Draft now = Draft::fromText(readAll(path)).draft;
    QVERIFY(now.controls.value(Draft::controlKey(performance->objectName(), QStringLiteral("Edit1")))
                .endsWith(QLatin1Char('7')));
    QCOMPARE(boxes.count(), 1);
}

void DraftsTest::fullDiskOfARealFileSystem()
{
    if (!TestSystem::isPosix())
        QSKIP("a tmpfs of a given size needs Linux");
    const QString tiny = folder_->filePath(QStringLiteral("tiny"));
    QDir().mkpath(tiny);
    QProcess mount;
    mount.setProcessChannelMode(QProcess::MergedChannels);
    mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                          QStringLiteral("size=64k"), QStringLiteral("tmpfs"), tiny});
    if (!mount.waitForFinished() || mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0)
        QSKIP(qPrintable(QStringLiteral("mounting a tmpfs is not permitted here: ") +
                         QString::fromLocal8Bit(mount.readAll()).trimmed()));
    const auto unmount = qScopeGuard([&tiny] { QProcess::execute(QStringLiteral("umount"), {tiny}); });

    Run run(tiny + QStringLiteral("/data"));
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    run.resumption.start();
    fillProfilePages(run.shell, 91);
    run.waitForWrites();
    const QString path = run.draft().path();
    const QByteArray earlier = readAll(path);
    QVERIFY(Draft::fromText(earlier).ok());

    // Everything that is left is taken.
    const QString filler = tiny + QStringLiteral("/filler");
    {
        QFile file(filler);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'x');
        while (file.write(block) == block.size()) {
        }
    }
    typeKeys(field(run.shell.performancePage(), "Edit1"), QStringLiteral("7"));
    QTRY_COMPARE_WITH_TIMEOUT(boxes.count(), 1, 10000);
    QVERIFY2(boxes.last().text.contains(QStringLiteral("磁盘空间不足")), qPrintable(boxes.last().text));
    QCOMPARE(readAll(path), earlier);

    QVERIFY(QFile::remove(filler));
    typeKeys(field(run.shell.performancePage(), "Edit2"), QStringLiteral("8"));
    const QString figure = Draft::controlKey(run.shell.performancePage()->objectName(), QStringLiteral("Edit2"));
    QTRY_VERIFY_WITH_TIMEOUT(Draft::fromText(readAll(path)).draft.controls.value(figure).endsWith(QLatin1Char('8')),
                             10000);
    QCOMPARE(boxes.count(), 1);
}

void DraftsTest::draftsAreOffWithoutAFolderOfTheUsersOwn_data()
{
    QTest::addColumn<QByteArray>("xdgDataHome");
    QTest::addColumn<bool>("home");
    QTest::newRow("relative XDG_DATA_HOME") << QByteArray("relative/data") << true;
    QTest::newRow("no HOME") << QByteArray() << false;
}

void DraftsTest::draftsAreOffWithoutAFolderOfTheUsersOwn()
{
    QFETCH(QByteArray, xdgDataHome);
    QFETCH(bool, home);
    if (!TestSystem::isPosix())
        QSKIP("the data folder comes from XDG_DATA_HOME and HOME only where there is XDG");
    const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    const bool hadXdg = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    const QString savedWorkingFolder = QDir::currentPath();
    const auto restore = qScopeGuard([&] {
        hadXdg ? qputenv("XDG_DATA_HOME", savedXdg) : qunsetenv("XDG_DATA_HOME");
        qputenv("HOME", savedHome);
        QDir::setCurrent(savedWorkingFolder);
    });
    const QString working = folder_->filePath(QStringLiteral("working"));
    QDir().mkpath(working);
    QDir::setCurrent(working);
    xdgDataHome.isEmpty() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", xdgDataHome);
    if (!home)
        qunsetenv("HOME");
    const bool rootHadLocal = QFileInfo::exists(QStringLiteral("/.local"));

    Shell shell;
    Resumption resumption(shell, DraftFolder::ofUser());
    shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    resumption.start();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().icon, QMessageBox::Warning);
    QVERIFY2(boxes.last().text.contains(QStringLiteral("本次填报不保存草稿")), qPrintable(boxes.last().text));
    fillProfilePages(shell, 101);
    QVERIFY(!fillTheRestAndSave(shell, boxes, 101).isEmpty());
    QCOMPARE(boxes.count(), 2); // then only the saved-as message
    QCOMPARE(QDir(working).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    QCOMPARE(QFileInfo::exists(QStringLiteral("/.local")), rootHadLocal);
}

void DraftsTest::saveRemovesTheDraft()
{
    Run run(dataFolder());
    run.shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    run.resumption.start();
    fillProfilePages(run.shell, 41);
    run.waitForWrites();
    QCOMPARE(draftFiles().size(), 1);
    QVERIFY(!fillTheRestAndSave(run.shell, boxes, 41).isEmpty());
    QVERIFY(draftFiles().isEmpty());
}

// A power cut right after the save must find the file whole on the disk, or
// the draft: the file's bytes reach the disk before its rename, its new name
// (the folder) after it, and only then is the draft removed.
void DraftsTest::savedFileIsOnTheDiskBeforeItsDraftGoes()
{
    NotedCalls calls;
    Run run(dataFolder(), calls);
    run.shell.setFileSystem(&calls);
    run.shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    run.resumption.start();
    fillProfilePages(run.shell, 45);
    run.waitForWrites();
    const QString draft = run.draft().path();
    QVERIFY(!fillTheRestAndSave(run.shell, boxes, 45).isEmpty());
    const QString saved = Walk::savedPath(boxes);

    // The calls name files as the system does (with backslashes on Windows).
    const QStringList noted = calls.noted();
    const QString folder = QDir::toNativeSeparators(programFolder());
    const qsizetype renamed = noted.indexOf(QStringLiteral("rename ") + QDir::toNativeSeparators(saved));
    const qsizetype folderSynced = noted.indexOf(QStringLiteral("syncPath ") + folder);
    const qsizetype draftRemoved = noted.indexOf(QStringLiteral("remove ") + QDir::toNativeSeparators(draft));
    // The last sync before the rename: the result file's temporary, beside it.
    const QString besideIt = QStringLiteral("sync ") + folder;
    qsizetype synced = -1;
    for (qsizetype i = renamed; i-- > 0 && synced < 0;)
        if (noted[i].startsWith(besideIt) && !noted[i].mid(besideIt.size()).contains(QDir::separator()))
            synced = i;
    QVERIFY2(synced >= 0 && renamed > synced && folderSynced > renamed && draftRemoved > folderSynced,
             qPrintable(noted.join(QLatin1Char('\n'))));
    QVERIFY(!QFileInfo::exists(draft));
}

void DraftsTest::reopenedFileKeepsItsCorrectionsAndLeavesOtherDraftsAlone()
{
    // Another enterprise's filling, left unfinished.
    QByteArray other;
    {
        Run run(dataFolder());
        run.resumption.start();
        fillProfilePages(run.shell, 51);
        run.waitForWrites();
        other = readAll(run.draft().path());
    }
    const QString otherDraft = QDir(draftsFolder()).filePath(draftFiles().value(0));
    const QString otherName = Draft::fromText(other).draft.lines[0];
    // A result file saved earlier.
    QByteArray file;
    const QString path = savedResultFile(52, &file);
    const QString name = ResultFile::lines(file).value(0);
    const QString corrected = QStringLiteral("更正后的地址");

    // Opened and corrected, then the run is cut short.
    {
        Run run(dataFolder());
        ModalBoxes boxes;
        run.resumption.start(FileSystemCalls::nativePath(path));
        QCOMPARE(boxes.count(), 0); // the file wins: no question about the other draft
        RandomFiller::press(run.shell.introPage(), QStringLiteral("开始填报"));
        Drive::typeInto(run.shell.basicInformationPage(), QStringLiteral("Edit2"), corrected);
        QTRY_COMPARE(Draft::fromText(readAll(run.draft().path())).draft.controls.value(QStringLiteral("Form2/Edit2")),
                     corrected);
    }
    QCOMPARE(draftFiles().size(), 2);

    // Opening the same file again offers the corrections back.
    {
        Run run(dataFolder());
        ModalBoxes boxes;
        boxes.answerWith(QMessageBox::Yes);
        run.resumption.start(FileSystemCalls::nativePath(path));
        QCOMPARE(boxes.count(), 1);
        QVERIFY2(boxes.last().text.startsWith(kAskPrefix + name + QStringLiteral("，")), qPrintable(boxes.last().text));
        QCOMPARE(field(run.shell.basicInformationPage(), "Edit2")->text(), corrected);
    }

    // A plain start lists both fillings; the reopened one names its file.
    Run run(dataFolder());
    run.shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    PickerHand hand([&](const PickerHand::Picker &picker) {
        QVERIFY(picker.select(name));
        QTest::mouseClick(picker.continueDraft, Qt::LeftButton);
    });
    run.resumption.start();
    QCOMPARE(hand.shown, 1);
    QCOMPARE(hand.listed.size(), 2);
    QVERIFY2(hand.listed.filter(name).value(0).contains(QDir::toNativeSeparators(path)),
             qPrintable(hand.listed.join('|')));
    QVERIFY(hand.listed.filter(otherName).size() == 1);
    QCOMPARE(field(run.shell.basicInformationPage(), "Edit2")->text(), corrected);

    // Saved over the same file: the correction is in, the other draft untouched.
    QCOMPARE(Walk::toTheSave(run.shell, boxes), path);
    QStringList expected = ResultFile::lines(file);
    expected[1] = corrected;
    QCOMPARE(ResultFile::lines(ResultFile::readBytes(path)), expected);
    QCOMPARE(draftFiles(), QStringList{QFileInfo(otherDraft).fileName()});
    QCOMPARE(readAll(otherDraft), other);
}

void DraftsTest::startChild(QProcess &child, const QStringList &arguments)
{
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    QVERIFY(child.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(child.canReadLine() || child.state() != QProcess::Running, 120000);
    // No question at its start: no draft was free to offer.
    QCOMPARE(child.readLine().trimmed(), QByteArray("ready 0"));
}

QString DraftsTest::savedResultFile(quint32 seed, QByteArray *bytes)
{
    Shell shell;
    shell.setProgramFolder(programFolder());
    ModalBoxes boxes;
    shell.showIntroPage();
    fillProfilePages(shell, seed);
    const QByteArray saved = fillTheRestAndSave(shell, boxes, seed);
    if (bytes)
        *bytes = saved;
    return Walk::savedPath(boxes);
}

void DraftsTest::killedProcessResumesToTheSameFile()
{
    const quint32 seed = 61;
    QProcess child;
    startTypingChild(child, seed);
    child.kill(); // SIGKILL: nothing of the program runs after this
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    QByteArray resumed;
    {
        QDir().mkpath(folder_->filePath(QStringLiteral("resumed")));
        Run run(dataFolder());
        run.shell.setProgramFolder(folder_->filePath(QStringLiteral("resumed/")));
        ModalBoxes boxes;
        boxes.answerWith(QMessageBox::Yes);
        run.resumption.start(); // the killed copy's lock is taken over
        QTRY_COMPARE(boxes.count(), 1);
        QVERIFY(boxes.last().text.startsWith(kAskPrefix));
        Shell &shell = run.shell;
        QCOMPARE(shell.currentPage(), shell.page(Survey::PageId::Performance));
        // The figure typed just before the kill is there; the rest is the person's.
        QLineEdit *figure = field(shell.performancePage(), "Edit1");
        QVERIFY(figure->text().endsWith(QStringLiteral("42")));
        figure->selectAll();
        QTest::keyClick(figure, Qt::Key_Backspace);
        resumed = fillTheRestAndSave(shell, boxes, seed);
        QVERIFY(!run.draft().exists());
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

void DraftsTest::twoCopiesAtOnceKeepADraftEach()
{
    // Two copies type at once; the second is not offered the first one's draft.
    QProcess first, second;
    startTypingChild(first, 71);
    startTypingChild(second, 72);
    const QString data = dataFolder();
    const QString drafts = QDir(data).filePath(QStringLiteral("drafts"));
    const QStringList files = QDir(drafts).entryList({QStringLiteral("*.txt")}, QDir::Files);
    QCOMPARE(files.size(), 2);
    // A copy may run for hours: its lock counts however old it is.
    for (const QString &name : files)
        QVERIFY(ageBy(QDir(drafts).filePath(name + QStringLiteral(".lock")), 3600) || !TestSystem::isPosix());
    {
        // Nor is a third copy, while both run; and it touches neither.
        Run run(data);
        ModalBoxes boxes;
        run.resumption.start();
        QCOMPARE(boxes.count(), 0);
    }
    QMap<QString, QByteArray> live;
    for (const QString &name : files)
        live.insert(name, readAll(QDir(drafts).filePath(name)));
    first.kill(); // a power cut: both end at once
    second.kill();
    QVERIFY(first.waitForFinished() && second.waitForFinished());
    for (const QString &name : files)
        QCOMPARE(readAll(QDir(drafts).filePath(name)), live.value(name));

    // At the next start both are offered, and each gives back its own answers.
    for (const quint32 seed : {71u, 72u}) {
        const QStringList answers = profileAnswers(seed);
        Run run(data);
        ModalBoxes boxes;
        PickerHand hand([&](const PickerHand::Picker &picker) {
            QVERIFY(picker.select(answers[0]));
            QTest::mouseClick(picker.continueDraft, Qt::LeftButton);
        });
        run.resumption.start();
        QCOMPARE(hand.shown, 1);
        QCOMPARE(hand.listed.size(), 2);
        QCOMPARE(boxes.count(), 0);
        for (int k = 1; k <= Survey::kLineCount; ++k)
            QCOMPARE(run.shell.record().get(k), answers[k - 1]);
        QVERIFY(field(run.shell.performancePage(), "Edit1")->text().endsWith(QStringLiteral("42")));
    }

    // One is deleted on purpose, after the question; the other stays.
    const QString deleted = profileAnswers(71).value(0);
    {
        Run run(data);
        ModalBoxes boxes;
        boxes.answerWith(QMessageBox::Yes);
        PickerHand hand([&](const PickerHand::Picker &picker) {
            QVERIFY(picker.select(deleted));
            QTest::mouseClick(picker.deleteDraft, Qt::LeftButton);
            QCOMPARE(picker.list->count(), 1);
            QTest::mouseClick(picker.startNewFilling, Qt::LeftButton);
        });
        run.resumption.start();
        QCOMPARE(hand.shown, 1);
        QCOMPARE(boxes.count(), 1);
        QVERIFY2(boxes.last().text.contains(deleted) && boxes.last().text.contains(QStringLiteral("删除")),
                 qPrintable(boxes.last().text));
        QCOMPARE(boxes.last().defaultButton, QMessageBox::No);
        for (int k = 1; k <= Survey::kLineCount; ++k)
            QCOMPARE(run.shell.record().get(k), QString());
    }
    const QStringList left = QDir(drafts).entryList({QStringLiteral("*.txt")}, QDir::Files);
    QCOMPARE(left.size(), 1);
    QCOMPARE(Draft::fromText(readAll(QDir(drafts).filePath(left.first()))).draft.lines[0], profileAnswers(72).value(0));
}

void DraftsTest::sameResultFileIsCorrectedInOneWindowOnly()
{
    QByteArray file;
    const QString path = savedResultFile(13, &file);
    QProcess first;
    startChild(first, {QStringLiteral("--correcting-child"), path, dataFolder()});

    // A second copy asked to open it says so, loads nothing and ends; the
    // first one comes to the front where the system lets it.
    const QString told = QStringLiteral("该文件正在另一个窗口中修改");
    ModalBoxes boxes;
    {
        Run second(dataFolder());
        boxes.answerWith(QMessageBox::Ok);
        second.resumption.start(FileSystemCalls::nativePath(path));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().text, told);
        QCOMPARE(boxes.last().icon, QMessageBox::Information);
        QVERIFY(second.shell.hasEnded());
        QCOMPARE(second.shell.record().get(1), QString());
    }
    if (TestSystem::isPosix()) {
        QTRY_VERIFY_WITH_TIMEOUT(first.canReadLine(), 10000);
        QCOMPARE(first.readLine().trimmed(), QByteArray("front"));
    }

    // A new filling of the same enterprise may not save over it: said, and
    // nothing written; its page and its draft stay.
    {
        Run third(dataFolder());
        third.shell.setProgramFolder(programFolder());
        third.resumption.start();
        fillProfilePages(third.shell, 13);
        QVERIFY(fillTheRestAndSave(third.shell, boxes, 14).isEmpty());
        QCOMPARE(boxes.count(), 2);
        QVERIFY2(boxes.last().text.startsWith(told + QStringLiteral("：") + QDir::toNativeSeparators(path)),
                 qPrintable(boxes.last().text));
        QVERIFY(!third.shell.hasEnded());
        QCOMPARE(third.shell.currentPage(), third.shell.page(Survey::PageId::Questionnaire));
        QCOMPARE(ResultFile::readBytes(path), file);
        third.waitForWrites();
        QVERIFY(third.draft().exists());
        third.draft().remove(); // not to be offered below
    }

    // Dropped on a copy that fills something else: said, and that filling goes on.
    {
        Run other(dataFolder());
        other.resumption.start();
        RandomFiller::press(other.shell.introPage(), QStringLiteral("开始填报"));
        Drive::typeInto(other.shell.basicInformationPage(), QStringLiteral("Edit1"), QStringLiteral("别的公司"));
        boxes.answerWith(QMessageBox::Ok);
        QVERIFY(!other.resumption.openResultFile(FileSystemCalls::nativePath(path)));
        QCOMPARE(boxes.count(), 3);
        QCOMPARE(boxes.last().text, told);
        QVERIFY(!other.shell.hasEnded());
        QCOMPARE(field(other.shell.basicInformationPage(), "Edit1")->text(), QStringLiteral("别的公司"));
    }

    // Once the first copy is gone (killed, here), the file opens again.
    first.kill();
    QVERIFY(first.waitForFinished());
    Run again(dataFolder());
    again.resumption.start(FileSystemCalls::nativePath(path));
    QCOMPARE(boxes.count(), 3);
    QCOMPARE(again.shell.record().get(1), ResultFile::lines(file).value(0));
}

void DraftsTest::frontRequestsGoThroughAFolderOfTheUsersOwn_data()
{
    using P = QFileDevice;
    QTest::addColumn<int>("runtimeFolder"); // its permissions; 0: none is given
    QTest::addColumn<QString>("socketFolder");
    const int mine = P::ReadOwner | P::WriteOwner | P::ExeOwner;
    QTest::newRow("the runtime folder") << mine << "run/csr-survey";
    QTest::newRow("no runtime folder") << 0 << "data/drafts/front";
    QTest::newRow("a runtime folder others may enter")
        << (mine | P::ReadGroup | P::ExeGroup | P::ReadOther | P::ExeOther) << "data/drafts/front";
}

// The holder's socket lies where only this user may reach it, never in the
// shared temporary folder, where another user could take its name first.
void DraftsTest::frontRequestsGoThroughAFolderOfTheUsersOwn()
{
    QFETCH(int, runtimeFolder);
    QFETCH(QString, socketFolder);
    if (!TestSystem::isPosix())
        QSKIP("Windows finds the holder's window by its process, with no socket");
    const QByteArray given = qgetenv("XDG_RUNTIME_DIR");
    const auto restore =
        qScopeGuard([&given] { given.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", given); });
    qunsetenv("XDG_RUNTIME_DIR");
    if (runtimeFolder) {
        const QString runtime = folder_->filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkpath(runtime));
        QVERIFY(QFile::setPermissions(runtime, QFileDevice::Permissions(runtimeFolder)));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    QVERIFY(QDir().mkpath(draftsFolder()));
    const QString key = QStringLiteral("0123456789abcdef0123456789abcdef");
    bool fronted = false;
    ForegroundRequest::Listener listener(draftsFolder(), key, [&fronted] { fronted = true; });

    const QString folder = folder_->filePath(socketFolder);
    QCOMPARE(QDir(folder).entryList(QDir::System | QDir::NoDotAndDotDot).size(), 1); // the socket
    using P = QFileDevice;
    const P::Permissions others =
        P::ReadGroup | P::WriteGroup | P::ExeGroup | P::ReadOther | P::WriteOther | P::ExeOther;
    QCOMPARE(QFileInfo(folder).permissions() & others, P::Permissions());
    QVERIFY(!QFileInfo::exists(QDir::temp().filePath(QStringLiteral("csr-survey-") + key)));
    std::atomic<int> answered{-1};
    std::thread asking([&] { answered = ForegroundRequest::ask(0, draftsFolder(), key) ? 1 : 0; });
    QTRY_VERIFY_WITH_TIMEOUT(answered != -1, 10000);
    asking.join();
    QCOMPARE(answered.load(), 1);
    QVERIFY(fronted);
}

void DraftsTest::draftLockedOnAnotherMachineIsTakenOverOnlyOnRequest_data()
{
    QTest::addColumn<QList<int>>("answers"); // QMessageBox buttons, 0 for Esc
    QTest::addColumn<bool>("takenOver");
    QTest::newRow("continued and taken over") << QList<int>{QMessageBox::Yes, QMessageBox::Yes} << true;
    QTest::newRow("continued, but left to that machine") << QList<int>{QMessageBox::Yes, QMessageBox::No} << false;
    QTest::newRow("not chosen") << QList<int>{0} << false;
}

// A home folder moved from another computer keeps the lock written there,
// which cannot be checked from here (and is old: Qt would count it stale).
void DraftsTest::draftLockedOnAnotherMachineIsTakenOverOnlyOnRequest()
{
    QFETCH(QList<int>, answers);
    QFETCH(bool, takenOver);
    Draft draft;
    draft.savedAt = QDateTime(QDate(2026, 1, 2), QTime(9, 30));
    draft.page = int(Survey::PageId::BasicInformation);
    draft.controls.insert(QStringLiteral("Form2/Edit1"), QStringLiteral("远方公司"));
    const QString path = QDir(draftsFolder()).filePath(QStringLiteral("20260102-093000-abcdef.txt"));
    writeAll(path, draft.toText());
    const QByteArray lock("999999\ncsr-survey\nfar-away-pc\n"); // process, program, machine
    writeAll(path + QStringLiteral(".lock"), lock);
    QVERIFY(ageBy(path + QStringLiteral(".lock"), 120));

    Run run(dataFolder());
    ModalBoxes boxes;
    for (int answer : answers)
        answer ? boxes.answerWith(QMessageBox::StandardButton(answer)) : boxes.answerWithKey(Qt::Key_Escape);
    run.resumption.start();
    QCOMPARE(boxes.count(), answers.size());
    QCOMPARE(boxes.seen().first().text,
             kAskPrefix + QStringLiteral("远方公司，2026-01-02 09:30，可能正在另一台电脑上使用（主机 far-away-pc）") +
                 kAskSuffix);
    if (answers.size() > 1) {
        const SeenBox &question = boxes.seen().at(1);
        QVERIFY2(question.text.contains(QStringLiteral("far-away-pc")) &&
                     question.text.contains(QStringLiteral("接管")),
                 qPrintable(question.text));
        QCOMPARE(question.defaultButton, QMessageBox::No);
    }
    QCOMPARE(field(run.shell.basicInformationPage(), "Edit1")->text(),
             takenOver ? QStringLiteral("远方公司") : QString());
    if (takenOver) {
        QCOMPARE(run.draft().path(), path);
        QVERIFY(readAll(path + QStringLiteral(".lock"))
                    .startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
    } else {
        QCOMPARE(readAll(path + QStringLiteral(".lock")), lock);
        QCOMPARE(readAll(path), draft.toText());
    }
}

int main(int argc, char *argv[])
{
    chooseTestPlatform();
    if (argc == 4 && QByteArray(argv[1]) == "--typing-child")
        return typingChild(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--correcting-child")
        return correctingChild(argc, argv);
    SurveyApplication app(argc, argv);
    Shell::prepareApplication();
    app.setAttribute(Qt::AA_Use96Dpi, true);
    DraftsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_drafts.moc"
