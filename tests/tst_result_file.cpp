// The result file: its bytes, its place, and every way writing it can fail.
#include "pages/intro/IntroPage.h"
#include "pages/profile/BasicInformationPage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "survey/AnswerRecord.h"
#include "survey/Captions.h"
#include "platform/FileSystemCalls.h"
#include "survey/ResultFileReader.h"
#include "survey/ResultFileWriter.h"
#include "tests/support/Drive.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/FilesIn.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/RandomFiller.h"
#include "tests/support/ResultFile.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSystem.h"
#include "tests/support/Walk.h"

#include <QClipboard>
#include <QDir>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>

namespace {

// The real calls, with one step made to fail for a given reason.
class FailingCalls : public ForwardingFileSystem {
public:
    enum Step { Nothing, Check, Create, Write, Sync, Close, Rename, OpenFilesExhausted };
    Step step = Nothing;
    int code = 0;

    int checkReplaceable(const QByteArray &path) override
    {
        return step == Check ? code : real().checkReplaceable(path);
    }
    int createTemporary(const QByteArray &prefix, const QByteArray &suffix, Handle &file, QByteArray &path) override
    {
        if (step == Create)
            return code;
        if (step == OpenFilesExhausted) // a real EMFILE: the process may open no further file meanwhile
            return TestSystem::withNoFileLeft([&] { return real().createTemporary(prefix, suffix, file, path); });
        return real().createTemporary(prefix, suffix, file, path);
    }
    int writeAll(Handle file, const char *data, std::size_t size) override
    {
        if (step != Write)
            return real().writeAll(file, data, size);
        real().writeAll(file, data, size / 2); // the disk fills up half-way
        return code;
    }
    int sync(Handle file) override { return step == Sync ? code : real().sync(file); }
    int close(Handle file) override
    {
        const int result = real().close(file);
        return step == Close ? code : result;
    }
    int rename(const QByteArray &from, const QByteArray &to) override
    {
        return step == Rename ? code : real().rename(from, to);
    }
};

QList<QString> snapshot(const AnswerRecord &record)
{
    QList<QString> texts;
    for (int k = 1; k <= AnswerRecord::kSlotCount; ++k)
        texts << record.get(k);
    return texts;
}

using Lines = QList<QPair<int, QString>>;

} // namespace

class ResultFileTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void writesEveryLineByteForByte_data();
    void writesEveryLineByteForByte();
    void replacesAnEarlierFileOfTheSameName();
    void landsBesideTheProgramWhateverTheWorkingFolder();
    void othersMayReadItAsTheUmaskAllows_data();
    void othersMayReadItAsTheUmaskAllows();
    void failureShowsTheErrorBoxAndLosesNothing_data();
    void failureShowsTheErrorBoxAndLosesNothing();
    void theLargestFileThePagesTakeIsSavedWhole();

private:
    // Presses a button whose handler saves, as "保存退出" does, so an error
    // travels the real way to the error box.
    void pressSave();

    std::unique_ptr<Shell> shell_;
    std::unique_ptr<QTemporaryDir> folder_;
    FailingCalls calls_;
};

void ResultFileTest::init()
{
    shell_ = std::make_unique<Shell>();
    shell_->createPages();
    folder_ = std::make_unique<QTemporaryDir>();
    calls_.step = FailingCalls::Nothing;
    shell_->setFileSystem(&calls_);
    shell_->setProgramFolder(folder_->path() + QLatin1Char('/'));
}

void ResultFileTest::cleanup()
{
    shell_.reset();
    folder_.reset();
}

void ResultFileTest::pressSave()
{
    QPushButton save(QStringLiteral("保存退出"));
    connect(&save, &QPushButton::clicked, shell_.get(), &Shell::saveResultFile);
    save.show();
    QVERIFY(QTest::qWaitForWindowExposed(&save));
    QTest::mouseClick(&save, Qt::LeftButton);
}

void ResultFileTest::writesEveryLineByteForByte_data()
{
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray empty138 = QByteArray("\r\n").repeated(138);
    QTest::newRow("only the name") << Lines{{1, QStringLiteral("甲公司")}} << QStringLiteral("甲公司_填报结果.dbf")
                                   << QByteArray("\xbc\xd7\xb9\xab\xcb\xbe\r\n") + empty138;
    QTest::newRow("blanks kept") << Lines{{1, QStringLiteral(" 甲 公司 ")}} << QStringLiteral(" 甲 公司 _填报结果.dbf")
                                 << QByteArray(" \xbc\xd7 \xb9\xab\xcb\xbe \r\n") + empty138;
    QTest::newRow("chinese, codes and a trailing point")
        << Lines{{1, QStringLiteral("ACME")},
                 {5, QStringLiteral("有限责任公司")},
                 {9, QStringLiteral("999999")},
                 {139, QStringLiteral("5.")}}
        << QStringLiteral("ACME_填报结果.dbf")
        << QByteArray("ACME\r\n") + QByteArray("\r\n").repeated(3) +
               "\xd3\xd0\xcf\xde\xd4\xf0\xc8\xce\xb9\xab\xcb\xbe\r\n" + "\r\n\r\n\r\n999999\r\n" +
               QByteArray("\r\n").repeated(129) + "5.\r\n";
}

void ResultFileTest::writesEveryLineByteForByte()
{
    QFETCH(Lines, lines);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    for (const auto &line : lines)
        shell_->record().set(line.first, line.second);

    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    pressSave();

    const QString path = folder_->path() + QLatin1Char('/') + fileName;
    QCOMPARE(ResultFile::readBytes(path), bytes);
    QCOMPARE(filesIn(folder_->path()), QStringList{fileName}); // no temporary left behind
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().text, QStringLiteral("填报结果保存为:") + path);
    QCOMPARE(boxes.last().title, QStringLiteral("2014全国Kelmar社会责任调研问卷填报"));
    QCOMPARE(boxes.last().icon, QMessageBox::NoIcon);
    QCOMPARE(boxes.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(shell_->hasEnded());
}

void ResultFileTest::replacesAnEarlierFileOfTheSameName()
{
    const QString path = folder_->path() + QStringLiteral("/乙_填报结果.dbf");
    QFile earlier(path);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write(QByteArray("an earlier run's much longer content\r\n").repeated(400));
    earlier.close();

    shell_->record().set(1, QStringLiteral("乙"));
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    pressSave();

    QCOMPARE(boxes.count(), 1);
    QCOMPARE(ResultFile::readBytes(path), QByteArray("\xd2\xd2\r\n") + QByteArray("\r\n").repeated(138));
}

void ResultFileTest::landsBesideTheProgramWhateverTheWorkingFolder()
{
    shell_->setProgramFolder(QString()); // the real program folder
    shell_->setFileSystem(nullptr);
    const QString elsewhere = folder_->path();
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(elsewhere));

    const QString name = QStringLiteral("工作目录测试%1").arg(QCoreApplication::applicationPid());
    shell_->record().set(1, name);
    shell_->record().set(2, QStringLiteral("地址"));
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    pressSave();
    QDir::setCurrent(before);

    const QString expected = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/')) +
                             name + QStringLiteral("_填报结果.dbf");
    const QByteArray bytes = ResultFile::readBytes(expected);
    QFile::remove(expected);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().text, Captions::kSavedAs.toString() + expected);
    // six Chinese characters, the digits of the pid, two Chinese characters, 139 CR LF
    QCOMPARE(bytes.size(), 12 + QString::number(QCoreApplication::applicationPid()).size() + 4 + 278);
    QVERIFY(filesIn(elsewhere).isEmpty());
}

void ResultFileTest::othersMayReadItAsTheUmaskAllows_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("replacesPrivateFile");
    QTest::newRow("umask 022") << 0022 << 0644 << false;
    QTest::newRow("umask 002") << 0002 << 0664 << false;
    QTest::newRow("umask 027") << 0027 << 0640 << false;
    QTest::newRow("umask 077") << 0077 << 0600 << false;
    QTest::newRow("umask 022, over an earlier file only its owner could read") << 0022 << 0644 << true;
}

// The data collectors' tools read the file as any other file: it gets the
// mode the umask gives a new file, not the owner-only mode of a temporary.
void ResultFileTest::othersMayReadItAsTheUmaskAllows()
{
    QFETCH(int, mask);
    QFETCH(int, mode);
    QFETCH(bool, replacesPrivateFile);
    if (!TestSystem::isPosix())
        QSKIP("file modes and the umask are POSIX");
    shell_->setFileSystem(nullptr); // the program's own calls
    const QString name = QStringLiteral("丁公司");
    const QString path = folder_->path() + QLatin1Char('/') + name + QStringLiteral("_填报结果.dbf");
    if (replacesPrivateFile) {
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier\r\n");
        earlier.close();
        QVERIFY(earlier.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    }
    shell_->record().set(1, name);

    QuestionnairePage *page = shell_->questionnairePage();
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page, Drive::kPatience));
    Drive::showTabOf(page, QStringLiteral("BitBtn9"));
    QCOMPARE(Drive::control<QPushButton>(page, QStringLiteral("BitBtn9"))->text(), QStringLiteral("保存退出"));
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    TestSystem::withUmask(mask, [&] { Drive::press(page, QStringLiteral("BitBtn9")); });
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().text, Captions::kSavedAs.toString() + path);
    QVERIFY(shell_->hasEnded());

    QCOMPARE(QString::number(TestSystem::modeOf(path), 8), QString::number(mode, 8));
    QCOMPARE(ResultFile::lines(ResultFile::readBytes(path)).value(0), name);
}

void ResultFileTest::failureShowsTheErrorBoxAndLosesNothing_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");

    const QString name = QStringLiteral("丙公司");
    const TestSystem::ErrorCodes &codes = TestSystem::errorCodes();
    const auto ioError = [](int code) { return QStringLiteral("I/O error %1.").arg(code); };
    QTest::newRow("no write permission in the folder")
        << int(FailingCalls::Create) << codes.accessDenied << name << QStringLiteral("File access denied.");
    QTest::newRow("read-only result file")
        << int(FailingCalls::Check) << codes.accessDenied << name << QStringLiteral("File access denied.");
    QTest::newRow("program folder gone") << int(FailingCalls::Create) << codes.missingFolder << name
                                         << QStringLiteral("Invalid filename.");
    QTest::newRow("disk full while writing")
        << int(FailingCalls::Write) << codes.diskFull << name << ioError(codes.diskFull);
    QTest::newRow("failure at the sync to disk")
        << int(FailingCalls::Sync) << codes.ioFailure << name << ioError(codes.ioFailure);
    QTest::newRow("failure at close") << int(FailingCalls::Close) << codes.ioFailure << name
                                      << ioError(codes.ioFailure);
    QTest::newRow("file held by another program")
        << int(FailingCalls::Rename) << codes.heldByAnotherProgram << name << ioError(codes.heldByAnotherProgram);
    if (TestSystem::isPosix()) // Windows has no descriptor limit to exhaust
        QTest::newRow("too many open files (real)")
            << int(FailingCalls::OpenFilesExhausted) << 0 << name << QStringLiteral("Too many open files.");
    QTest::newRow("slash into an existing folder (real)")
        << int(FailingCalls::Nothing) << 0 << QStringLiteral("sub/丙公司") << QStringLiteral("Invalid filename.");
    QTest::newRow("backslash (real)") << int(FailingCalls::Nothing) << 0 << QStringLiteral("丙\\公司")
                                      << QStringLiteral("Invalid filename.");
    // Said in words, with what to do; refused before the system is asked
    // (Wine would shorten the name without a word).
    const QString nameTooLong = QStringLiteral("企业注册全称太长，不能用作结果文件的文件名。"
                                               "请按“上一步”回到第一页，把企业注册全称改短一些，再按“保存退出”。");
    QTest::newRow("overlong name (real)")
        << int(FailingCalls::Nothing) << 0 << QString(300, QChar(u'甲')) << nameTooLong;
    QTest::newRow("a file system of shorter names")
        << int(FailingCalls::Check) << codes.nameTooLong << name << nameTooLong;
    QTest::newRow("a folder holds the name (real)")
        << int(FailingCalls::Nothing) << 0 << QStringLiteral("folder") << codes.folderNameMessage;
}

void ResultFileTest::failureShowsTheErrorBoxAndLosesNothing()
{
    QFETCH(int, step);
    QFETCH(int, code);
    QFETCH(QString, name);
    QFETCH(QString, message);
    const QString folder = folder_->path() + QLatin1Char('/');
    QVERIFY(QDir(folder).mkdir(QStringLiteral("sub")));
    QVERIFY(QDir(folder).mkdir(QStringLiteral("folder_填报结果.dbf")));
    // An earlier run's file of the same name (where the name can be a file).
    const QString earlierPath = folder + name + QStringLiteral("_填报结果.dbf");
    const QByteArray earlierBytes("earlier\r\n");
    {
        QFile earlier(earlierPath);
        if (earlier.open(QIODevice::WriteOnly))
            earlier.write(earlierBytes);
    }
    const QStringList filesBefore = filesIn(folder);
    const QStringList subBefore = filesIn(folder + QStringLiteral("sub"));

    shell_->record().set(1, name);
    shell_->record().set(70, QStringLiteral("1999999999"));
    shell_->record().set(139, QStringLiteral("其他类型"));
    const QList<QString> recordBefore = snapshot(shell_->record());
    calls_.step = FailingCalls::Step(step);
    calls_.code = code;

    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    pressSave();

    QCOMPARE(boxes.count(), 1); // the error box alone: no saved-as message
    QCOMPARE(boxes.last().text, message);
    QCOMPARE(boxes.last().title, QStringLiteral("2014全国Kelmar社会责任调研问卷填报"));
    QCOMPARE(boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(boxes.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!shell_->hasEnded());
    QCOMPARE(snapshot(shell_->record()), recordBefore);
    QCOMPARE(filesIn(folder), filesBefore); // no temporary, no partial file
    QCOMPARE(filesIn(folder + QStringLiteral("sub")), subBefore);
    if (QFileInfo(earlierPath).isFile())
        QCOMPARE(ResultFile::readBytes(earlierPath), earlierBytes);

    // Once the cause is gone, pressing again saves.
    calls_.step = FailingCalls::Nothing;
    shell_->record().set(1, QStringLiteral("丙公司"));
    boxes.answerWith(QMessageBox::Ok);
    pressSave();
    QCOMPARE(boxes.count(), 2);
    QVERIFY(boxes.last().text.startsWith(Captions::kSavedAs));
    QVERIFY(shell_->hasEnded());
    const QByteArray saved = ResultFile::readBytes(folder + QStringLiteral("丙公司_填报结果.dbf"));
    QCOMPARE(ResultFile::lines(saved).size(), 139);
    QCOMPARE(ResultFile::lines(saved).at(69), QStringLiteral("1999999999"));
    QCOMPARE(ResultFile::lines(saved).at(138), QStringLiteral("其他类型"));
}

// No field cuts what is pasted into it, so the pages stop a record that would
// make the file larger than its reader takes, with a word on the page; up to
// that size the file is saved and read back whole.
void ResultFileTest::theLargestFileThePagesTakeIsSavedWhole()
{
    const QString name = QStringLiteral("大公司");
    const QString folder = folder_->path() + QLatin1Char('/');
    qint64 rest = 0; // what the pages write besides the address
    {
        Shell shell;
        shell.setProgramFolder(folder);
        ModalBoxes boxes;
        shell.showIntroPage();
        RandomFiller::press(shell.introPage(), QStringLiteral("开始填报"));
        Drive::typeInto(shell.basicInformationPage(), QStringLiteral("Edit1"), name);
        const QString path = Walk::toTheSave(shell, boxes);
        rest = QFileInfo(path).size();
        QVERIFY(QFile::remove(path));
    }
    const qint64 room = Survey::kMaxFileBytes - rest;
    const QString address = QString(room / 2, QChar(u'址')) + QString(room % 2, QLatin1Char('x'));

    for (const int extra : {1, 0}) {
        Shell shell;
        shell.setProgramFolder(folder);
        ModalBoxes boxes;
        shell.showIntroPage();
        RandomFiller::press(shell.introPage(), QStringLiteral("开始填报"));
        Page *basic = shell.basicInformationPage();
        Drive::typeInto(basic, QStringLiteral("Edit1"), name);
        QGuiApplication::clipboard()->setText(address + QString(extra, QLatin1Char('y')));
        auto *field = Drive::control<QLineEdit>(basic, QStringLiteral("Edit2"));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        const QString path = Walk::toTheSave(shell, boxes);
        if (extra > 0) { // one byte too many: said before anything is written, and the page stays
            QVERIFY(path.isEmpty());
            QCOMPARE(boxes.count(), 1);
            QCOMPARE(boxes.last().icon, QMessageBox::Warning);
            for (const QString &said : {QStringLiteral("第 2 行"), QString::number(Survey::kMaxFileBytes),
                                        QString::number(Survey::kMaxFileBytes + 1)})
                QVERIFY2(boxes.last().text.contains(said), qPrintable(boxes.last().text.left(300)));
            QVERIFY(!shell.hasEnded() && shell.questionnairePage()->isVisible());
            QVERIFY(filesIn(folder).isEmpty());
            continue;
        }
        QCOMPARE(QFileInfo(path).size(), Survey::kMaxFileBytes);
        const ResultFileReader::Result read = ResultFileReader::read(path);
        QVERIFY2(read.accepted(), qPrintable(read.reason));
        QCOMPARE(read.lines.value(1), address);
    }
}

SURVEY_TEST_MAIN(ResultFileTest)
#include "tst_result_file.moc"
