// How a filling begins and carries over between runs: at the start, the
// choice among the drafts that earlier runs left, or a result file to correct;
// then this filling's own draft, kept while the pages are filled and removed
// by the save. Drafts of other fillings are never touched but on request. A
// result file being corrected is held by its filling, as a draft is: no second
// copy of the program corrects it at the same time.
#pragma once

#include "app/drafts/Draft.h"
#include "app/drafts/DraftFile.h"
#include "app/drafts/DraftFolder.h"
#include "app/drafts/DraftKeeper.h"
#include "app/drafts/FillingLock.h"

#include <QByteArray>
#include <QObject>
#include <memory>
#include <vector>

class DraftStore;
class FileSystemCalls;
class QWidget;
class Shell;
namespace ForegroundRequest {
class Listener;
}

class Resumption : public QObject {
    Q_OBJECT
public:
    // Keeps the shell's filling in a draft in folder (none when it is not used).
    Resumption(Shell &shell, DraftFolder folder, FileSystemCalls &calls);
    explicit Resumption(Shell &shell, DraftFolder folder = DraftFolder());
    ~Resumption() override; // the draft stays for a later run unless it was saved

    // Shows the intro page, then opens the result file (its path as the file
    // system gives it) or, without one, offers the drafts of earlier runs. A
    // file that another copy is correcting ends this run once the person is
    // told (and that copy's window brought to the front).
    void start(const QByteArray &resultFile = {});

    // Fills the pages from a result file and shows the intro page; corrections
    // of the same file that an earlier run left are offered first. A file that
    // does not fit is named in a box with its first wrong line, and nothing is
    // loaded; so is nothing of a file that another copy is correcting. Returns
    // whether the file (or its corrections) was loaded.
    bool openResultFile(const QByteArray &path);

    // This filling's draft, or nullptr while none is kept.
    DraftStore *draft() const { return store_.get(); }

signals:
    // Another copy asked this one to the front: it holds the file that copy was asked to open.
    void askedToFront();

private:
    struct Offer {
        DraftFile file;
        Draft draft;
    };
    enum class Opened { Yes, Refused, HeldElsewhere };
    // A result file's lock: this filling holds it already, this copy has just
    // taken it (or there is no place for one), another running copy here has
    // it, or the person left it to the other machine that has it.
    enum class Locked { Ours, Yes, HeldHere, LeftElsewhere };

    std::vector<Offer> readOfferableDrafts();
    void offerDrafts();
    bool offerCorrectionsOf(const QByteArray &source);
    bool askToDelete(Offer &offer);
    bool resume(Offer &offer);
    Opened open(const QByteArray &path);
    Locked lockResultFile(const QByteArray &source, FillingLock &lock, QString &key);
    bool holdResultFile(const QByteArray &source);
    bool holdSaveTarget(const QString &path);
    void bringToFront();
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
    // The result file this filling corrects, its lock and the lock's key.
    QByteArray heldSource_;
    QString heldKey_;
    FillingLock sourceLock_;
    // The lock of the file the save writes (the file beside the program).
    FillingLock saveLock_;
    std::unique_ptr<ForegroundRequest::Listener> listener_;
    bool writeFailureShown_ = false;
};
