// The application shell: owns the answer record and the ordered pages, does
// every move between them, writes the result file and ends the run.
#pragma once

#include "survey/AnswerRecord.h"
#include "survey/LineMap.h"

#include <QObject>
#include <QString>
#include <array>
#include <functional>

class FileSystemCalls;
class IntroPage;
class BasicInformationPage;
class FoundationPage;
class PerformancePage;
class QuestionnairePage;
class Page;

class Shell : public QObject {
    Q_OBJECT
public:
    // Starts a run with an empty answer record.
    Shell();
    ~Shell() override;

    // Registers fonts and the title; call once after the QApplication exists.
    static void prepareApplication();

    // The record of this run: the pages set it, the writer reads it.
    AnswerRecord &record() { return record_; }

    // Builds every page that is not built yet.
    void createPages();
    bool isBuilt(Survey::PageId index) const { return pages_[size_t(index)] != nullptr; }

    // Each page, built when first asked for.
    IntroPage *introPage();
    BasicInformationPage *basicInformationPage();
    FoundationPage *foundationPage();
    PerformancePage *performancePage();
    QuestionnairePage *questionnairePage();
    Page *page(Survey::PageId index);
    // Every page, in order (builds them all).
    QList<Page *> pages();
    // The page on screen, or nullptr.
    Page *currentPage() const;

    // Shows the intro page; the other pages are built once it has been painted.
    void showIntroPage();
    // Runs the event loop until the end of the application.
    int run();

    // Drops every page but the intro page and empties the record: a new filling.
    void startEmpty();

    // Hides the page on screen and shows the other one.
    void moveTo(Survey::PageId to);

    // Ends the run without asking anything.
    void endApplication();
    bool hasEnded() const { return ended_; }

    // Writes the result file from the record, tells the user where it went
    // and ends the application. A file error is shown in the error box and the
    // run goes on; returns whether the file was written.
    bool saveResultFile();

    // Whether the answers stored so far fit a result file; when they do not,
    // a box says which line to shorten. Asked at every page's "下一步" and at the save.
    bool recordFitsTheFile();

    // Asked with the result file's path before it is written: false keeps the
    // file unwritten and the run as it is (the guard has told the person why).
    void setSaveGuard(std::function<bool(const QString &path)> guard) { saveGuard_ = std::move(guard); }

    // The seam of the writer's system calls and the folder it writes to.
    void setFileSystem(FileSystemCalls *calls) { fileSystem_ = calls; }
    void setProgramFolder(const QString &folder) { programFolder_ = folder; }

signals:
    // The intro page has been painted for the first time.
    void introPainted();
    // A page was built; every page is built.
    void pageBuilt(Page *page);
    void allPagesBuilt();
    // Another page is on screen.
    void moved();
    // The person confirmed closing a page: the run ends unsaved.
    void closing();
    // The result file was written, before the person is told where.
    void saved();
    // A result file was dropped on the intro page.
    void resultFileDropped(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build(Survey::PageId index);
    void buildNextInBackground();
    bool confirmClose(Page *page);

    AnswerRecord record_;
    std::array<Page *, Survey::kPageCount> pages_{};
    std::function<bool(const QString &path)> saveGuard_;
    FileSystemCalls *fileSystem_ = nullptr;
    QString programFolder_;
    bool running_ = false;
    bool ended_ = false;
    bool introPainted_ = false;
};
