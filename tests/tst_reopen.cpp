// Reopening a result file: the pages filled from its lines show what the file
// holds, walking through them and saving gives the same bytes back, and a file
// that does not fit is named in a box and nothing of it is loaded.
#include "app/drafts/Resumption.h"
#include "pages/intro/IntroPage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "platform/FileSystemCalls.h"
#include "platform/SafeFile.h"
#include "tests/collect/SampleRecords.h"
#include "tests/support/Drive.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/RandomFiller.h"
#include "tests/support/ResultFile.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSystem.h"
#include "tests/support/Walk.h"
#include "widgets/Page.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

const QString kSuffix = QStringLiteral("_填报结果.dbf");

// A file as the program writes it with nothing ticked, and these lines over it.
QByteArray fileOf(const QList<QPair<int, QString>> &lines)
{
    QList<QPair<int, QString>> all;
    const QStringList blank = SampleRecords::blankLines(QString());
    for (int k = 1; k <= blank.size(); ++k)
        all.append({k, blank[k - 1]});
    all.append(lines); // later entries win
    return ResultFile::expected(all);
}

QString writeFile(const QString &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// Every line filled as the program writes it for one enterprise: the lines by hand.
QList<QPair<int, QString>> aFullFile()
{
    QList<QPair<int, QString>> lines = {
        {1, QStringLiteral("甲乙科技有限公司")},
        {2, QStringLiteral(" 北京市 ")},
        {3, QStringLiteral("500")},
        {4, QStringLiteral("1200.5")},
        {5, QStringLiteral("股份有限公司")},
        {6, QStringLiteral("10-20年")},
        {7, QStringLiteral("19")},
        {8, QStringLiteral("新能源")},
        {9, QStringLiteral("191919")},
        {10, QStringLiteral("1")},
        {11, QStringLiteral("1")},
        {12, QStringLiteral("甲乙基金")},
        {13, QStringLiteral("100")},
        {14, QStringLiteral("50")},
        {15, QStringLiteral("2008年")},
        {16, QStringLiteral("B")},
        {17, QStringLiteral("1")},
        {18, QStringLiteral("GRI")},
        {19, QStringLiteral("1")},
        {20, QStringLiteral("11-30页")},
        {21, QStringLiteral("网站")},
        {22, QStringLiteral("9")},
        {23, QStringLiteral("2010年")},
        {24, QStringLiteral("4")},
        {25, QStringLiteral("12a")}, // pasted into a number field: loaded as it stands
        {114, QStringLiteral("30")},
        {137, QStringLiteral("7.")},
        {138, QStringLiteral("1999999991")},
        {139, QStringLiteral("养殖")},
        {65, QStringLiteral("119991")},
        {66, QStringLiteral("999999")},
        {67, QStringLiteral("999999999")},
        {68, QStringLiteral("999999")},
        {69, QStringLiteral("999999")},
        {70, QStringLiteral("9999999999")},
        {71, QStringLiteral("999999999")},
        {72, QStringLiteral("99999999")},
        {73, QStringLiteral("999999")},
        {74, QStringLiteral("9999")},
        {75, QStringLiteral("9999999")},
        {76, QStringLiteral("99999")},
        {77, QStringLiteral("99999")},
        {78, QStringLiteral("99999")},
        {79, QStringLiteral("99999")},
        {80, QStringLiteral("9999999")},
        {81, QStringLiteral("9999999")},
        {82, QStringLiteral("9999999")},
        {83, QStringLiteral("99999")},
        {84, QStringLiteral("9999999")},
        {85, QStringLiteral("CAE")},
        {86, QStringLiteral("999999")},
        {87, QStringLiteral("999999999")},
        {88, QStringLiteral("品牌")},
    };
    return lines;
}

template <class T> T *on(Page *page, const char *name)
{
    return page->findChild<T *>(QString::fromLatin1(name));
}

} // namespace

class ReopenTest : public QObject {
    Q_OBJECT
private slots:
    void randomAnswersSurviveReopeningByteForByte_data();
    void randomAnswersSurviveReopeningByteForByte();
    void reopenedPagesShowWhatTheFileHolds();
    void droppedFileOnTheIntroPageIsOpened();
    void fileThatDoesNotFitIsNamedAndNothingIsLoaded_data();
    void fileThatDoesNotFitIsNamedAndNothingIsLoaded();
    void textLongerThanAFieldsDefaultLimitIsKeptWhole();
    void fileWhoseNameIsNotUtf8IsOpened();
};

void ReopenTest::randomAnswersSurviveReopeningByteForByte_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 200; ++seed)
        QTest::addRow("seed %u", seed) << seed;
}

void ReopenTest::randomAnswersSurviveReopeningByteForByte()
{
    QFETCH(quint32, seed);
    QTemporaryDir folder;
    QByteArray first;
    QString path;
    {
        Shell shell;
        shell.setProgramFolder(folder.path() + QLatin1Char('/'));
        ModalBoxes boxes;
        shell.showIntroPage();
        RandomFiller filler(seed);
        RandomFiller::press(shell.introPage(), QStringLiteral("开始填报"));
        for (Survey::PageId index : {Survey::PageId::BasicInformation, Survey::PageId::Foundation,
                                     Survey::PageId::Performance, Survey::PageId::Questionnaire}) {
            filler.fillPage(shell.page(index));
            if (QTest::currentTestFailed())
                return;
        }
        boxes.answerWith(QMessageBox::Ok);
        RandomFiller::press(shell.questionnairePage(), QStringLiteral("保存退出"));
        QVERIFY(shell.hasEnded());
        QCOMPARE(boxes.unexpected(), 0);
        path = Walk::savedPath(boxes);
        first = ResultFile::readBytes(path);
        QCOMPARE(ResultFile::lines(first).size(), 139);
    }
    Shell shell;
    Resumption reopening(shell);
    shell.setProgramFolder(folder.path() + QLatin1Char('/'));
    ModalBoxes boxes;
    shell.showIntroPage();
    QVERIFY(reopening.openResultFile(FileSystemCalls::nativePath(path)));
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(Walk::toTheSave(shell, boxes), path);
    QCOMPARE(ResultFile::readBytes(path), first);
}

void ReopenTest::reopenedPagesShowWhatTheFileHolds()
{
    QTemporaryDir folder;
    const QByteArray bytes = fileOf(aFullFile());
    const QString path = writeFile(folder.path(), QStringLiteral("甲乙科技有限公司") + kSuffix, bytes);
    Shell shell;
    Resumption reopening(shell);
    shell.setProgramFolder(folder.path() + QLatin1Char('/'));
    ModalBoxes boxes;
    shell.showIntroPage();
    QVERIFY(reopening.openResultFile(FileSystemCalls::nativePath(path)));
    QVERIFY(shell.introPage()->isVisible()); // the person starts from the intro page as usual

    Page *basic = shell.page(Survey::PageId::BasicInformation);
    QCOMPARE(on<QLineEdit>(basic, "Edit2")->text(), QStringLiteral(" 北京市 "));
    QCOMPARE(on<QComboBox>(basic, "ComboBox1")->currentText(), QStringLiteral("股份有限公司"));
    QVERIFY(on<QRadioButton>(basic, "RadioButton19")->isChecked());
    QVERIFY(!on<QLineEdit>(basic, "Edit5")->isHidden()); // the other industry is asked for
    QCOMPARE(on<QLineEdit>(basic, "Edit5")->text(), QStringLiteral("新能源"));
    QVERIFY(on<QCheckBox>(basic, "CheckBox1")->isChecked() && !on<QCheckBox>(basic, "CheckBox2")->isChecked());

    Page *foundation = shell.page(Survey::PageId::Foundation);
    QVERIFY(on<QLineEdit>(foundation, "Edit6")->isEnabled());
    QVERIFY(on<QLineEdit>(foundation, "Edit11")->isEnabled());
    QVERIFY(on<QCheckBox>(foundation, "CheckBox9")->isChecked());
    QVERIFY(on<QCheckBox>(foundation, "CheckBox8")->isChecked());
    QCOMPARE(on<QComboBox>(foundation, "ComboBox5")->currentText(), QStringLiteral("2010年"));

    Page *performance = shell.page(Survey::PageId::Performance);
    QCOMPARE(on<QLineEdit>(performance, "Edit1")->text(), QStringLiteral("12a"));
    QVERIFY(on<QCheckBox>(performance, "CheckBox1")->isChecked());
    QVERIFY(on<QLineEdit>(performance, "Edit97")->isEnabled());
    QVERIFY(!on<QLineEdit>(performance, "Edit36")->isEnabled());
    QVERIFY(on<QLineEdit>(performance, "Edit31")->isEnabled());
    QCOMPARE(on<QLineEdit>(performance, "Edit30")->text(), QStringLiteral("7."));

    auto *questionnaire = shell.questionnairePage();
    QCOMPARE(questionnaire->ranking(), QStringLiteral("CAE"));
    QCOMPARE(on<QLabel>(questionnaire, "Label3")->text(), QStringLiteral("CAE"));
    QVERIFY(on<QCheckBox>(questionnaire, "CheckBox23")->isChecked());
    QVERIFY(on<QLineEdit>(questionnaire, "Edit4")->isEnabled());
    QCOMPARE(on<QLineEdit>(questionnaire, "Edit4")->text(), QStringLiteral("品牌"));
    QVERIFY(!on<QLineEdit>(questionnaire, "Edit1")->isEnabled());

    // Nothing was written to the file by opening it; the walk gives it back unchanged.
    QCOMPARE(ResultFile::readBytes(path), bytes);
    QCOMPARE(Walk::toTheSave(shell, boxes), path);
    QCOMPARE(ResultFile::readBytes(path), bytes);
}

void ReopenTest::droppedFileOnTheIntroPageIsOpened()
{
    QTemporaryDir folder;
    const QString path = writeFile(folder.path(), QStringLiteral("丙") + kSuffix,
                                   fileOf({{1, QStringLiteral("丙")}, {7, QStringLiteral("3")}}));
    Shell shell;
    Resumption reopening(shell);
    ModalBoxes boxes;
    shell.showIntroPage();
    IntroPage *intro = shell.introPage();
    QVERIFY(QTest::qWaitForWindowExposed(intro));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(intro, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(intro, &drop);
    QCOMPARE(on<QLineEdit>(shell.page(Survey::PageId::BasicInformation), "Edit1")->text(), QStringLiteral("丙"));
    QVERIFY(on<QRadioButton>(shell.page(Survey::PageId::BasicInformation), "RadioButton3")->isChecked());
    QCOMPARE(shell.record().get(7), QStringLiteral("3"));
    QCOMPARE(boxes.count(), 0);
}

void ReopenTest::fileThatDoesNotFitIsNamedAndNothingIsLoaded_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");

    const QByteArray good = fileOf({{1, QStringLiteral("丁")}});
    auto with = [](QList<QPair<int, QString>> lines) {
        lines.prepend({1, QStringLiteral("丁")});
        return fileOf(lines);
    };
    QByteArray lfOnly = good;
    lfOnly.replace("\r\n", "\n");
    QByteArray notGbk = good;
    notGbk.insert(notGbk.indexOf("\r\n") + 2, QByteArray("\x80\xff", 2)); // line 2

    QTest::newRow("138 lines") << good.left(good.size() - 2) << 0 << QStringLiteral("139");
    QTest::newRow("LF line ends") << lfOnly << 0 << QStringLiteral("CR LF");
    QTest::newRow("not GBK") << notGbk << 2 << QStringLiteral("GBK");
    QTest::newRow("UTF-8 mark before the content")
        << "\xEF\xBB\xBF" + good << 0 << QStringLiteral("文件以 UTF-8 标记开头，不是程序保存的填报结果");
    QTest::newRow("industry 20") << with({{7, QStringLiteral("20")}}) << 7 << QStringLiteral("20");
    QTest::newRow("code string too short") << with({{65, QStringLiteral("11")}}) << 65 << QString();
    QTest::newRow("list item not in list")
        << with({{5, QStringLiteral("集体企业")}}) << 5 << QStringLiteral("集体企业");
    QTest::newRow("four ticks in question 1") << with({{65, QStringLiteral("111199")}}) << 65 << QString();
    QTest::newRow("figures of an unticked type")
        << with({{138, QStringLiteral("9999999999")}, {114, QStringLiteral("5")}}) << 114 << QString();
}

void ReopenTest::fileThatDoesNotFitIsNamedAndNothingIsLoaded()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    const QString path = writeFile(folder.path(), QStringLiteral("丁") + kSuffix, bytes);
    const QDateTime modified = QFileInfo(path).lastModified();

    Shell shell;
    Resumption reopening(shell);
    ModalBoxes boxes;
    boxes.answerWith(QMessageBox::Ok);
    shell.showIntroPage();
    QVERIFY(!reopening.openResultFile(FileSystemCalls::nativePath(path)));
    QCOMPARE(boxes.count(), 1);
    const SeenBox &box = boxes.last();
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.title, QStringLiteral("2014全国Kelmar社会责任调研问卷填报"));
    QVERIFY2(box.text.contains(QDir::toNativeSeparators(path)), qPrintable(box.text));
    if (line > 0)
        QVERIFY2(box.text.contains(QStringLiteral("第 %1 行").arg(line)), qPrintable(box.text));
    QVERIFY2(box.text.contains(reason), qPrintable(box.text));

    // Nothing loaded, nothing written.
    for (int k = 1; k <= 139; ++k)
        QCOMPARE(shell.record().get(k), QString());
    for (Page *page : shell.pages())
        for (QLineEdit *field : page->findChildren<QLineEdit *>())
            QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
    QCOMPARE(ResultFile::readBytes(path), bytes);
    QCOMPARE(QFileInfo(path).lastModified(), modified);
}

void ReopenTest::textLongerThanAFieldsDefaultLimitIsKeptWhole()
{
    // 40,000 characters (QLineEdit keeps 32,767 unless told otherwise), 60,000
    // bytes in the file: within what a result file may hold.
    const QString address = QStringLiteral("北京ab").repeated(10000);
    QTemporaryDir folder;
    QString path;
    QByteArray first;
    {
        Shell shell;
        shell.setProgramFolder(folder.path() + QLatin1Char('/'));
        ModalBoxes boxes;
        shell.showIntroPage();
        RandomFiller::press(shell.introPage(), QStringLiteral("开始填报"));
        Page *basic = shell.page(Survey::PageId::BasicInformation);
        Drive::typeInto(basic, QStringLiteral("Edit1"), QStringLiteral("长地址公司"));
        QGuiApplication::clipboard()->setText(address);
        auto *field = on<QLineEdit>(basic, "Edit2");
        field->setFocus();
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), address);
        path = Walk::toTheSave(shell, boxes);
        first = ResultFile::readBytes(path);
        QCOMPARE(ResultFile::lines(first).value(1), address);
    }
    Shell shell;
    Resumption reopening(shell);
    shell.setProgramFolder(folder.path() + QLatin1Char('/'));
    ModalBoxes boxes;
    shell.showIntroPage();
    QVERIFY(reopening.openResultFile(FileSystemCalls::nativePath(path)));
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(on<QLineEdit>(shell.page(Survey::PageId::BasicInformation), "Edit2")->text(), address);
    QCOMPARE(Walk::toTheSave(shell, boxes), path);
    QCOMPARE(ResultFile::readBytes(path), first);
}

void ReopenTest::fileWhoseNameIsNotUtf8IsOpened()
{
    if (!TestSystem::isPosix())
        QSKIP("Windows names files in Unicode: a name cannot be bytes that are not text");
    QTemporaryDir folder;
    // "丁" in GBK, as an older system may have named the file: not UTF-8.
    const QByteArray native = FileSystemCalls::nativePath(folder.path()) + "/\xb6\xa1";
    auto written = [](const QByteArray &name, const QByteArray &bytes) {
        SafeFile file(name);
        return file.open() && file.write(bytes) && file.commit();
    };
    const QByteArray fits = native + FileSystemCalls::nativePath(kSuffix);
    QVERIFY(written(fits, fileOf({{1, QStringLiteral("丁")}, {7, QStringLiteral("3")}})));

    Shell shell;
    Resumption reopening(shell);
    ModalBoxes boxes;
    reopening.start(fits); // as the name comes from the command line
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(shell.record().get(1), QStringLiteral("丁"));
    QVERIFY(on<QRadioButton>(shell.page(Survey::PageId::BasicInformation), "RadioButton3")->isChecked());

    // A file that does not fit is named as the system shows the name.
    const QByteArray damaged = native + "-2" + FileSystemCalls::nativePath(kSuffix);
    QVERIFY(written(damaged, "not a result file"));
    boxes.answerWith(QMessageBox::Ok);
    QVERIFY(!reopening.openResultFile(damaged));
    QCOMPARE(boxes.count(), 1);
    QVERIFY2(boxes.last().text.contains(FileSystemCalls::displayPath(damaged)), qPrintable(boxes.last().text));
    QCOMPARE(shell.record().get(1), QStringLiteral("丁")); // the filling on screen goes on
}

SURVEY_TEST_MAIN(ReopenTest)
#include "tst_reopen.moc"
