// Building the pages, moving between them, the save and the end of the run.
#include "app/Shell.h"

#include "pages/intro/IntroPage.h"
#include "pages/performance/PerformancePage.h"
#include "pages/profile/BasicInformationPage.h"
#include "pages/profile/FoundationPage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "survey/Captions.h"
#include "platform/FileSystemCalls.h"
#include "survey/LineMap.h"
#include "survey/ResultFileWriter.h"
#include "widgets/Fonts.h"
#include "widgets/MessageBoxes.h"
#include "widgets/TextFieldGuard.h"

#include <QApplication>
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
        connect(intro, &IntroPage::resultFileDropped, this, &Shell::resultFileDropped);
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
        connect(page, &Page::forwardRequested, this, [this, position] {
            if (recordFitsTheFile())
                moveTo(Survey::PageId(position + 1));
        });
    if (index > BasicInformation)
        connect(page, &Page::backRequested, this, [this, position] { moveTo(Survey::PageId(position - 1)); });
    emit pageBuilt(page);
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

int Shell::run()
{
    if (ended_) // ended before it began (the file asked for is open in another window)
        return 0;
    running_ = true;
    return QApplication::exec();
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
    emit moved();
}

void Shell::endApplication()
{
    ended_ = true;
    if (running_)
        QCoreApplication::exit(0);
}

bool Shell::recordFitsTheFile()
{
    const qint64 bytes = ResultFileWriter::sizeOf(record_);
    if (bytes <= Survey::kMaxFileBytes)
        return true;
    int longest = 1;
    for (int k = 2; k <= AnswerRecord::kSlotCount; ++k)
        if (record_.get(k).size() > record_.get(longest).size())
            longest = k;
    MessageBoxes::tooLargeToSave(currentPage(), bytes, longest, Survey::line(longest).label,
                                 record_.get(longest).size());
    return false;
}

bool Shell::saveResultFile()
{
    // Said before anything is written: the reader and the collector take no larger file.
    if (!recordFitsTheFile())
        return false;
    FileSystemCalls &calls = fileSystem_ ? *fileSystem_ : FileSystemCalls::system();
    const QString folder = programFolder_.isEmpty() ? ResultFileWriter::programFolder() : programFolder_;
    ResultFileWriter writer(record_, calls, folder);
    if (saveGuard_ && !saveGuard_(writer.path()))
        return false;
    QString path;
    try {
        path = writer.write();
    } catch (const FileError &error) {
        // The page and every answer stay as they are; the user may press again.
        MessageBoxes::error(QApplication::activeWindow(), error.message());
        return false;
    }
    emit saved();
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
        if (!ended_)
            emit closing();
        endApplication();
        return true;
    }
    return false;
}
