// The collector's window: a merge that finds problems, the table and its CSV,
// a cancelled run that leaves nothing, a cancel taken while the report draws,
// several formats and the codebook in one run, an output folder checked
// before anything is read, long reasons, a dropped folder, a filter chosen,
// and a build without SPSS and Stata files.
#include "collect/data/FindingRows.h"
#include "collect/merge/RunControl.h"
#include "collect/window/CollectWindow.h"
#include "collect/window/MergeWorker.h"
#include "collect/window/ProblemTableModel.h"
#include "platform/Gbk.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"
#include "tests/support/CollectTestMain.h"
#include "tests/support/FilesIn.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QSemaphore>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <vector>

namespace {

template <typename T> T *child(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s in the window", name);
    return found;
}

void writeRecords(const QString &folder, int count, quint32 seed)
{
    QDir().mkpath(folder);
    QRandomGenerator rng(seed);
    for (int i = 0; i < count; ++i)
        SampleRecords::write(SampleRecords::make(rng, i, SampleRecords::Texts::Plain, SampleRecords::Values::Consistent),
                             folder + QLatin1Char('/'));
}

// A click on the box itself, at the left of its caption.
void tick(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {},
                      QPoint(box->style()->pixelMetric(QStyle::PM_IndicatorWidth) / 2 + 1, box->height() / 2));
}

} // namespace

class CollectWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void mergeThatFindsProblems();
    void checksOnATabOfTheirOwn();
    void cancelledMergeLeavesNothing();
    void cancelWhileTheReportDraws();
    void severalFormatsAndTheCodebook();
    void outputFolderCheckedFirst();
    void longReasonsShownWhole();
    void droppedFolder();
    void startWithoutAFolder();
    void filterChosen();
    void withoutSpssAndStata();

private:
    bool runMerge();
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<CollectWindow> window_;
};

void CollectWindowTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    window_ = std::make_unique<CollectWindow>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QCOMPARE(window_->windowTitle(), QStringLiteral("汇总填报结果"));
}

void CollectWindowTest::cleanup()
{
    window_.reset();
    dir_.reset();
}

bool CollectWindowTest::runMerge()
{
    QSignalSpy ended(window_.get(), &CollectWindow::mergeEnded);
    QTest::mouseClick(child<QPushButton>(window_.get(), "startButton"), Qt::LeftButton);
    return !ended.isEmpty() || ended.wait(60000); // a merge that cannot start ends at once
}

void CollectWindowTest::mergeThatFindsProblems()
{
    const QString in = dir_->path() + QStringLiteral("/收到的文件");
    writeRecords(in, 12, 5);
    QRandomGenerator rng(6);
    AnswerRecord bad = SampleRecords::make(rng, 99, SampleRecords::Texts::Plain, SampleRecords::Values::Consistent);
    bad.set(7, QStringLiteral("25"));
    bad.set(25, QStringLiteral("一千"));
    SampleRecords::write(bad, in + QLatin1Char('/'));
    QFile junk(in + QStringLiteral("/坏_填报结果.dbf"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("\x01\x02");
    junk.close();

    window_->setInputFolder(in);
    // The first output is proposed beside the folder, named after it.
    QCOMPARE(child<QLineEdit>(window_.get(), "outputEdit")->text(),
             QDir::toNativeSeparators(dir_->path() + QStringLiteral("/收到的文件_汇总")));
    window_->setOutputBase(dir_->path() + QStringLiteral("/汇总"));
    tick(child<QCheckBox>(window_.get(), "formatBox.xlsx"));
    tick(child<QCheckBox>(window_.get(), "formatBox.csv"));
    const QString output = dir_->path() + QStringLiteral("/汇总.csv");
    QVERIFY(runMerge());

    QCOMPARE(child<QLabel>(window_.get(), "summaryLabel")->text().section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("找到 14 个填报结果文件：接受 13，拒绝 1，舍弃重复 0，问题 3，核查 0。"));
    QVERIFY(child<QPushButton>(window_.get(), "startButton")->isEnabled());
    QVERIFY(!child<QPushButton>(window_.get(), "cancelButton")->isEnabled());
    QVERIFY(QFileInfo(output).size() > 0);

    auto *table = child<QTableView>(window_.get(), "problemTable");
    QAbstractItemModel *model = table->model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("问题"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("文件"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("行"));
    QStringList lines;
    for (int r = 0; r < model->rowCount(); ++r)
        lines << model->index(r, 2).data().toString();
    lines.sort();
    QCOMPARE(lines, (QStringList{"1", "25", "7"}));

    // The table saved as CSV, row for row.
    auto *save = child<QPushButton>(window_.get(), "saveProblemsButton");
    QVERIFY(save->isEnabled());
    const QString saved = dir_->path() + QStringLiteral("/问题.csv");
    QVERIFY(window_->saveProblemsTo(saved));
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(file.readAll(), rows));
    QCOMPARE(rows.size(), 1 + model->rowCount());
    for (int r = 0; r < model->rowCount(); ++r) {
        // Paths from the input folder's name on, as in the data set's file column.
        QCOMPARE(rows[r + 1][0], model->index(r, 1).data().toString());
        QVERIFY(model->index(r, 1).data().toString().startsWith(QStringLiteral("收到的文件/")));
        QCOMPARE(rows[r + 1][4], model->index(r, 0).data().toString());
    }
    QVERIFY(!window_->saveProblemsTo(dir_->path() + QStringLiteral("/missing/问题.csv")));
    QVERIFY2(child<QLabel>(window_.get(), "summaryLabel")->text().contains(QStringLiteral("文件或文件夹不存在")),
             qPrintable(child<QLabel>(window_.get(), "summaryLabel")->text()));
}

// What the data checks found is on a tab beside the problems, with a save
// button of its own; a finding is no problem of a file.
void CollectWindowTest::checksOnATabOfTheirOwn()
{
    const QString in = dir_->path() + QStringLiteral("/in");
    writeRecords(in, 3, 13);
    QRandomGenerator rng(14);
    AnswerRecord listed = SampleRecords::make(rng, 7, SampleRecords::Texts::Plain, SampleRecords::Values::Consistent);
    listed.set(1, QStringLiteral("戊有限公司"));
    listed.set(10, QStringLiteral("1"));
    listed.set(5, QStringLiteral("有限责任公司"));
    SampleRecords::write(listed, in + QLatin1Char('/'));
    window_->setInputFolder(in);
    window_->setOutputBase(dir_->path() + QStringLiteral("/汇总"));
    QVERIFY(runMerge());
    QVERIFY2(child<QLabel>(window_.get(), "summaryLabel")->text().startsWith(
                 QStringLiteral("找到 4 个填报结果文件：接受 4，拒绝 0，舍弃重复 0，问题 0，核查 1。")),
             qPrintable(child<QLabel>(window_.get(), "summaryLabel")->text()));

    auto *tabs = child<QTabWidget>(window_.get(), "resultTabs");
    QCOMPARE(tabs->tabText(0), QStringLiteral("问题（0）"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("数据核查（1）"));
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("checkPage"));
    auto *table = child<QTableView>(window_.get(), "checkTable");
    QVERIFY(table->isVisible());
    QAbstractItemModel *model = table->model();
    QCOMPARE(model->rowCount(), 1);
    const DataChecks::Check *check = DataChecks::find(u"listed_not_joint_stock");
    QVERIFY(check);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("疑问"));
    QCOMPARE(model->index(0, 1).data().toString(), check->title.toString());
    QVERIFY(model->index(0, 1).data(Qt::ToolTipRole).toString().contains(DataChecks::description(*check)));
    const QString file = QStringLiteral("in/戊有限公司_填报结果.dbf");
    QCOMPARE(model->index(0, 2).data().toString(), file);
    const QString values = QStringLiteral("企业是否上市 = 是；企业类型 = 有限责任公司");
    QCOMPARE(model->index(0, 3).data().toString(), values);

    auto *save = child<QPushButton>(window_.get(), "saveChecksButton");
    QVERIFY(save->isEnabled());
    QVERIFY(!child<QPushButton>(window_.get(), "saveProblemsButton")->isEnabled());
    const QString saved = dir_->path() + QStringLiteral("/核查表.csv");
    QVERIFY(window_->saveChecksTo(saved));
    QFile csv(saved);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(csv.readAll(), rows));
    QCOMPARE(rows, (QList<QStringList>{FindingRows::columns(),
                                       {file, QStringLiteral("戊有限公司"), check->id.toString(), QStringLiteral("疑问"),
                                        DataChecks::description(*check), values}}));

    // Another merge lets go of the last one's findings as it starts.
    QSignalSpy ended(window_.get(), &CollectWindow::mergeEnded);
    QTest::mouseClick(child<QPushButton>(window_.get(), "startButton"), Qt::LeftButton);
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(!save->isEnabled());
    QVERIFY(ended.wait(60000));
    QCOMPARE(model->rowCount(), 1);
}

// The merge runs beside the window: progress arrives while it runs, the
// cancel button stops it, and neither output nor temporary file is left.
void CollectWindowTest::cancelledMergeLeavesNothing()
{
    const QString in = dir_->path() + QStringLiteral("/in");
    writeRecords(in, 3000, 7);
    const QString outFolder = dir_->path() + QStringLiteral("/out");
    QVERIFY(QDir().mkpath(outFolder));
    QFile earlier(outFolder + QStringLiteral("/汇总.xlsx"));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    window_->setInputFolder(in);
    window_->setOutputBase(outFolder + QStringLiteral("/汇总"));

    auto *cancel = child<QPushButton>(window_.get(), "cancelButton");
    int reports = 0;
    connect(window_->worker(), &MergeWorker::progressed, cancel, [&] {
        if (reports++ == 0) {
            QVERIFY(cancel->isEnabled());
            QVERIFY(!child<QPushButton>(window_.get(), "startButton")->isEnabled());
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    });
    QVERIFY(runMerge());
    QVERIFY(reports > 0);
    QVERIFY(window_->worker()->summary().cancelled);
    QCOMPARE(child<QLabel>(window_.get(), "summaryLabel")->text(), QStringLiteral("汇总已取消，没有写入任何文件。"));
    QCOMPARE(filesIn(outFolder), QStringList{QStringLiteral("汇总.xlsx")});
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
    QCOMPARE(child<QTableView>(window_.get(), "problemTable")->model()->rowCount(), 0);
}

// The report is drawn beside the window, its fonts included: held before the
// last of its files (the HTML and the PDF drawn), the merge waits for the
// window to take a click on "取消", which then puts nothing in place.
void CollectWindowTest::cancelWhileTheReportDraws()
{
    const QString in = dir_->path() + QStringLiteral("/in");
    writeRecords(in, 5, 11);
    const QString outFolder = dir_->path() + QStringLiteral("/out");
    QVERIFY(QDir().mkpath(outFolder));
    window_->setInputFolder(in);
    window_->setOutputBase(outFolder + QStringLiteral("/汇总"));
    tick(child<QCheckBox>(window_.get(), "reportBox"));

    auto *cancel = child<QPushButton>(window_.get(), "cancelButton");
    QSemaphore clicked;
    std::atomic<bool> held{false}, taken{false};
    connect(
        window_->worker(), &MergeWorker::progressed, cancel,
        [&](int phase, qint64 done, qint64 total) {
            if (RunControl::Phase(phase) != RunControl::Phase::Drawing || done != total - 1 || held.exchange(true))
                return;
            QMetaObject::invokeMethod(cancel, [&] {
                QTest::mouseClick(cancel, Qt::LeftButton);
                clicked.release();
            });
            taken = clicked.tryAcquire(1, 30000);
        },
        Qt::DirectConnection);
    QVERIFY(runMerge());
    QVERIFY(taken);
    QVERIFY(window_->worker()->summary().cancelled);
    QCOMPARE(child<QLabel>(window_.get(), "summaryLabel")->text(), QStringLiteral("汇总已取消，没有写入任何文件。"));
    QCOMPARE(filesIn(outFolder), QStringList());
}

// Ticked formats and the codebook, all written in one run beside one another.
void CollectWindowTest::severalFormatsAndTheCodebook()
{
    const QString in = dir_->path() + QStringLiteral("/in");
    writeRecords(in, 5, 9);
    window_->setInputFolder(in);
    window_->setOutputBase(dir_->path() + QStringLiteral("/汇总.xlsx")); // the extension comes off
    QCOMPARE(child<QLineEdit>(window_.get(), "outputEdit")->text(),
             QDir::toNativeSeparators(dir_->path() + QStringLiteral("/汇总")));
    QVERIFY(child<QCheckBox>(window_.get(), "formatBox.xlsx")->isChecked());
    for (const char *name : {"formatBox.csv", "formatBox.sps", "codebookBox"})
        tick(child<QCheckBox>(window_.get(), name));
    QVERIFY(runMerge());
    QCOMPARE(filesIn(dir_->path()),
             (QStringList{"in", "汇总.csv", "汇总.sps", "汇总.xlsx", "汇总_values.csv", "汇总_变量说明.xlsx"}));
    QVERIFY(child<QLabel>(window_.get(), "summaryLabel")->text().contains(QStringLiteral("已写入：")));
}

// An output folder that is missing is found out before a single file is
// read, and said in Chinese words.
void CollectWindowTest::outputFolderCheckedFirst()
{
    const QString in = dir_->path() + QStringLiteral("/in");
    writeRecords(in, 3, 10);
    window_->setInputFolder(in);
    window_->setOutputBase(dir_->path() + QStringLiteral("/没有的文件夹/汇总"));
    QSignalSpy progressed(window_->worker(), &MergeWorker::progressed);
    QVERIFY(runMerge());
    QCOMPARE(progressed.count(), 0);
    const QString shown = child<QLabel>(window_.get(), "summaryLabel")->text();
    QVERIFY2(shown.contains(QStringLiteral("没有的文件夹")) && shown.contains(QStringLiteral("文件或文件夹不存在")),
             qPrintable(shown));
    QVERIFY(child<QPushButton>(window_.get(), "startButton")->isEnabled());
}

// A long reason wraps in its row; its tooltip holds it whole with the text at fault.
void CollectWindowTest::longReasonsShownWhole()
{
    const QString in = dir_->path() + QStringLiteral("/in");
    writeRecords(in, 1, 11);
    QRandomGenerator rng(12);
    AnswerRecord bad = SampleRecords::make(rng, 50);
    bad.set(36, QStringLiteral("约").repeated(60));
    SampleRecords::write(bad, in + QLatin1Char('/'));
    window_->resize(640, 480);
    window_->setInputFolder(in);
    QVERIFY(runMerge());
    auto *table = child<QTableView>(window_.get(), "problemTable");
    QCOMPARE(table->model()->rowCount(), 1);
    const QModelIndex reason = table->model()->index(0, 0);
    const QString what = reason.data().toString();
    QVERIFY(what.contains(QStringLiteral("约").repeated(60)));
    QCOMPARE(reason.data(Qt::ToolTipRole).toString(),
             what + QStringLiteral("\n原文：") + QStringLiteral("约").repeated(60));
    QVERIFY(table->fontMetrics().horizontalAdvance(what) > table->columnWidth(0)); // it does not fit in one line
    QVERIFY(table->rowHeight(0) >= 2 * table->fontMetrics().height());             // so it wraps
}

void CollectWindowTest::droppedFolder()
{
    const QString folder = dir_->path() + QStringLiteral("/拖入");
    QVERIFY(QDir().mkpath(folder));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(folder)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &drop);
    QCOMPARE(child<QLineEdit>(window_.get(), "inputEdit")->text(), QDir::toNativeSeparators(folder));

    QMimeData text;
    text.setText(QStringLiteral("not a folder"));
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(window_.get(), &refused);
    QVERIFY(!refused.isAccepted());
}

void CollectWindowTest::startWithoutAFolder()
{
    QVERIFY(runMerge());
    QCOMPARE(child<QLabel>(window_.get(), "summaryLabel")->text(), QStringLiteral("请先选择存放填报结果的文件夹。"));
    QVERIFY(child<QPushButton>(window_.get(), "startButton")->isEnabled());
}

// Without ReadStat the window offers neither .sav nor .dta, and their
// syntax files instead.
void CollectWindowTest::withoutSpssAndStata()
{
    std::vector<Format> formats(Formats::all().begin(), Formats::all().end());
    for (Format &format : formats)
        if (format.extension == u".sav" || format.extension == u".dta")
            format.builtIn = false;
    CollectWindow window(nullptr, formats);
    QStringList offered;
    for (QCheckBox *box : window.findChildren<QCheckBox *>())
        if (!box->isHidden())
            offered << box->objectName();
    offered.sort();
    const QStringList expected{"codebookBox",    "formatBox.csv", "formatBox.do",    "formatBox.sps",
                               "formatBox.xlsx", "reportBox",     "withoutErrorsBox"};
    QCOMPARE(offered, expected);
}

// A variable picked from the list, a code of it ticked and records with
// errors left out: the run keeps only those records, and says so.
void CollectWindowTest::filterChosen()
{
    const QString in = dir_->path() + QStringLiteral("/in");
    QVERIFY(QDir().mkpath(in));
    QRandomGenerator rng(31);
    for (int i = 0; i < 6; ++i) {
        AnswerRecord record =
            SampleRecords::make(rng, i, SampleRecords::Texts::Plain, SampleRecords::Values::Consistent);
        record.set(7, i < 2 ? QStringLiteral("3") : QStringLiteral("5"));
        record.set(8, QString());
        SampleRecords::write(record, in + QLatin1Char('/'));
    }
    window_->setInputFolder(in);
    window_->setOutputBase(dir_->path() + QStringLiteral("/汇总"));
    auto *variables = child<QComboBox>(window_.get(), "filterVariableBox");
    variables->setFocus();
    QTest::keyClicks(variables, QStringLiteral("industry"));
    QCOMPARE(variables->currentData().toString(), QStringLiteral("industry"));
    auto *codes = child<QListWidget>(window_.get(), "filterCodeList");
    QListWidgetItem *three = codes->findItems(QStringLiteral("3="), Qt::MatchStartsWith).value(0);
    QVERIFY(three);
    QTest::mouseClick(codes->viewport(), Qt::LeftButton, {}, codes->visualItemRect(three).center());
    QTest::keyClick(codes, Qt::Key_Space);
    QCOMPARE(three->checkState(), Qt::Checked);
    tick(child<QCheckBox>(window_.get(), "withoutErrorsBox"));
    QVERIFY(runMerge());

    QVERIFY2(child<QLabel>(window_.get(), "summaryLabel")
                 ->text()
                 .startsWith(QStringLiteral("找到 6 个填报结果文件：接受 2，拒绝 0，舍弃重复 0，"
                                            "筛选：industry=3；不含有“错误”的记录，去掉 4，")),
             qPrintable(child<QLabel>(window_.get(), "summaryLabel")->text()));
    QCOMPARE(window_->worker()->merge()->data().rowCount(), 2);
}

COLLECT_TEST_MAIN(CollectWindowTest)
#include "tst_collect_window.moc"
