// The collector's window: a merge that finds problems, the table and its CSV,
// a cancelled run that leaves nothing, the format picker and a dropped folder.
#include "collect/CollectWindow.h"
#include "collect/MergeWorker.h"
#include "collect/ProblemTableModel.h"
#include "survey/Gbk.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"
#include "tests/support/TestPlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

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
        SampleRecords::write(SampleRecords::make(rng, i), folder + QLatin1Char('/'));
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class CollectWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void mergeThatFindsProblems();
    void cancelledMergeLeavesNothing();
    void formatAndExtensionFollowEachOther();
    void droppedFolder();
    void startWithoutAFolder();

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
    AnswerRecord bad = SampleRecords::make(rng, 99);
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
             dir_->path() + QStringLiteral("/收到的文件_汇总.xlsx"));
    const QString output = dir_->path() + QStringLiteral("/汇总.csv");
    window_->setOutputFile(output);
    QVERIFY(runMerge());

    QCOMPARE(child<QLabel>(window_.get(), "summaryLabel")->text().section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("找到 14 个填报结果文件：接受 13，拒绝 1，舍弃重复 0，问题 2。"));
    QVERIFY(child<QPushButton>(window_.get(), "startButton")->isEnabled());
    QVERIFY(!child<QPushButton>(window_.get(), "cancelButton")->isEnabled());
    QVERIFY(QFileInfo(output).size() > 0);

    auto *table = child<QTableView>(window_.get(), "problemTable");
    QAbstractItemModel *model = table->model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("文件"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("行"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("问题"));
    QStringList lines;
    for (int r = 0; r < model->rowCount(); ++r)
        lines << model->index(r, 1).data().toString();
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
        // The table shows paths from the input folder on; the file keeps them whole.
        QCOMPARE(rows[r + 1][0], model->index(r, 0).data(Qt::ToolTipRole).toString());
        QCOMPARE(rows[r + 1][0], dir_->path() + QLatin1Char('/') + model->index(r, 0).data().toString());
        QVERIFY(model->index(r, 0).data().toString().startsWith(QStringLiteral("收到的文件/")));
        QCOMPARE(rows[r + 1][4], model->index(r, 2).data().toString());
    }
    QVERIFY(!window_->saveProblemsTo(dir_->path() + QStringLiteral("/missing/问题.csv")));
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
    window_->setOutputFile(outFolder + QStringLiteral("/汇总.xlsx"));

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

void CollectWindowTest::formatAndExtensionFollowEachOther()
{
    auto *format = child<QComboBox>(window_.get(), "formatBox");
    auto *output = child<QLineEdit>(window_.get(), "outputEdit");
    window_->setOutputFile(QStringLiteral("/tmp/汇总.sav"));
    QVERIFY(format->currentText().contains(QStringLiteral("SPSS")));
    // Picking Stata in the list changes the extension.
    format->setFocus();
    QTest::keyClick(format, Qt::Key_Down);
    QCOMPARE(output->text(), QStringLiteral("/tmp/汇总.dta"));
    output->setFocus();
    output->selectAll();
    QTest::keyClicks(output, QStringLiteral("/tmp/b.csv"));
    QVERIFY(format->currentText().contains(QStringLiteral("CSV")));
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
    QCOMPARE(child<QLineEdit>(window_.get(), "inputEdit")->text(), folder);

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

int main(int argc, char *argv[])
{
    chooseTestPlatform();
    QApplication app(argc, argv);
    CollectWindowTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_collect_window.moc"
