// Start-up, the intro page and the window style every page shares.
#include "pages/intro/IntroPage.h"
#include "pages/performance/PerformancePage.h"
#include "pages/profile/BasicInformationPage.h"
#include "pages/profile/FoundationPage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "survey/AnswerRecord.h"
#include "tests/support/PageFixture.h"
#include "tests/support/TestMain.h"
#include "widgets/Banner.h"
#include "widgets/Glyphs.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

class IntroTest : public QObject, private PageFixture<IntroPage> {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startUpCreatesHiddenPagesAndClearsTheRecord();
    void introPageLabels_data();
    void introPageLabels();
    void startButton();
    void bannerDrawnAtNaturalSizeAndCut();
    void damagedBannerNeverCrashes_data();
    void damagedBannerNeverCrashes();
    void everyPageSharesTheWindowStyle_data();
    void everyPageSharesTheWindowStyle();
    void pageCentredOnFirstShowThenKeepsItsPlace();
    void glyphsHaveATransparentGroundAndAGreyedImage();
};

void IntroTest::init()
{
    openPages(&Shell::introPage);
}

void IntroTest::cleanup()
{
    closePages();
}

void IntroTest::startUpCreatesHiddenPagesAndClearsTheRecord()
{
    {
        Shell earlier;
        earlier.record().set(1, QStringLiteral("left over"));
        earlier.record().set(139, QStringLiteral("left over"));
    }
    Shell shell;
    shell.createPages();
    QCOMPARE(shell.record().get(1), QString());
    QCOMPARE(shell.record().get(139), QString());
    for (QWidget *page : shell.pages())
        QVERIFY(!page->isVisible());
}

void IntroTest::introPageLabels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<int>("width"); // 0: as wide as its text
    QTest::addColumn<int>("pixels");
    QTest::addColumn<QString>("text");
    QTest::newRow("Label1") << "Label1" << QPoint(8, 194) << 0 << 19 << QStringLiteral("软件使用说明：");
    QTest::newRow("Label2") << "Label2" << QPoint(16, 236) << 780 << 13
                            << QStringLiteral("1. 本软件只做数据收集使用。");
    QTest::newRow("Label3") << "Label3" << QPoint(16, 259) << 780 << 13
                            << QStringLiteral("2. 点击“开始填报”按钮进入问卷页面，依次点击“下一步”进行填报。");
    QTest::newRow("Label4") << "Label4" << QPoint(16, 283) << 780 << 13
                            << QStringLiteral("3. 点击“上一步”可对已填报内容进行浏览和修改。");
    QTest::newRow("Label5") << "Label5" << QPoint(16, 306) << 780 << 13
                            << QStringLiteral(
                                   "4. 最后点击“保存并退出”按钮，系统自动在本软件所在目录生成一个以“企业名称_填报结果”"
                                   "命名的MDF文件，请将此文件提");
    QTest::newRow("Label6") << "Label6" << QPoint(14, 330) << 780 << 13 << QStringLiteral("   交给数据收集人员。");
}

void IntroTest::introPageLabels()
{
    QFETCH(QString, name);
    QFETCH(QPoint, position);
    QFETCH(int, width);
    QFETCH(int, pixels);
    QFETCH(QString, text);
    showPage();
    auto *label = page->findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->pos(), position);
    if (width)
        QCOMPARE(label->width(), width);
    QCOMPARE(label->font().family(), QStringLiteral("黑体"));
    QCOMPARE(label->font().pixelSize(), pixels);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    // The whole text fits: nothing is cut at the right.
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(text) <= label->width());
    // The Chinese characters are drawn from a font that has them.
    QVERIFY(QFontMetrics(label->font()).inFontUcs4(text.toUcs4().at(3)));
}

void IntroTest::startButton()
{
    showPage();
    auto *button = page->findChild<QPushButton *>(QStringLiteral("BitBtn1"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("开始填报"));
    QCOMPARE(button->geometry(), QRect(620, 452, 153, 41));
    QVERIFY(!button->icon().isNull());
    // The only control that takes the focus.
    QList<QWidget *> focusable;
    for (QWidget *w : page->findChildren<QWidget *>())
        if (w->focusPolicy() != Qt::NoFocus)
            focusable << w;
    QCOMPARE(focusable, QList<QWidget *>{button});

    Drive::click(button);
    QVERIFY(!page->isVisible());
    QVERIFY(shell->basicInformationPage()->isVisible());
    QVERIFY(!shell->performancePage()->isVisible() && !shell->questionnairePage()->isVisible() &&
            !shell->foundationPage()->isVisible());
}

void IntroTest::bannerDrawnAtNaturalSizeAndCut()
{
    showPage();
    const QImage banner = Banner::load();
    QCOMPARE(banner.size(), QSize(846, 150));
    auto *image = page->findChild<QLabel *>(QStringLiteral("Image1"));
    QCOMPARE(image->geometry(), QRect(0, 0, 839, 165));

    const QImage drawn = page->grab().toImage().convertToFormat(QImage::Format_RGB888);
    const QColor background = page->palette().color(QPalette::Window);
    for (int x : {0, 5, 120, 400, 838}) {
        for (int y : {0, 40, 75, 149})
            QCOMPARE(QColor(drawn.pixel(x, y)), QColor(banner.pixel(x, y)));
        for (int y : {150, 157, 164})
            QCOMPARE(QColor(drawn.pixel(x, y)), background);
    }
}

void IntroTest::damagedBannerNeverCrashes_data()
{
    QTest::addColumn<int>("keep"); // bytes kept of the real picture; -1: garbage
    QTest::newRow("empty") << 0;
    QTest::newRow("garbage") << -1;
    QTest::newRow("header only") << 200;
    QTest::newRow("cut in the middle") << 9000;
}

void IntroTest::damagedBannerNeverCrashes()
{
    QFETCH(int, keep);
    QFile file(QStringLiteral(":/banner.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes =
        keep < 0 ? QByteArray("\xff\xd8\xff\xe0 this is no picture at all", 30) : file.readAll().left(keep);
    const QImage decoded = Banner::decodeJpeg(bytes);
    QVERIFY(decoded.isNull() || decoded.size() == QSize(846, 150));

    page->setBanner(decoded);
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page));
    QVERIFY(!page->grab().isNull());
    if (decoded.isNull()) // the page shows without it
        QVERIFY(page->findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().isNull());
}

void IntroTest::everyPageSharesTheWindowStyle_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QSize>("size");
    QTest::newRow("intro") << 0 << QSize(839, 529);
    QTest::newRow("basic information") << 1 << QSize(755, 495);
    QTest::newRow("foundation") << 2 << QSize(755, 457);
    QTest::newRow("performance") << 3 << QSize(797, 631);
    QTest::newRow("questionnaire") << 4 << QSize(1013, 651);
}

void IntroTest::everyPageSharesTheWindowStyle()
{
    QFETCH(int, index);
    QFETCH(QSize, size);
    QWidget *window = shell->pages().at(index);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->windowTitle(), QStringLiteral("2014年度全国Kelmar民营企业社会责任调研填报"));
    QCOMPARE(window->size(), size);
    QCOMPARE(window->minimumSize(), size);
    QCOMPARE(window->maximumSize(), size);
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(window->windowIcon().pixmap(48, 48).size(), QSize(48, 48));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("2014全国Kelmar社会责任调研问卷填报"));
}

void IntroTest::pageCentredOnFirstShowThenKeepsItsPlace()
{
    QWidget *basic = shell->basicInformationPage();
    basic->show();
    QVERIFY(QTest::qWaitForWindowExposed(basic));
    const QPoint centre = QGuiApplication::primaryScreen()->virtualGeometry().center();
    QVERIFY((basic->frameGeometry().center() - centre).manhattanLength() <= 2);

    basic->move(10, 20);
    const QPoint moved = basic->pos();
    shell->moveTo(Survey::PageId::Foundation);
    shell->moveTo(Survey::PageId::BasicInformation);
    QCOMPARE(basic->pos(), moved);
}

void IntroTest::glyphsHaveATransparentGroundAndAGreyedImage()
{
    for (const char *name : {"pencil", "forward", "back", "save"}) {
        const QImage bitmap(QStringLiteral(":/glyphs/%1.bmp").arg(QLatin1String(name)));
        QCOMPARE(bitmap.size(), QSize(32, 16));
        QCOMPARE(bitmap.format(), QImage::Format_Indexed8);
        QImage normal, greyed;
        QVERIFY(Glyphs::split(bitmap, normal, greyed));
        QCOMPARE(normal.size(), QSize(16, 16));
        QCOMPARE(qAlpha(normal.pixel(0, 15)), 0);
        QCOMPARE(qAlpha(greyed.pixel(0, 15)), 0);
        QVERIFY(normal != greyed);
    }
    QImage normal, greyed;
    QVERIFY(!Glyphs::split(QImage(16, 16, QImage::Format_Indexed8), normal, greyed));
}

SURVEY_TEST_MAIN(IntroTest)
#include "tst_intro.moc"
