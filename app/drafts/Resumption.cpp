// Offering the drafts of earlier runs, reopening a result file, and keeping
// this filling's draft until the save.
#include "app/drafts/Resumption.h"

#include "app/drafts/DraftStore.h"
#include "platform/ForegroundRequest.h"
#include "app/drafts/PageState.h"
#include "app/Shell.h"
#include "pages/intro/IntroPage.h"
#include "platform/FileSystemCalls.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"
#include "survey/ResultFileReader.h"
#include "widgets/MessageBoxes.h"
#include "widgets/Page.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

QString enterpriseOf(const Draft &draft)
{
    const Survey::Line &nameLine = Survey::line(Survey::kEnterpriseNameLine);
    const QString typed =
        draft.controls.value(Draft::controlKey(Survey::pageObjectName(nameLine.page), nameLine.controls.first()));
    return typed.isEmpty() ? draft.lines.value(Survey::kEnterpriseNameLine - 1) : typed;
}

// Why a readable draft cannot be restored: the first problem of its record
// that would keep a result file from being reopened (a line not written yet is
// empty, and that is no fault in a draft), or what no field lets in.
QString misfit(const Draft &draft)
{
    for (const RecordCheck::Problem &problem : RecordCheck::check(draft.lines))
        if (RecordCheck::blocksReopening(problem.kind) && !draft.lines.value(problem.line - 1).isEmpty())
            return QStringLiteral("草稿第 %1 行不合要求：%2").arg(QString::number(problem.line), problem.what);
    return PageState::misfit(draft);
}

// The same file is recognised whatever the working folder of the run that opened it.
QByteArray absoluteNativePath(const QByteArray &path)
{
    if (QDir::isAbsolutePath(FileSystemCalls::displayPath(path)))
        return path;
    return FileSystemCalls::nativePath(QDir::currentPath() + QLatin1Char('/')) + path;
}

// The name under which a result file is held: the same for every name of the
// file (through a link, or with another working folder), also before it is
// first saved, and for every copy of this user's, and no other user's.
QString holdingKey(const QString &draftsFolder, const QByteArray &source)
{
    const QFileInfo file(FileSystemCalls::displayPath(source));
    QString canonical = file.canonicalFilePath();
    if (canonical.isEmpty() && !file.dir().canonicalPath().isEmpty())
        canonical = QDir(file.dir().canonicalPath()).filePath(file.fileName());
    const QByteArray identity = canonical.isEmpty() ? source : canonical.toUtf8();
    const QByteArray hash =
        QCryptographicHash::hash(draftsFolder.toUtf8() + '\n' + identity, QCryptographicHash::Sha256).toHex();
    return QString::fromLatin1(hash.left(32));
}

// Deletes an offered draft, taking it over first from another machine (the
// person has been asked); why it failed, or nothing.
QString deleteDraft(DraftFile &file)
{
    if ((file.isHeld() || file.takeOver()) && file.remove())
        return {};
    return QDir::toNativeSeparators(file.path());
}

} // namespace

Resumption::Resumption(Shell &shell, DraftFolder folder)
    : Resumption(shell, std::move(folder), FileSystemCalls::system())
{
}

Resumption::Resumption(Shell &shell, DraftFolder folder, FileSystemCalls &calls)
    : shell_(shell), folder_(std::move(folder)), calls_(calls), keeper_(shell)
{
    connect(&shell, &Shell::resultFileDropped, this,
            [this](const QString &path) { openResultFile(FileSystemCalls::nativePath(path)); });
    connect(&shell, &Shell::saved, this, &Resumption::onSaved);
    shell.setSaveGuard([this](const QString &path) { return holdSaveTarget(path); });
    if (!folder_.isUsed())
        return;
    for (int i = 0; i < Survey::kPageCount; ++i)
        if (shell.isBuilt(Survey::PageId(i)))
            keeper_.watch(shell.page(Survey::PageId(i)));
    connect(&shell, &Shell::pageBuilt, &keeper_, &DraftKeeper::watch);
    connect(&shell, &Shell::moved, &keeper_, &DraftKeeper::queueWrite);
    // "Yes" to the close question keeps the draft: the next start offers it back.
    connect(&shell, &Shell::closing, &keeper_, [this] { keeper_.flush(); });
}

Resumption::~Resumption()
{
    shell_.setSaveGuard({});
    keeper_.keepIn(nullptr);
}

QWidget *Resumption::boxParent() const
{
    Page *current = shell_.currentPage();
    return current ? current : static_cast<QWidget *>(shell_.introPage());
}

void Resumption::start(const QByteArray &resultFile)
{
    // The intro page is up first, so that a box has a window to stand over;
    // the question comes before anything can be typed.
    shell_.showIntroPage();
    if (folder_.isUnavailable())
        MessageBoxes::draftsOff(shell_.introPage(), folder_.rejectedLocation());
    if (resultFile.isEmpty())
        return offerDrafts();
    switch (open(resultFile)) {
    case Opened::Yes:
        return;
    case Opened::Refused:
        return beginNewFilling();
    case Opened::HeldElsewhere: // the file is on screen in the other window: nothing is left to do here
        return shell_.endApplication();
    }
}

namespace {

MessageBoxes::DraftEntry entryOf(const DraftFile &file, const Draft &draft)
{
    return {enterpriseOf(draft), draft.savedAt, QDir::toNativeSeparators(FileSystemCalls::displayPath(draft.source)),
            file.otherMachine()};
}

} // namespace

std::vector<Resumption::Offer> Resumption::readOfferableDrafts()
{
    std::vector<Offer> offers;
    for (DraftFile &file : folder_.takeOfferable()) {
        const DraftFile::Loaded loaded = file.load();
        if (!loaded.found)
            continue;
        const QString unusable = loaded.parsed.ok() ? misfit(loaded.parsed.draft) : loaded.parsed.reason;
        // Another machine's draft may be half-way through a write there: it is left as it is.
        if (!file.isHeld() && (!unusable.isEmpty() || !loaded.parsed.draft.holdsAnswers()))
            continue;
        if (!unusable.isEmpty()) {
            const QString aside = file.moveAside();
            MessageBoxes::draftUnusable(boxParent(), unusable, aside, file.path());
            continue;
        }
        if (!loaded.parsed.draft.holdsAnswers()) {
            file.remove();
            continue;
        }
        offers.push_back({std::move(file), loaded.parsed.draft});
    }
    std::stable_sort(offers.begin(), offers.end(),
                     [](const Offer &a, const Offer &b) { return a.draft.savedAt > b.draft.savedAt; });
    return offers;
}

void Resumption::offerDrafts()
{
    std::vector<Offer> offers = readOfferableDrafts();
    if (offers.empty())
        return beginNewFilling();
    if (offers.size() == 1) {
        // Not choosing is not deleting: only "否" and a second "是" delete the draft.
        Offer &offer = offers.front();
        switch (MessageBoxes::askContinueDraft(shell_.introPage(), entryOf(offer.file, offer.draft))) {
        case MessageBoxes::DraftChoice::Continue:
            if (resume(offer))
                return;
            break;
        case MessageBoxes::DraftChoice::StartNew:
            askToDelete(offer);
            break;
        case MessageBoxes::DraftChoice::NotChosen:
            break;
        }
        return beginNewFilling();
    }
    QList<MessageBoxes::DraftEntry> entries;
    for (const Offer &offer : offers)
        entries.append(entryOf(offer.file, offer.draft));
    const int chosen = MessageBoxes::pickDraft(shell_.introPage(), entries,
                                               [&offers](int index) { return deleteDraft(offers[index].file); });
    // The drafts not chosen are let go as they are, for a later run.
    if (chosen < 0 || !resume(offers[chosen]))
        beginNewFilling();
}

bool Resumption::offerCorrectionsOf(const QByteArray &source)
{
    // Only the newest readable draft of this very file; every other draft stays untouched.
    std::vector<Offer> found;
    for (DraftFile &file : folder_.takeOfferable()) {
        const DraftFile::Loaded loaded = file.load();
        if (loaded.found && loaded.parsed.ok() && loaded.parsed.draft.source == source &&
            loaded.parsed.draft.holdsAnswers() && misfit(loaded.parsed.draft).isEmpty())
            found.push_back({std::move(file), loaded.parsed.draft});
    }
    if (found.empty())
        return false;
    Offer &newest = *std::max_element(found.begin(), found.end(),
                                      [](const Offer &a, const Offer &b) { return a.draft.savedAt < b.draft.savedAt; });
    switch (MessageBoxes::askContinueDraft(boxParent(), entryOf(newest.file, newest.draft))) {
    case MessageBoxes::DraftChoice::Continue:
        return resume(newest);
    case MessageBoxes::DraftChoice::StartNew:
        askToDelete(newest);
        return false;
    case MessageBoxes::DraftChoice::NotChosen:
        return false;
    }
    return false;
}

bool Resumption::askToDelete(Offer &offer)
{
    if (!MessageBoxes::confirmDeleteDraft(boxParent(), entryOf(offer.file, offer.draft)))
        return false;
    const QString failure = deleteDraft(offer.file);
    if (!failure.isEmpty())
        MessageBoxes::draftNotDeleted(boxParent(), failure);
    return failure.isEmpty();
}

bool Resumption::resume(Offer &offer)
{
    if (!offer.file.isHeld()) {
        if (!MessageBoxes::askTakeOver(boxParent(), offer.file.otherMachine()))
            return false;
        if (!offer.file.takeOver()) {
            MessageBoxes::warning(boxParent(), QStringLiteral("无法接管这份填报：它的锁文件无法移除。"));
            return false;
        }
    }
    if (!offer.draft.source.isEmpty() && !holdResultFile(offer.draft.source))
        return false;
    keep(std::move(offer.file), offer.draft.source);
    keeper_.setPaused(true);
    PageState::restore(shell_, offer.draft);
    keeper_.setPaused(false);
    return true;
}

bool Resumption::openResultFile(const QByteArray &path)
{
    return open(path) == Opened::Yes;
}

Resumption::Opened Resumption::open(const QByteArray &path)
{
    const QString shown = QDir::toNativeSeparators(FileSystemCalls::displayPath(path));
    const ResultFileReader::Result read = ResultFileReader::readNative(path);
    if (!read.accepted()) {
        MessageBoxes::resultFileRefused(boxParent(), shown, read.line, read.reason);
        return Opened::Refused;
    }
    for (const RecordCheck::Problem &problem : RecordCheck::check(read.lines)) {
        if (RecordCheck::blocksReopening(problem.kind)) {
            MessageBoxes::resultFileRefused(boxParent(), shown, problem.line, problem.what);
            return Opened::Refused;
        }
    }
    const QByteArray source = absoluteNativePath(path);
    if (!holdResultFile(source))
        return Opened::HeldElsewhere;

    // The filling on screen keeps its draft, for a later run.
    leaveFilling();
    shell_.startEmpty();
    if (folder_.isUsed() && offerCorrectionsOf(source))
        return Opened::Yes;
    beginNewFilling(source);
    Draft state = PageState::fromLines(read.lines);
    state.page = int(Survey::PageId::Intro);
    keeper_.setPaused(true);
    PageState::restore(shell_, state);
    keeper_.setPaused(false);
    return Opened::Yes;
}

Resumption::Locked Resumption::lockResultFile(const QByteArray &source, FillingLock &lock, QString &key)
{
    // Without a drafts folder there is no place for the lock: the file is
    // written unguarded, as nothing of the filling is kept either.
    const QString drafts = folder_.draftsFolder();
    if (!folder_.isUsed() || !DraftFolder::makeFolder(drafts, nullptr))
        return Locked::Yes;
    key = holdingKey(drafts, source);
    if (key == heldKey_)
        return Locked::Ours;
    lock = FillingLock(QDir(drafts).filePath(QStringLiteral("opened-") + key + FillingLock::kSuffix.toString()));
    if (lock.isHeld() || lock.isRefused())
        return Locked::Yes;
    if (lock.otherMachine().isEmpty())
        return Locked::HeldHere;
    if (MessageBoxes::askTakeOver(boxParent(), lock.otherMachine()) && lock.takeOver())
        return Locked::Yes;
    return Locked::LeftElsewhere;
}

bool Resumption::holdResultFile(const QByteArray &source)
{
    if (source == heldSource_)
        return true;
    FillingLock lock;
    QString key;
    switch (lockResultFile(source, lock, key)) {
    case Locked::Ours: // by another of its names
        heldSource_ = source;
        return true;
    case Locked::Yes:
        break;
    case Locked::HeldHere:
        MessageBoxes::fileOpenElsewhere(boxParent());
        ForegroundRequest::ask(lock.holderProcess(), folder_.draftsFolder(), key);
        return false;
    case Locked::LeftElsewhere:
        return false;
    }
    heldSource_ = source;
    heldKey_ = key;
    sourceLock_ = std::move(lock);
    listener_.reset();
    if (sourceLock_.isHeld())
        listener_ =
            std::make_unique<ForegroundRequest::Listener>(folder_.draftsFolder(), key, [this] { bringToFront(); });
    return true;
}

bool Resumption::holdSaveTarget(const QString &path)
{
    saveLock_ = FillingLock(); // an earlier save's, which failed; taken again if it is this file
    FillingLock lock;
    QString key;
    switch (lockResultFile(absoluteNativePath(FileSystemCalls::nativePath(path)), lock, key)) {
    case Locked::Ours: // the file this filling corrects
        return true;
    case Locked::Yes:
        saveLock_ = std::move(lock); // until the run ends: the file is this copy's last word
        return true;
    case Locked::HeldHere:
        MessageBoxes::saveRefusedOpenElsewhere(boxParent(), QDir::toNativeSeparators(path));
        return false;
    case Locked::LeftElsewhere:
        return false;
    }
    return false;
}

void Resumption::bringToFront()
{
    QWidget *window = boxParent();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
    emit askedToFront();
}

void Resumption::beginNewFilling(const QByteArray &source)
{
    if (!folder_.isUsed())
        return;
    QString error;
    DraftFile file = folder_.takeNew(&error);
    if (!file.isHeld())
        return onWriteFailed(error);
    keep(std::move(file), source);
}

void Resumption::keep(DraftFile file, const QByteArray &source)
{
    if (source != heldSource_) { // a filling of its own: the file corrected before is let go
        listener_.reset();
        sourceLock_ = FillingLock();
        heldSource_.clear();
        heldKey_.clear();
    }
    store_ = std::make_unique<DraftStore>(std::move(file), calls_);
    connect(store_.get(), &DraftStore::writeFailed, this, &Resumption::onWriteFailed);
    keeper_.keepIn(store_.get(), source);
}

void Resumption::leaveFilling()
{
    if (!store_)
        return;
    keeper_.flush(); // what is on screen now, before the draft is let go
    keeper_.keepIn(nullptr);
    store_.reset();
}

void Resumption::onSaved()
{
    // Everything is in the file now: this filling's draft has done its work.
    keeper_.stop();
    if (store_)
        store_->remove();
}

void Resumption::onWriteFailed(const QString &reason)
{
    if (writeFailureShown_ || shell_.hasEnded())
        return;
    writeFailureShown_ = true;
    MessageBoxes::draftUnsaved(boxParent(), reason);
}
