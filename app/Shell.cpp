// The application shell.
#include "app/Shell.h"

#include "app/DraftKeeper.h"
#include "app/DraftStore.h"
#include "app/PageState.h"
#include "pages/intro/IntroPage.h"
#include "pages/performance/PerformancePage.h"
#include "pages/profile/BasicInformationPage.h"
#include "pages/profile/FoundationPage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "survey/Captions.h"
#include "survey/FileSystemCalls.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"
#include "survey/ResultFileReader.h"
#include "survey/ResultFileWriter.h"
#include "widgets/Fonts.h"
#include "widgets/MessageBoxes.h"
#include "widgets/TextFieldGuard.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QTimer>

static void initialiseResources()
{
    static bool done = false;
    if (!done) {
        done = true;
        Q_INIT_RESOURCE(resources);
    }
}

Shell::Shell()
{
    initialiseResources();
    startEmpty();
}

Shell::~Shell()
{
    keeper_.reset();
    for (qsizetype i = pages_.size(); i-- > 0;)
        delete pages_[size_t(i)];
}

void Shell::startEmpty()
{
    for (int i = Survey::kPageCount; i-- > 1;) { // every page but the intro page
        delete pages_[size_t(i)];
        pages_[size_t(i)] = nullptr;
    }
    // The one place the record is emptied: a run starts with no answers.
    record_.clear();
}

void Shell::prepareApplication()
{
    initialiseResources();
    Page::loadIconEarly();
    QCoreApplication::setApplicationName(Captions::kApplicationTitle.toString());
    Fonts::registerSubstitutes();
    // The pages are hidden and shown in turn; only the shell ends the run.
    QApplication::setQuitOnLastWindowClosed(false);
}

void Shell::build(Survey::PageId index)
{
    using enum Survey::PageId;
    if (pages_[size_t(index)])
        return;
    Page *page = nullptr;
    switch (index) {
    case Intro: {
        auto *intro = new IntroPage;
        connect(intro, &IntroPage::resultFileDropped, this, &Shell::openResultFile);
        page = intro;
        break;
    }
    case BasicInformation:
        page = new BasicInformationPage(record_);
        break;
    case Foundation:
        page = new FoundationPage(record_);
        break;
    case Performance:
        page = new PerformancePage(record_);
        break;
    case Questionnaire: {
        auto *questionnaire = new QuestionnairePage(record_);
        connect(questionnaire, &QuestionnairePage::saveRequested, this, &Shell::saveResultFile);
        page = questionnaire;
        break;
    }
    }
    pages_[size_t(index)] = page;
    TextFieldGuard::guardFieldsOf(page);
    page->setCloseGuard([this](Page *closing) { return confirmClose(closing); });
    // The page order lives here alone: forward is the next page, back the one before.
    const int position = int(index);
    if (position + 1 < Survey::kPageCount)
        connect(page, &Page::forwardRequested, this, [this, position] { moveTo(Survey::PageId(position + 1)); });
    if (index > BasicInformation)
        connect(page, &Page::backRequested, this, [this, position] { moveTo(Survey::PageId(position - 1)); });
    if (keeper_)
        keeper_->watch(page);
    if (std::all_of(pages_.begin(), pages_.end(), [](Page *p) { return p != nullptr; }))
        emit allPagesBuilt();
}

void Shell::createPages()
{
    for (int i = 0; i < Survey::kPageCount; ++i)
        build(Survey::PageId(i));
}

Page *Shell::page(Survey::PageId index)
{
    build(index);
    return pages_[size_t(index)];
}

IntroPage *Shell::introPage()
{
    return static_cast<IntroPage *>(page(Survey::PageId::Intro));
}

BasicInformationPage *Shell::basicInformationPage()
{
    return static_cast<BasicInformationPage *>(page(Survey::PageId::BasicInformation));
}

FoundationPage *Shell::foundationPage()
{
    return static_cast<FoundationPage *>(page(Survey::PageId::Foundation));
}

PerformancePage *Shell::performancePage()
{
    return static_cast<PerformancePage *>(page(Survey::PageId::Performance));
}

QuestionnairePage *Shell::questionnairePage()
{
    return static_cast<QuestionnairePage *>(page(Survey::PageId::Questionnaire));
}

QList<Page *> Shell::pages()
{
    createPages();
    return QList<Page *>(pages_.begin(), pages_.end());
}

Page *Shell::currentPage() const
{
    for (Page *page : pages_)
        if (page && page->isVisible())
            return page;
    return nullptr;
}

void Shell::showIntroPage()
{
    IntroPage *intro = introPage();
    intro->installEventFilter(this);
    intro->show();
}

bool Shell::eventFilter(QObject *watched, QEvent *event)
{
    if (!introPainted_ && watched == pages_[size_t(Survey::PageId::Intro)] && event->type() == QEvent::Paint) {
        introPainted_ = true;
        watched->removeEventFilter(this);
        // The intro page paints first; only then are the other pages built,
        // one per turn of the event loop, so that a press on "开始填报" is
        // never kept waiting behind all of them.
        QCoreApplication::sendEvent(watched, event);
        emit introPainted();
        QTimer::singleShot(0, this, &Shell::buildNextInBackground);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void Shell::buildNextInBackground()
{
    for (int i = 0; i < Survey::kPageCount; ++i) {
        if (!pages_[size_t(i)]) {
            build(Survey::PageId(i));
            QTimer::singleShot(0, this, &Shell::buildNextInBackground);
            return;
        }
    }
}

int Shell::run(const QString &resultFile)
{
    running_ = true;
    start(resultFile);
    return QApplication::exec();
}

void Shell::start(const QString &resultFile)
{
    // The intro page is up first, so that a box has a window to stand over;
    // the question comes before anything can be typed.
    showIntroPage();
    if (!resultFile.isEmpty())
        openResultFile(resultFile);
    else
        offerDraft();
}

void Shell::useDrafts(DraftStore &store)
{
    drafts_ = &store;
    keeper_ = std::make_unique<DraftKeeper>(*this, store);
    for (Page *page : pages_)
        if (page)
            keeper_->watch(page);
    connect(&store, &DraftStore::writeFailed, this, &Shell::onDraftWriteFailed);
}

void Shell::onDraftWriteFailed(const QString &reason)
{
    if (draftWriteFailureShown_ || ended_)
        return;
    draftWriteFailureShown_ = true;
    MessageBoxes::warning(currentPage(),
                          QStringLiteral("填报草稿无法保存（%1）。\n\n填报可以照常继续，保存退出不受影响；但程序若意外"
                                         "关闭，未保存的填写内容将会丢失。")
                              .arg(reason));
}

void Shell::offerDraft()
{
    if (!drafts_)
        return;
    const DraftStore::Loaded loaded = drafts_->load();
    if (!loaded.found)
        return;
    if (!loaded.parsed.ok()) {
        const QString aside = drafts_->moveAside();
        QString text = QStringLiteral("上次未完成的填报草稿无法读取：%1。\n\n").arg(loaded.parsed.reason);
        if (!aside.isEmpty()) {
            text += QStringLiteral("草稿已原样移至：\n%1\n\n程序将开始新的填报。").arg(QDir::toNativeSeparators(aside));
        } else {
            // It could not be moved: leave it where it is, untouched, and keep no draft this run.
            keeper_->stop();
            text += QStringLiteral("草稿无法移开，已原样保留在：\n%1\n\n程序将开始新的填报，本次填报不保存草稿。")
                        .arg(QDir::toNativeSeparators(drafts_->path()));
        }
        MessageBoxes::warning(introPage(), text);
        return;
    }
    const Draft &draft = loaded.parsed.draft;
    if (!draft.holdsAnswers()) {
        drafts_->remove();
        return;
    }
    QString name = draft.controls.value(
        Draft::controlKey(Survey::pageObjectName(Survey::PageId::BasicInformation), Survey::line(1).controls.first()));
    if (name.isEmpty())
        name = draft.lines.value(0);
    if (name.isEmpty())
        name = QStringLiteral("未填企业名称");
    const QString when = draft.savedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    if (MessageBoxes::askYesNo(introPage(),
                               QStringLiteral("发现未完成的填报（%1，%2），是否继续填报？").arg(name, when))) {
        keeper_->setPaused(true);
        PageState::restore(*this, draft);
        keeper_->setPaused(false);
    } else {
        drafts_->remove();
    }
}

bool Shell::openResultFile(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    auto refuse = [&](int line, const QString &reason) {
        QString text = QStringLiteral("无法打开填报结果文件：\n%1\n\n").arg(shown);
        if (line > 0)
            text += QStringLiteral("第 %1 行：").arg(line);
        text += reason + QStringLiteral("\n\n文件没有被读入，程序将开始新的填报。");
        MessageBoxes::warning(currentPage() ? currentPage() : introPage(), text);
        return false;
    };
    const ResultFileReader::Result read = ResultFileReader::read(path);
    if (!read.accepted())
        return refuse(read.line, read.reason);
    for (const RecordCheck::Problem &problem : RecordCheck::check(read.lines))
        if (RecordCheck::blocksReopening(problem.kind))
            return refuse(problem.line, problem.what);

    // A draft of an earlier run stays as it is until this file is saved.
    if (keeper_ && drafts_->exists())
        keeper_->stop();
    if (keeper_)
        keeper_->setPaused(true);
    startEmpty();
    Draft state = PageState::fromLines(read.lines);
    state.page = int(Survey::PageId::Intro);
    PageState::restore(*this, state);
    if (keeper_) {
        keeper_->setPaused(false);
        keeper_->writeNow();
    }
    return true;
}

void Shell::moveTo(Survey::PageId to)
{
    Page *from = currentPage();
    Page *next = page(to);
    if (from == next)
        return;
    if (from)
        from->hide();
    next->show();
    next->activateWindow();
    if (keeper_)
        keeper_->writeNow();
}

void Shell::endApplication()
{
    ended_ = true;
    if (running_)
        QCoreApplication::exit(0);
}

bool Shell::saveResultFile()
{
    FileSystemCalls &calls = fileSystem_ ? *fileSystem_ : FileSystemCalls::system();
    const QString folder = programFolder_.isEmpty() ? ResultFileWriter::programFolder() : programFolder_;
    ResultFileWriter writer(record_, calls, folder);
    QString path;
    try {
        path = writer.write();
    } catch (const FileError &error) {
        // The page and every answer stay as they are; the user may press again.
        MessageBoxes::error(QApplication::activeWindow(), error.message());
        return false;
    }
    if (keeper_) {
        // Everything is in the file now: the draft has done its work.
        keeper_->stop();
        drafts_->remove();
    }
    MessageBoxes::message(QApplication::activeWindow(), Captions::kSavedAs.toString() + path);
    endApplication();
    for (Page *page : pages_) {
        if (page)
            page->hide();
    }
    return true;
}

bool Shell::confirmClose(Page *page)
{
    if (ended_ || MessageBoxes::confirmClose(page)) {
        // The draft is kept: the next start offers it back.
        if (keeper_ && !ended_)
            keeper_->flush();
        endApplication();
        return true;
    }
    return false;
}
