// Offering the drafts of earlier runs, reopening a result file, and keeping
// this filling's draft until the save.
#include "app/Resumption.h"

#include "app/DraftStore.h"
#include "app/PageState.h"
#include "app/Shell.h"
#include "pages/intro/IntroPage.h"
#include "survey/FileSystemCalls.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"
#include "survey/ResultFileReader.h"
#include "widgets/MessageBoxes.h"
#include "widgets/Page.h"

#include <QDir>
#include <algorithm>

namespace {

QString enterpriseOf(const Draft &draft)
{
    const QString typed = draft.controls.value(
        Draft::controlKey(Survey::pageObjectName(Survey::PageId::BasicInformation), Survey::line(1).controls.first()));
    return typed.isEmpty() ? draft.lines.value(0) : typed;
}

// Why a readable draft cannot be restored: the first problem of its record
// that would keep a result file from being reopened. A line not written yet is
// empty, and that is no fault in a draft.
QString misfit(const Draft &draft)
{
    for (const RecordCheck::Problem &problem : RecordCheck::check(draft.lines))
        if (RecordCheck::blocksReopening(problem.kind) && !draft.lines.value(problem.line - 1).isEmpty())
            return QStringLiteral("草稿第 %1 行不合要求：%2").arg(QString::number(problem.line), problem.what);
    return {};
}

// The same file is recognised whatever the working folder of the run that opened it.
QByteArray absolutePath(const QByteArray &path)
{
    if (QDir::isAbsolutePath(FileSystemCalls::displayPath(path)))
        return path;
    return FileSystemCalls::nativePath(QDir::currentPath() + QLatin1Char('/')) + path;
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
    if (!folder_.isUsed())
        return;
    for (int i = 0; i < Survey::kPageCount; ++i)
        if (shell.isBuilt(Survey::PageId(i)))
            keeper_.watch(shell.page(Survey::PageId(i)));
    connect(&shell, &Shell::pageBuilt, &keeper_, &DraftKeeper::watch);
    connect(&shell, &Shell::moved, &keeper_, &DraftKeeper::writeNow);
    // "Yes" to the close question keeps the draft: the next start offers it back.
    connect(&shell, &Shell::closing, &keeper_, [this] { keeper_.flush(); });
}

Resumption::~Resumption()
{
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
        offerDrafts();
    else if (!openResultFile(resultFile))
        beginNewFilling();
}

std::vector<Resumption::Offer> Resumption::readFreeDrafts()
{
    std::vector<Offer> offers;
    for (DraftFile &file : folder_.takeFree()) {
        const DraftFile::Loaded loaded = file.load();
        if (!loaded.found)
            continue;
        const QString unusable = loaded.parsed.ok() ? misfit(loaded.parsed.draft) : loaded.parsed.reason;
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
    std::vector<Offer> offers = readFreeDrafts();
    if (offers.empty())
        return beginNewFilling();
    if (offers.size() == 1) {
        Offer &offer = offers.front();
        if (MessageBoxes::askContinueDraft(shell_.introPage(), enterpriseOf(offer.draft), offer.draft.savedAt))
            return resume(offer);
        offer.file.remove();
        return beginNewFilling();
    }
    QList<MessageBoxes::DraftEntry> entries;
    for (const Offer &offer : offers)
        entries.append({enterpriseOf(offer.draft), offer.draft.savedAt,
                        QDir::toNativeSeparators(FileSystemCalls::displayPath(offer.draft.source))});
    const int chosen = MessageBoxes::pickDraft(shell_.introPage(), entries, [&offers](int index) {
        DraftFile &file = offers[index].file;
        return file.remove() ? QString() : QDir::toNativeSeparators(file.path());
    });
    // The drafts not chosen are let go as they are, for a later run.
    if (chosen >= 0)
        resume(offers[chosen]);
    else
        beginNewFilling();
}

bool Resumption::offerCorrectionsOf(const QByteArray &source)
{
    // Only the newest readable draft of this very file; every other draft stays untouched.
    std::vector<Offer> found;
    for (DraftFile &file : folder_.takeFree()) {
        const DraftFile::Loaded loaded = file.load();
        if (loaded.found && loaded.parsed.ok() && loaded.parsed.draft.source == source &&
            loaded.parsed.draft.holdsAnswers() && misfit(loaded.parsed.draft).isEmpty())
            found.push_back({std::move(file), loaded.parsed.draft});
    }
    if (found.empty())
        return false;
    Offer &newest = *std::max_element(found.begin(), found.end(),
                                      [](const Offer &a, const Offer &b) { return a.draft.savedAt < b.draft.savedAt; });
    if (MessageBoxes::askContinueDraft(boxParent(), enterpriseOf(newest.draft), newest.draft.savedAt)) {
        resume(newest);
        return true;
    }
    newest.file.remove();
    return false;
}

void Resumption::resume(Offer &offer)
{
    keep(std::move(offer.file), offer.draft.source);
    keeper_.setPaused(true);
    PageState::restore(shell_, offer.draft);
    keeper_.setPaused(false);
}

bool Resumption::openResultFile(const QByteArray &path)
{
    const QString shown = QDir::toNativeSeparators(FileSystemCalls::displayPath(path));
    const ResultFileReader::Result read = ResultFileReader::readNative(path);
    if (!read.accepted()) {
        MessageBoxes::resultFileRefused(boxParent(), shown, read.line, read.reason);
        return false;
    }
    for (const RecordCheck::Problem &problem : RecordCheck::check(read.lines)) {
        if (RecordCheck::blocksReopening(problem.kind)) {
            MessageBoxes::resultFileRefused(boxParent(), shown, problem.line, problem.what);
            return false;
        }
    }

    // The filling on screen keeps its draft, for a later run.
    leaveFilling();
    shell_.startEmpty();
    const QByteArray source = absolutePath(path);
    if (folder_.isUsed() && offerCorrectionsOf(source))
        return true;
    beginNewFilling(source);
    Draft state = PageState::fromLines(read.lines);
    state.page = int(Survey::PageId::Intro);
    keeper_.setPaused(true);
    PageState::restore(shell_, state);
    keeper_.setPaused(false);
    return true;
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
