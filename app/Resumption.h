// How a filling begins and carries over between runs: at the start, the
// choice among the drafts that earlier runs left, or a result file to correct;
// then this filling's own draft, kept while the pages are filled and removed
// by the save. Drafts of other fillings are never touched but on request.
#pragma once

#include "app/Draft.h"
#include "app/DraftFile.h"
#include "app/DraftFolder.h"
#include "app/DraftKeeper.h"

#include <QByteArray>
#include <QObject>
#include <memory>
#include <vector>

class DraftStore;
class FileSystemCalls;
class QWidget;
class Shell;

class Resumption : public QObject {
    Q_OBJECT
public:
    // Keeps the shell's filling in a draft in folder (none when it is not used).
    Resumption(Shell &shell, DraftFolder folder, FileSystemCalls &calls);
    explicit Resumption(Shell &shell, DraftFolder folder = DraftFolder());
    ~Resumption() override; // the draft stays for a later run unless it was saved

    // Shows the intro page, then opens the result file (its path as the file
    // system gives it) or, without one, offers the drafts of earlier runs.
    void start(const QByteArray &resultFile = {});

    // Fills the pages from a result file and shows the intro page; corrections
    // of the same file that an earlier run left are offered first. A file that
    // does not fit is named in a box with its first wrong line, and nothing is
    // loaded. Returns whether the file (or its corrections) was loaded.
    bool openResultFile(const QByteArray &path);

    // This filling's draft, or nullptr while none is kept.
    DraftStore *draft() const { return store_.get(); }

private:
    struct Offer {
        DraftFile file;
        Draft draft;
    };
    std::vector<Offer> readFreeDrafts();
    void offerDrafts();
    bool offerCorrectionsOf(const QByteArray &source);
    void resume(Offer &offer);
    void beginNewFilling(const QByteArray &source = {});
    void keep(DraftFile file, const QByteArray &source);
    void leaveFilling();
    void onSaved();
    void onWriteFailed(const QString &reason);
    QWidget *boxParent() const;

    Shell &shell_;
    DraftFolder folder_;
    FileSystemCalls &calls_;
    DraftKeeper keeper_;
    std::unique_ptr<DraftStore> store_;
    bool writeFailureShown_ = false;
};
