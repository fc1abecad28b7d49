// The collector's window.
#include "collect/CollectWindow.h"

#include "collect/FileFormat.h"
#include "collect/MergeWorker.h"
#include "collect/ProblemTableModel.h"
#include "collect/RunControl.h"
#include "collect/SafeOutput.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

struct FormatChoice {
    const char *caption;
    const char *extension;
};
constexpr FormatChoice kFormats[] = {
    {"Excel 工作簿 (*.xlsx)", ".xlsx"},
    {"CSV 逗号分隔 (*.csv)", ".csv"},
    {"SPSS 数据 (*.sav)", ".sav"},
    {"Stata 数据 (*.dta)", ".dta"},
};

int formatIndexOf(const QString &path)
{
    for (int i = 0; i < int(std::size(kFormats)); ++i)
        if (path.endsWith(QLatin1String(kFormats[i].extension), Qt::CaseInsensitive))
            return i;
    return -1;
}

// The folder a drop names: a folder itself, or the folder of a dropped file.
QString droppedFolder(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().front().isLocalFile())
        return {};
    const QFileInfo info(mime->urls().front().toLocalFile());
    if (info.isDir())
        return info.absoluteFilePath();
    if (info.isFile())
        return info.absolutePath();
    return {};
}

} // namespace

CollectWindow::CollectWindow(QWidget *parent)
    : QWidget(parent), problems_(new ProblemTableModel(this)), worker_(new MergeWorker(this))
{
    setWindowTitle(QStringLiteral("汇总填报结果"));
    setAcceptDrops(true);
    resize(760, 520);

    inputEdit_ = new QLineEdit(this);
    inputEdit_->setObjectName(QStringLiteral("inputEdit"));
    inputEdit_->setPlaceholderText(QStringLiteral("选择或拖入存放填报结果的文件夹"));
    auto *inputButton = new QPushButton(QStringLiteral("选择…"), this);
    inputButton->setObjectName(QStringLiteral("inputButton"));

    outputEdit_ = new QLineEdit(this);
    outputEdit_->setObjectName(QStringLiteral("outputEdit"));
    auto *outputButton = new QPushButton(QStringLiteral("选择…"), this);
    outputButton->setObjectName(QStringLiteral("outputButton"));
    formatBox_ = new QComboBox(this);
    formatBox_->setObjectName(QStringLiteral("formatBox"));
    for (const FormatChoice &f : kFormats)
        formatBox_->addItem(QString::fromUtf8(f.caption));

    startButton_ = new QPushButton(QStringLiteral("开始汇总"), this);
    startButton_->setObjectName(QStringLiteral("startButton"));
    startButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("取消"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->setEnabled(false);
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("progressBar"));
    progressBar_->setRange(0, 1);
    progressBar_->setValue(0);

    summaryLabel_ = new QLabel(this);
    summaryLabel_->setObjectName(QStringLiteral("summaryLabel"));
    summaryLabel_->setWordWrap(true);
    summaryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    problemTable_ = new QTableView(this);
    problemTable_->setObjectName(QStringLiteral("problemTable"));
    problemTable_->setModel(problems_);
    problemTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    problemTable_->setAlternatingRowColors(true);
    problemTable_->setWordWrap(false);
    problemTable_->verticalHeader()->hide();
    problemTable_->horizontalHeader()->setStretchLastSection(true);
    problemTable_->setColumnWidth(0, 260);
    problemTable_->setColumnWidth(1, 40);
    saveProblemsButton_ = new QPushButton(QStringLiteral("保存问题表…"), this);
    saveProblemsButton_->setObjectName(QStringLiteral("saveProblemsButton"));
    saveProblemsButton_->setEnabled(false);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("填报结果文件夹："), this), 0, 0);
    grid->addWidget(inputEdit_, 0, 1, 1, 2);
    grid->addWidget(inputButton, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("汇总结果文件："), this), 1, 0);
    grid->addWidget(outputEdit_, 1, 1);
    grid->addWidget(formatBox_, 1, 2);
    grid->addWidget(outputButton, 1, 3);
    grid->setColumnStretch(1, 1);

    auto *runRow = new QHBoxLayout;
    runRow->addWidget(progressBar_, 1);
    runRow->addWidget(startButton_);
    runRow->addWidget(cancelButton_);

    auto *problemRow = new QHBoxLayout;
    problemRow->addWidget(new QLabel(QStringLiteral("问题："), this));
    problemRow->addStretch(1);
    problemRow->addWidget(saveProblemsButton_);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(runRow);
    layout->addWidget(summaryLabel_);
    layout->addLayout(problemRow);
    layout->addWidget(problemTable_, 1);

    connect(inputButton, &QPushButton::clicked, this, &CollectWindow::chooseFolder);
    connect(outputButton, &QPushButton::clicked, this, &CollectWindow::chooseOutput);
    connect(formatBox_, &QComboBox::activated, this, &CollectWindow::formatPicked);
    connect(outputEdit_, &QLineEdit::textEdited, this, &CollectWindow::outputEdited);
    connect(startButton_, &QPushButton::clicked, this, &CollectWindow::startMerge);
    connect(cancelButton_, &QPushButton::clicked, worker_, &MergeWorker::cancel);
    connect(saveProblemsButton_, &QPushButton::clicked, this, &CollectWindow::saveProblems);
    connect(worker_, &MergeWorker::progressed, this, &CollectWindow::showProgress);
    connect(worker_, &MergeWorker::finished, this, &CollectWindow::showEnd);
}

CollectWindow::~CollectWindow() = default;

void CollectWindow::setInputFolder(const QString &folder)
{
    inputEdit_->setText(QDir::toNativeSeparators(folder));
    // A first output beside the folder, named after it, in the chosen format.
    if (outputEdit_->text().isEmpty() && !folder.isEmpty()) {
        const QFileInfo info(QDir::cleanPath(folder));
        const QString extension = QLatin1String(kFormats[formatBox_->currentIndex()].extension);
        outputEdit_->setText(info.absolutePath() + QLatin1Char('/') + info.fileName() + QStringLiteral("_汇总") +
                             extension);
    }
}

void CollectWindow::setOutputFile(const QString &path)
{
    outputEdit_->setText(path);
    outputEdited(path);
}

void CollectWindow::chooseFolder()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("选择存放填报结果的文件夹"), inputEdit_->text());
    if (!folder.isEmpty())
        setInputFolder(folder);
}

void CollectWindow::chooseOutput()
{
    QStringList filters;
    for (const FormatChoice &f : kFormats)
        filters << QString::fromUtf8(f.caption);
    QString filter = filters[formatBox_->currentIndex()];
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("汇总结果保存为"), outputEdit_->text(),
                                                      filters.join(QStringLiteral(";;")), &filter);
    if (path.isEmpty())
        return;
    QString chosen = path;
    if (formatIndexOf(chosen) < 0)
        chosen += QLatin1String(kFormats[std::max(0, int(filters.indexOf(filter)))].extension);
    setOutputFile(chosen);
}

// Picking a format changes the output's extension.
void CollectWindow::formatPicked(int index)
{
    QString path = outputEdit_->text();
    if (path.isEmpty())
        return;
    const int current = formatIndexOf(path);
    if (current >= 0)
        path.chop(qsizetype(std::strlen(kFormats[current].extension)));
    outputEdit_->setText(path + QLatin1String(kFormats[index].extension));
}

// Typing an extension picks its format.
void CollectWindow::outputEdited(const QString &path)
{
    const int index = formatIndexOf(path);
    if (index >= 0)
        formatBox_->setCurrentIndex(index);
}

void CollectWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFolder(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CollectWindow::dropEvent(QDropEvent *event)
{
    const QString folder = droppedFolder(event->mimeData());
    if (folder.isEmpty() || worker_->isRunning())
        return;
    setInputFolder(folder);
    event->acceptProposedAction();
}

void CollectWindow::closeEvent(QCloseEvent *event)
{
    // A merge that is cut short leaves nothing behind; wait for it to clean up.
    worker_->cancel();
    QWidget::closeEvent(event);
}

void CollectWindow::showMessage(const QString &text, bool error)
{
    summaryLabel_->setStyleSheet(error ? QStringLiteral("color: #b00000;") : QString());
    summaryLabel_->setText(text);
}

void CollectWindow::startMerge()
{
    if (worker_->isRunning())
        return;
    const QString input = QDir::fromNativeSeparators(inputEdit_->text().trimmed());
    QString output = QDir::fromNativeSeparators(outputEdit_->text().trimmed());
    if (input.isEmpty() || !QFileInfo(input).isDir()) {
        showMessage(QStringLiteral("请先选择存放填报结果的文件夹。"), true);
        emit mergeEnded();
        return;
    }
    if (output.isEmpty()) {
        showMessage(QStringLiteral("请先选择汇总结果文件。"), true);
        emit mergeEnded();
        return;
    }
    if (!holdsData(fileFormatOf(output))) {
        output += QLatin1String(kFormats[formatBox_->currentIndex()].extension);
        outputEdit_->setText(output);
    }
    Merge::Options options;
    options.inputs = {input};
    options.outputs = {output};
    problems_->setEntries({});
    saveProblemsButton_->setEnabled(false);
    showMessage(QStringLiteral("正在查找填报结果文件…"), false);
    progressBar_->setRange(0, 0);
    setRunning(true);
    worker_->start(options);
}

void CollectWindow::setRunning(bool running)
{
    startButton_->setEnabled(!running);
    cancelButton_->setEnabled(running);
    inputEdit_->setEnabled(!running);
    outputEdit_->setEnabled(!running);
    formatBox_->setEnabled(!running);
    for (QPushButton *button : findChildren<QPushButton *>())
        if (button->objectName() == QLatin1String("inputButton") ||
            button->objectName() == QLatin1String("outputButton"))
            button->setEnabled(!running);
}

void CollectWindow::showProgress(int phase, qint64 done, qint64 total, const QString &item)
{
    if (!worker_->isRunning())
        return;
    switch (RunControl::Phase(phase)) {
    case RunControl::Phase::Scanning:
        showMessage(QStringLiteral("找到 %1 个填报结果文件").arg(done), false);
        return;
    case RunControl::Phase::Reading:
        progressBar_->setFormat(QStringLiteral("读取 %v/%m 个文件"));
        showMessage(QStringLiteral("正在读取和检查…"), false);
        break;
    case RunControl::Phase::Writing:
        progressBar_->setFormat(QStringLiteral("写入 %1：%v/%m 行").arg(item));
        showMessage(QStringLiteral("正在写入…"), false);
        break;
    }
    progressBar_->setRange(0, int(std::max<qint64>(total, 1)));
    progressBar_->setValue(int(std::min(done, total)));
}

void CollectWindow::showEnd()
{
    setRunning(false);
    const Merge::Summary &summary = worker_->summary();
    progressBar_->setRange(0, 1);
    progressBar_->setValue(summary.cancelled || !summary.outputErrors.isEmpty() ? 0 : 1);
    progressBar_->setFormat(summary.cancelled ? QStringLiteral("已取消") : QStringLiteral("%p%"));
    const QString input = QDir::fromNativeSeparators(inputEdit_->text().trimmed());
    problems_->setEntries(worker_->problems().entries(),
                          QFileInfo(QDir::cleanPath(input)).absolutePath() + QLatin1Char('/'));
    problemTable_->resizeColumnToContents(0);
    problemTable_->setColumnWidth(0, std::min(problemTable_->columnWidth(0), problemTable_->width() / 2));
    saveProblemsButton_->setEnabled(!problems_->entries().isEmpty());

    QString text = summary.line() + QStringLiteral("。");
    if (summary.cancelled) {
        text = QStringLiteral("汇总已取消，没有写入任何文件。");
    } else if (!summary.outputErrors.isEmpty()) {
        text += QLatin1Char('\n') + summary.outputErrors.join(QLatin1Char('\n'));
    } else {
        text += QLatin1Char('\n') + QStringLiteral("已写入：") + QDir::toNativeSeparators(outputEdit_->text());
    }
    showMessage(text, summary.cancelled || !summary.outputErrors.isEmpty());
    emit mergeEnded();
}

void CollectWindow::saveProblems()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("问题表保存为"), QString(),
                                                      QStringLiteral("CSV 逗号分隔 (*.csv)"));
    if (path.isEmpty())
        return;
    saveProblemsTo(path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".csv"));
}

bool CollectWindow::saveProblemsTo(const QString &path)
{
    ProblemReport report;
    report.append(problems_->entries());
    SafeOutput out(path);
    if (out.open() && out.write(report.toCsv()) && out.commit()) {
        showMessage(summaryLabel_->text() + QLatin1Char('\n') + QStringLiteral("问题表已保存：") + path, false);
        return true;
    }
    showMessage(out.error(), true);
    return false;
}
