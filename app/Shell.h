// The application shell: owns the answer record and the ordered pages, does
// every move between them, writes the result file and ends the run.
#pragma once

#include "survey/AnswerRecord.h"
#include "survey/LineMap.h"

#include <QObject>
#include <QString>
#include <array>
#include <memory>

class DraftKeeper;
class DraftStore;
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
    // Shows the intro page and runs the event loop until the end of the application.
    // With a file, the pages are filled from it; otherwise a draft left by an
    // earlier run is offered back.
    int run(const QString &resultFile = QString());

    // Shows the intro page, then opens the file or offers the draft, as run() does.
    void start(const QString &resultFile = QString());

    // Keeps a draft in the store while the pages are filled in.
    void useDrafts(DraftStore &store);
    DraftKeeper *draftKeeper() const { return keeper_.get(); }

    // Offers back the draft of an earlier run, if it holds answers. An
    // unreadable draft is moved aside and the run starts empty.
    void offerDraft();

    // Fills the pages from a result file and shows the intro page. A file that
    // does not fit is named in a box with its first wrong line, and nothing is
    // loaded. Returns whether the file was loaded.
    bool openResultFile(const QString &path);

    // Hides the page on screen and shows the other one.
    void moveTo(Survey::PageId to);

    // Ends the run without asking anything.
    void endApplication();
    bool hasEnded() const { return ended_; }

    // Writes the result file from the record, tells the user where it went
    // and ends the application. A file error is shown in the error box and the
    // run goes on; returns whether the file was written.
    bool saveResultFile();

    // The seam of the writer's system calls and the folder it writes to.
    void setFileSystem(FileSystemCalls *calls) { fileSystem_ = calls; }
    void setProgramFolder(const QString &folder) { programFolder_ = folder; }

signals:
    // The intro page has been painted for the first time.
    void introPainted();
    // Every page is built.
    void allPagesBuilt();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build(Survey::PageId index);
    void buildNextInBackground();
    bool confirmClose(Page *page);
    // Drops every page but the intro page and empties the record.
    void startEmpty();
    void onDraftWriteFailed(const QString &reason);

    AnswerRecord record_;
    std::array<Page *, Survey::kPageCount> pages_{};
    FileSystemCalls *fileSystem_ = nullptr;
    QString programFolder_;
    bool running_ = false;
    bool ended_ = false;
    bool introPainted_ = false;
    DraftStore *drafts_ = nullptr;
    std::unique_ptr<DraftKeeper> keeper_;
    bool draftWriteFailureShown_ = false;
};
