// The collector's window ("汇总填报结果"): pick or drop the folder of result
// files, pick the output and its format, run the merge with a progress bar and
// a cancel button, then read the summary and the table of problems.
#pragma once

#include <QWidget>

class MergeWorker;
class ProblemTableModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

class CollectWindow : public QWidget {
    Q_OBJECT
public:
    explicit CollectWindow(QWidget *parent = nullptr);
    ~CollectWindow() override;

    void setInputFolder(const QString &folder);
    void setOutputFile(const QString &path);
    // Writes the problem table as CSV; false (and the summary says why) on failure.
    bool saveProblemsTo(const QString &path);

    MergeWorker *worker() const { return worker_; }

signals:
    // After a merge ended, was cancelled, or could not start.
    void mergeEnded();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void chooseFolder();
    void chooseOutput();
    void formatPicked(int index);
    void outputEdited(const QString &path);
    void startMerge();
    void showProgress(int phase, qint64 done, qint64 total, const QString &item);
    void showEnd();
    void saveProblems();
    void setRunning(bool running);
    void showMessage(const QString &text, bool error);

    QLineEdit *inputEdit_;
    QLineEdit *outputEdit_;
    QComboBox *formatBox_;
    QPushButton *startButton_;
    QPushButton *cancelButton_;
    QProgressBar *progressBar_;
    QLabel *summaryLabel_;
    QTableView *problemTable_;
    QPushButton *saveProblemsButton_;
    ProblemTableModel *problems_;
    MergeWorker *worker_;
};
