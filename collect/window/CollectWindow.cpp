// The window checks what it can before a merge starts (the folder, the
// output folder, a format), so that a wrong choice does not cost a read of
// thousands of files; file-system errors are shown in the words of FileSystemCalls.
#include "collect/window/CollectWindow.h"

#include "collect/export/ListFiles.h"
#include "collect/merge/OutputSet.h"
#include "collect/merge/RunControl.h"
#include "collect/report/ReportBreakdown.h"
#include "collect/report/ReportWriter.h"
#include "platform/Folders.h"
#include "collect/window/CheckTableModel.h"
#include "collect/window/FilterChoices.h"
#include "collect/window/MergeWorker.h"
#include "collect/window/ProblemTableModel.h"
#include "platform/SafeFile.h"

#include <QCheckBox>
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
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The codebook's name beside the outputs, in the format the window writes it.
constexpr QStringView kCodebookSuffix = u"_变量说明.xlsx";
// The report's names beside the outputs, in every format.
constexpr QStringView kReportSuffix = u"_报告";
// Tables longer than this keep one line per row: measuring every row's
// wrapped height would hold the window up.
constexpr int kMostWrappedRows = 500;
constexpr int kFormatColumns = 2;

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

// A table of a list's rows: whole rows selected, long texts wrapped.
QTableView *listTable(QWidget *parent, const QString &name, QAbstractItemModel *model)
{
    auto *table = new QTableView(parent);
    table->setObjectName(name);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setAlternatingRowColors(true);
    table->setWordWrap(true);
    table->setTextElideMode(Qt::ElideMiddle);
    table->verticalHeader()->hide();
    return table;
}

// The window saves its tables as CSV, the format of the problem report.
QString chosenTablePath(QWidget *parent, const QString &caption)
{
    const Format &format = Formats::problemTable();
    const QString path = QFileDialog::getSaveFileName(parent, caption, QString(), Formats::fileFilter(format));
    const QString extension = format.extension.toString();
    return path.isEmpty() || path.endsWith(extension, Qt::CaseInsensitive) ? path : path + extension;
}

} // namespace

CollectWindow::CollectWindow(QWidget *parent, std::span<const Format> formats)
    : QWidget(parent), formats_(formats), problems_(new ProblemTableModel(this)), checks_(new CheckTableModel(this)),
      worker_(new MergeWorker(this))
{
    setWindowTitle(QStringLiteral("汇总填报结果"));
    setAcceptDrops(true);
    resize(820, 560);

    summaryLabel_ = new QLabel(this);
    summaryLabel_->setObjectName(QStringLiteral("summaryLabel"));
    summaryLabel_->setWordWrap(true);
    summaryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    buildProblemTable();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buildChoices());
    layout->addLayout(buildRunRow());
    layout->addWidget(summaryLabel_);
    layout->addWidget(buildResultTabs(), 1);
    connectParts();
}

CollectWindow::~CollectWindow() = default;

// The input folder, the outputs' name, a check box for each format this
// build writes, and one for the codebook.
QGridLayout *CollectWindow::buildChoices()
{
    inputEdit_ = new QLineEdit(this);
    inputEdit_->setObjectName(QStringLiteral("inputEdit"));
    inputEdit_->setPlaceholderText(QStringLiteral("选择或拖入存放填报结果的文件夹"));
    inputButton_ = new QPushButton(QStringLiteral("选择…"), this);
    inputButton_->setObjectName(QStringLiteral("inputButton"));
    outputEdit_ = new QLineEdit(this);
    outputEdit_->setObjectName(QStringLiteral("outputEdit"));
    outputEdit_->setPlaceholderText(QStringLiteral("汇总结果的文件名（不含扩展名）"));
    outputButton_ = new QPushButton(QStringLiteral("选择…"), this);
    outputButton_->setObjectName(QStringLiteral("outputButton"));

    auto *formatGrid = new QGridLayout;
    for (const Format &format : formats_) {
        if (!format.holdsData() || !format.builtIn)
            continue;
        auto *box = new QCheckBox(format.caption.toString(), this);
        box->setObjectName(QStringLiteral("formatBox") + format.extension.toString());
        const int at = int(formatBoxes_.size());
        formatGrid->addWidget(box, at / kFormatColumns, at % kFormatColumns);
        formatBoxes_.append({&format, box});
    }
    if (!formatBoxes_.isEmpty())
        formatBoxes_.front().second->setChecked(true);
    codebookBox_ = new QCheckBox(QStringLiteral("变量说明（文件名后加“%1”）").arg(kCodebookSuffix), this);
    codebookBox_->setObjectName(QStringLiteral("codebookBox"));
    const int nextRow = int(formatBoxes_.size() + kFormatColumns - 1) / kFormatColumns;
    formatGrid->addWidget(codebookBox_, nextRow, 0, 1, kFormatColumns);
    addReportChoices(formatGrid, nextRow + 1);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("填报结果文件夹："), this), 0, 0);
    grid->addWidget(inputEdit_, 0, 1);
    grid->addWidget(inputButton_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("汇总结果文件："), this), 1, 0);
    grid->addWidget(outputEdit_, 1, 1);
    grid->addWidget(outputButton_, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("写出："), this), 2, 0, Qt::AlignTop);
    grid->addLayout(formatGrid, 2, 1, 1, 2);
    filterChoices_ = new FilterChoices(this);
    filterChoices_->setObjectName(QStringLiteral("filterChoices"));
    grid->addWidget(new QLabel(QStringLiteral("筛选："), this), 3, 0, Qt::AlignTop);
    grid->addWidget(filterChoices_, 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    return grid;
}

// The report's box and, under it, the variable its questions are broken down by.
void CollectWindow::addReportChoices(QGridLayout *formatGrid, int row)
{
    QStringList reportNames;
    for (const QString &extension : ReportWriter::extensions())
        reportNames << QStringLiteral("“%1%2”").arg(kReportSuffix, extension);
    reportBox_ = new QCheckBox(
        QStringLiteral("生成报告（网页、PDF 和 Excel，文件名后加%1）").arg(reportNames.join(QString())), this);
    reportBox_->setObjectName(QStringLiteral("reportBox"));
    formatGrid->addWidget(reportBox_, row, 0, 1, kFormatColumns);
    // One variable to break the report's questions down by, or none.
    reportGroupingBox_ = new QComboBox(this);
    reportGroupingBox_->setObjectName(QStringLiteral("reportGroupingBox"));
    reportGroupingBox_->addItem(QStringLiteral("不分组"), QString());
    for (const auto &[name, label] : Report::Breakdowns::offered())
        reportGroupingBox_->addItem(label, name);
    reportGroupingBox_->setEnabled(false);
    auto *groupingLabel = new QLabel(QStringLiteral("报告中每道题再按"), this);
    groupingLabel->setBuddy(reportGroupingBox_);
    auto *groupingRow = new QHBoxLayout;
    groupingRow->addSpacing(24);
    groupingRow->addWidget(groupingLabel);
    groupingRow->addWidget(reportGroupingBox_);
    groupingRow->addWidget(new QLabel(QStringLiteral("分组列出"), this));
    groupingRow->addStretch(1);
    formatGrid->addLayout(groupingRow, row + 1, 0, 1, kFormatColumns);
    connect(reportBox_, &QCheckBox::toggled, reportGroupingBox_, &QWidget::setEnabled);
}

QLayout *CollectWindow::buildRunRow()
{
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
    auto *row = new QHBoxLayout;
    row->addWidget(progressBar_, 1);
    row->addWidget(startButton_);
    row->addWidget(cancelButton_);
    return row;
}

QLayout *CollectWindow::buildProblemRow()
{
    saveProblemsButton_ = new QPushButton(QStringLiteral("保存问题表…"), this);
    saveProblemsButton_->setObjectName(QStringLiteral("saveProblemsButton"));
    saveProblemsButton_->setEnabled(false);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(saveProblemsButton_);
    return row;
}

// The problems of the files, and beside them what the data checks found in their content.
QTabWidget *CollectWindow::buildResultTabs()
{
    resultTabs_ = new QTabWidget(this);
    resultTabs_->setObjectName(QStringLiteral("resultTabs"));
    auto *problemPage = new QWidget(resultTabs_);
    problemPage->setObjectName(QStringLiteral("problemPage"));
    auto *problemLayout = new QVBoxLayout(problemPage);
    problemLayout->addLayout(buildProblemRow());
    problemLayout->addWidget(problemTable_, 1);
    resultTabs_->addTab(problemPage, QStringLiteral("问题"));
    resultTabs_->addTab(buildCheckPage(), QStringLiteral("数据核查"));
    return resultTabs_;
}

QWidget *CollectWindow::buildCheckPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("checkPage"));
    saveChecksButton_ = new QPushButton(QStringLiteral("保存核查表…"), page);
    saveChecksButton_->setObjectName(QStringLiteral("saveChecksButton"));
    saveChecksButton_->setEnabled(false);
    checkTable_ = listTable(page, QStringLiteral("checkTable"), checks_);
    QHeaderView *header = checkTable_->horizontalHeader();
    header->setSectionResizeMode(CheckTableModel::Severity, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(CheckTableModel::Check, QHeaderView::Interactive);
    header->setSectionResizeMode(CheckTableModel::File, QHeaderView::Interactive);
    header->setSectionResizeMode(CheckTableModel::Values, QHeaderView::Stretch);
    checkTable_->setColumnWidth(CheckTableModel::Check, 150);
    checkTable_->setColumnWidth(CheckTableModel::File, 220);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(saveChecksButton_);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(row);
    layout->addWidget(checkTable_, 1);
    return page;
}

// What is wrong takes the room that is left and wraps.
void CollectWindow::buildProblemTable()
{
    problemTable_ = listTable(this, QStringLiteral("problemTable"), problems_);
    QHeaderView *header = problemTable_->horizontalHeader();
    header->setSectionResizeMode(ProblemTableModel::What, QHeaderView::Stretch);
    header->setSectionResizeMode(ProblemTableModel::File, QHeaderView::Interactive);
    header->setSectionResizeMode(ProblemTableModel::Line, QHeaderView::ResizeToContents);
    problemTable_->setColumnWidth(ProblemTableModel::File, 260);
}

void CollectWindow::connectParts()
{
    connect(inputButton_, &QPushButton::clicked, this, &CollectWindow::chooseFolder);
    connect(outputButton_, &QPushButton::clicked, this, &CollectWindow::chooseOutput);
    connect(startButton_, &QPushButton::clicked, this, &CollectWindow::startMerge);
    connect(cancelButton_, &QPushButton::clicked, worker_, &MergeWorker::cancel);
    connect(saveProblemsButton_, &QPushButton::clicked, this, &CollectWindow::saveProblems);
    connect(saveChecksButton_, &QPushButton::clicked, this, &CollectWindow::saveChecks);
    connect(worker_, &MergeWorker::progressed, this, &CollectWindow::showProgress);
    connect(worker_, &MergeWorker::finished, this, &CollectWindow::showEnd);
}

void CollectWindow::setInputFolder(const QString &folder)
{
    inputEdit_->setText(QDir::toNativeSeparators(folder));
    // A first output beside the folder, named after it.
    if (outputEdit_->text().isEmpty() && !folder.isEmpty()) {
        const QFileInfo info(QDir::cleanPath(folder));
        outputEdit_->setText(QDir::toNativeSeparators(info.absolutePath() + QLatin1Char('/') + info.fileName() +
                                                      QStringLiteral("_汇总")));
    }
}

void CollectWindow::setOutputBase(const QString &path)
{
    QString base = path;
    if (const Format *format = Formats::of(formats_, base))
        base.chop(format->extension.size());
    outputEdit_->setText(QDir::toNativeSeparators(base));
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
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("汇总结果保存为"), outputEdit_->text());
    if (!path.isEmpty())
        setOutputBase(path);
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

QStringList CollectWindow::chosenOutputs() const
{
    const QString base = QDir::fromNativeSeparators(outputEdit_->text().trimmed());
    QStringList outputs;
    for (const auto &[format, box] : formatBoxes_)
        if (box->isChecked())
            outputs << base + format->extension.toString();
    return outputs;
}

QString CollectWindow::codebookPath() const
{
    return QDir::fromNativeSeparators(outputEdit_->text().trimmed()) + kCodebookSuffix.toString();
}

// The report's files and the one variable its questions are broken down by, if any.
ReportRequest CollectWindow::reportRequest() const
{
    ReportRequest request;
    if (!reportBox_->isChecked())
        return request;
    const QString base = QDir::fromNativeSeparators(outputEdit_->text().trimmed()) + kReportSuffix.toString();
    for (const QString &extension : ReportWriter::extensions())
        request.paths << base + extension;
    if (const QString by = reportGroupingBox_->currentData().toString(); !by.isEmpty())
        request.groupBy = {by};
    return request;
}

// Whether the target can be written: its folder exists and takes a new file,
// and what has its name may be replaced.
bool CollectWindow::checkOutput(const QString &target)
{
    SafeFile probe(target);
    if (probe.open(Folders::kTemporaryTag))
        return true; // the probe's temporary file goes with it
    showMessage(QStringLiteral("汇总结果无法写入“%1”：%2").arg(QDir::toNativeSeparators(target), probe.errorText()),
                true);
    return false;
}

void CollectWindow::startMerge()
{
    if (worker_->isRunning())
        return;
    const QString input = QDir::fromNativeSeparators(inputEdit_->text().trimmed());
    setOutputBase(outputEdit_->text().trimmed()); // a typed extension comes off
    const QStringList outputs = chosenOutputs();
    auto refuse = [&](const QString &why) {
        showMessage(why, true);
        emit mergeEnded();
    };
    if (input.isEmpty() || !QFileInfo(input).isDir())
        return refuse(QStringLiteral("请先选择存放填报结果的文件夹。"));
    if (outputEdit_->text().trimmed().isEmpty())
        return refuse(QStringLiteral("请先填写汇总结果的文件名。"));
    if (outputs.isEmpty() && !codebookBox_->isChecked() && !reportBox_->isChecked())
        return refuse(QStringLiteral("请至少选择一种要写出的格式。"));
    const QString firstTarget = !outputs.isEmpty()          ? outputs.front()
                                : codebookBox_->isChecked() ? codebookPath()
                                                            : reportRequest().paths.front();
    RecordFilter filter;
    if (QString why; !filterChoices_->filter(filter, why))
        return refuse(why);
    if (!checkOutput(firstTarget)) {
        emit mergeEnded();
        return;
    }
    Merge::Options options;
    options.inputs = {input};
    options.outputs = outputs;
    if (codebookBox_->isChecked())
        options.codebooks = {codebookPath()};
    options.report = reportRequest();
    options.formats = formats_;
    options.filter = filter;
    problems_->setEntries({});
    saveProblemsButton_->setEnabled(false);
    // The worker's data set goes with the next merge: let go of it first.
    checks_->setDataSet(nullptr);
    saveChecksButton_->setEnabled(false);
    showMessage(QStringLiteral("正在查找填报结果文件…"), false);
    progressBar_->setRange(0, 0);
    setRunning(true);
    worker_->start(options);
}

void CollectWindow::setRunning(bool running)
{
    startButton_->setEnabled(!running);
    cancelButton_->setEnabled(running);
    for (QWidget *choice : std::initializer_list<QWidget *>{inputEdit_, inputButton_, outputEdit_, outputButton_,
                                                            codebookBox_, reportBox_, filterChoices_})
        choice->setEnabled(!running);
    reportGroupingBox_->setEnabled(!running && reportBox_->isChecked());
    for (const auto &[format, box] : formatBoxes_)
        box->setEnabled(!running);
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
    case RunControl::Phase::Drawing:
        progressBar_->setFormat(QStringLiteral("生成报告：%v/%m 步"));
        showMessage(QStringLiteral("正在生成报告…"), false);
        break;
    }
    progressBar_->setRange(0, int(std::max<qint64>(total, 1)));
    progressBar_->setValue(int(std::min(done, total)));
}

void CollectWindow::showEnd()
{
    setRunning(false);
    const Merge::Summary &summary = worker_->summary();
    const bool failed = summary.cancelled || !summary.outputErrors.isEmpty();
    progressBar_->setRange(0, 1);
    progressBar_->setValue(failed ? 0 : 1);
    progressBar_->setFormat(summary.cancelled ? QStringLiteral("已取消") : QStringLiteral("%p%"));
    showProblems();

    QString text = summary.line() + QStringLiteral("。");
    if (summary.cancelled) {
        text = QStringLiteral("汇总已取消，没有写入任何文件。");
    } else if (!summary.outputErrors.isEmpty()) {
        text += QLatin1Char('\n') + summary.outputErrors.join(QLatin1Char('\n'));
        if (!summary.committed)
            text += QLatin1Char('\n') + QStringLiteral("没有替换任何输出。");
    } else {
        const Merge::Options &options = worker_->options();
        QStringList paths = options.outputs + options.codebooks + options.report.paths;
        for (QString &path : paths)
            path = QDir::toNativeSeparators(path);
        text += QLatin1Char('\n') + QStringLiteral("已写入：") + paths.join(QStringLiteral("、"));
    }
    showMessage(text, failed);
    emit mergeEnded();
}

void CollectWindow::showProblems()
{
    problems_->setEntries(worker_->problems().entries());
    if (problems_->rowCount() <= kMostWrappedRows)
        problemTable_->resizeRowsToContents();
    saveProblemsButton_->setEnabled(!problems_->entries().isEmpty());
    checks_->setDataSet(worker_->merge() ? &worker_->merge()->data() : nullptr);
    if (checks_->rowCount() <= kMostWrappedRows)
        checkTable_->resizeRowsToContents();
    saveChecksButton_->setEnabled(checks_->rowCount() > 0);
    resultTabs_->setTabText(0, QStringLiteral("问题（%1）").arg(problems_->rowCount()));
    resultTabs_->setTabText(1, QStringLiteral("数据核查（%1）").arg(checks_->rowCount()));
}

void CollectWindow::saveProblems()
{
    const QString path = chosenTablePath(this, QStringLiteral("问题表保存为"));
    if (!path.isEmpty())
        saveProblemsTo(path);
}

void CollectWindow::saveChecks()
{
    const QString path = chosenTablePath(this, QStringLiteral("核查表保存为"));
    if (!path.isEmpty())
        saveChecksTo(path);
}

bool CollectWindow::saveProblemsTo(const QString &path)
{
    ProblemReport report;
    report.append(problems_->entries());
    return saveList(path, ListFiles::problemsCsv(report), QStringLiteral("问题表"));
}

bool CollectWindow::saveChecksTo(const QString &path)
{
    return saveList(path, checks_->dataSet() ? ListFiles::checksCsv(*checks_->dataSet()) : QByteArray(),
                    QStringLiteral("核查表"));
}

bool CollectWindow::saveList(const QString &path, const QByteArray &csv, const QString &what)
{
    QString why;
    if (writeFileAlone(path, csv, why)) {
        showMessage(summaryLabel_->text() + QLatin1Char('\n') +
                        QStringLiteral("%1已保存：%2").arg(what, QDir::toNativeSeparators(path)),
                    false);
        return true;
    }
    showMessage(QStringLiteral("%1无法保存到“%2”：%3").arg(what, QDir::toNativeSeparators(path), why), true);
    return false;
}
