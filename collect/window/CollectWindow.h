// The collector's window ("汇总填报结果"): pick or drop the folder of result
// files, name the output and tick its formats, the codebook and the report
// (and what its questions are broken down by) and which records to keep, run the merge with a progress
// bar and a cancel button, then read the summary, the table of problems and,
// on a tab beside it, the findings of the data checks.
#pragma once

#include "collect/export/Formats.h"
#include "collect/merge/ReportRequest.h"

#include <QList>
#include <QWidget>
#include <span>

class CheckTableModel;
class FilterChoices;
class MergeWorker;
class ProblemTableModel;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTabWidget;

class CollectWindow : public QWidget {
    Q_OBJECT
public:
    // formats: the formats on offer.
    explicit CollectWindow(QWidget *parent = nullptr, std::span<const Format> formats = Formats::all());
    ~CollectWindow() override;

    void setInputFolder(const QString &folder);
    // The outputs' path without its extension; a known extension is taken off.
    void setOutputBase(const QString &path);
    // Writes the problem table as CSV; false (and the summary says why) on failure.
    bool saveProblemsTo(const QString &path);
    // The same for the findings of the data checks.
    bool saveChecksTo(const QString &path);

    MergeWorker *worker() const { return worker_; }

signals:
    // After a merge ended, was cancelled, or could not start.
    void mergeEnded();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QGridLayout *buildChoices();
    void addReportChoices(QGridLayout *formatGrid, int row);
    QLayout *buildRunRow();
    QLayout *buildProblemRow();
    void buildProblemTable();
    QTabWidget *buildResultTabs();
    QWidget *buildCheckPage();
    void connectParts();

    void chooseFolder();
    void chooseOutput();
    void startMerge();
    QStringList chosenOutputs() const;
    QString codebookPath() const;
    ReportRequest reportRequest() const;
    bool checkOutput(const QString &target);
    void showProgress(int phase, qint64 done, qint64 total, const QString &item);
    void showEnd();
    void showProblems();
    void saveProblems();
    void saveChecks();
    bool saveList(const QString &path, const QByteArray &csv, const QString &what);
    void setRunning(bool running);
    void showMessage(const QString &text, bool error);

    std::span<const Format> formats_;
    QLineEdit *inputEdit_ = nullptr;
    QPushButton *inputButton_ = nullptr;
    QLineEdit *outputEdit_ = nullptr;
    QPushButton *outputButton_ = nullptr;
    QList<QPair<const Format *, QCheckBox *>> formatBoxes_;
    QCheckBox *codebookBox_ = nullptr;
    QCheckBox *reportBox_ = nullptr;
    QComboBox *reportGroupingBox_ = nullptr;
    FilterChoices *filterChoices_ = nullptr;
    QPushButton *startButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;
    QProgressBar *progressBar_ = nullptr;
    QLabel *summaryLabel_ = nullptr;
    QTableView *problemTable_ = nullptr;
    QPushButton *saveProblemsButton_ = nullptr;
    QTabWidget *resultTabs_ = nullptr;
    QTableView *checkTable_ = nullptr;
    QPushButton *saveChecksButton_ = nullptr;
    ProblemTableModel *problems_;
    CheckTableModel *checks_;
    MergeWorker *worker_;
};
