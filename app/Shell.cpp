// The application shell.
#include "Shell.h"

#include "BasicInformationPage.h"
#include "Captions.h"
#include "FileSystemCalls.h"
#include "Fonts.h"
#include "FoundationPage.h"
#include "IntroPage.h"
#include "MessageBoxes.h"
#include "PerformancePage.h"
#include "QuestionnairePage.h"
#include "ResultFileWriter.h"
#include "TextFieldGuard.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

static void initialiseResources()
{
    Q_INIT_RESOURCE(resources);
}

Shell::Shell()
{
    initialiseResources();
    // The one place the record is emptied: a run starts with no answers.
    record_.clear();
}

Shell::~Shell()
{
    for (qsizetype i = pages_.size(); i-- > 0;)
        delete pages_[size_t(i)];
}

void Shell::prepareApplication()
{
    QCoreApplication::setApplicationName(Captions::kApplicationTitle.toString());
    Fonts::registerSubstitutes();
    // The pages are hidden and shown in turn; only the shell ends the run.
    QApplication::setQuitOnLastWindowClosed(false);
}

void Shell::build(PageIndex index)
{
    if (pages_[index])
        return;
    Page *page = nullptr;
    switch (index) {
    case Intro:
        page = new IntroPage;
        break;
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
    case PageCount:
        return;
    }
    pages_[index] = page;
    TextFieldGuard::guardFieldsOf(page);
    page->setCloseGuard([this](Page *closing) { return confirmClose(closing); });
    // The page order lives here alone: forward is the next page, back the one before.
    if (index + 1 < PageCount)
        connect(page, &Page::forwardRequested, this, [this, index] { moveTo(PageIndex(index + 1)); });
    if (index > BasicInformation)
        connect(page, &Page::backRequested, this, [this, index] { moveTo(PageIndex(index - 1)); });
    emit pageBuilt(index);
    if (std::all_of(pages_.begin(), pages_.end(), [](Page *p) { return p != nullptr; }))
        emit allPagesBuilt();
}

void Shell::createPages()
{
    for (int i = 0; i < PageCount; ++i)
        build(PageIndex(i));
}

Page *Shell::page(PageIndex index)
{
    build(index);
    return pages_[index];
}

IntroPage *Shell::introPage()
{
    return static_cast<IntroPage *>(page(Intro));
}

BasicInformationPage *Shell::basicInformationPage()
{
    return static_cast<BasicInformationPage *>(page(BasicInformation));
}

FoundationPage *Shell::foundationPage()
{
    return static_cast<FoundationPage *>(page(Foundation));
}

PerformancePage *Shell::performancePage()
{
    return static_cast<PerformancePage *>(page(Performance));
}

QuestionnairePage *Shell::questionnairePage()
{
    return static_cast<QuestionnairePage *>(page(Questionnaire));
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
    if (!introPainted_ && watched == pages_[Intro] && event->type() == QEvent::Paint) {
        introPainted_ = true;
        watched->removeEventFilter(this);
        // One page per turn of the event loop, so a press on "开始填报" is
        // never kept waiting behind all of them.
        QTimer::singleShot(0, this, &Shell::buildNextInBackground);
    }
    return QObject::eventFilter(watched, event);
}

void Shell::buildNextInBackground()
{
    for (int i = 0; i < PageCount; ++i) {
        if (!pages_[size_t(i)]) {
            build(PageIndex(i));
            QTimer::singleShot(0, this, &Shell::buildNextInBackground);
            return;
        }
    }
}

int Shell::run()
{
    running_ = true;
    showIntroPage();
    return QApplication::exec();
}

void Shell::moveTo(PageIndex to)
{
    Page *from = currentPage();
    Page *next = page(to);
    if (from == next)
        return;
    if (from)
        from->hide();
    next->show();
    next->activateWindow();
}

void Shell::endApplication()
{
    ended_ = true;
    if (running_)
        QCoreApplication::exit(0);
}

bool Shell::saveResultFile()
{
    FileSystemCalls &calls = fileSystem_ ? *fileSystem_ : PosixFileSystem::instance();
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
    emit saved(path);
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
        endApplication();
        return true;
    }
    return false;
}
