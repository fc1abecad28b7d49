// The application shell.
#include "Shell.h"

#include "AnswerRecord.h"
#include "FileSystemCalls.h"
#include "Fonts.h"
#include "ResultFileWriter.h"
#include "TextFieldGuard.h"
#include "Unit1.h"
#include "performance/Unit3.h"
#include "profile/Unit2.h"
#include "profile/Unit7.h"
#include "questionnaire/Unit5.h"

#include <QApplication>
#include <QMessageBox>

static void initialiseResources()
{
    Q_INIT_RESOURCE(resources);
}

Shell::Shell()
{
    initialiseResources();
}

Shell::~Shell()
{
    delete form7_;
    delete form5_;
    delete form3_;
    delete form2_;
    delete form1_;
}

void Shell::prepareApplication()
{
    QCoreApplication::setApplicationName(kApplicationTitle);
    Fonts::registerSubstitutes();
    // The pages are hidden and shown in turn; only the shell ends the run.
    QApplication::setQuitOnLastWindowClosed(false);
}

void Shell::createPages()
{
    form1_ = new TForm1(*this);
    form2_ = new TForm2(*this);
    form3_ = new TForm3(*this);
    form5_ = new TForm5(*this);
    form7_ = new TForm7(*this);
    for (QWidget *page : pages())
        TextFieldGuard::guardFieldsOf(page);
}

QList<QWidget *> Shell::pages() const
{
    return {form1_, form2_, form3_, form5_, form7_};
}

int Shell::run()
{
    running_ = true;
    form1_->show();
    return QApplication::exec();
}

void Shell::switchPage(QWidget *from, QWidget *to)
{
    from->hide();
    to->show();
    to->activateWindow();
}

void Shell::endApplication()
{
    ended_ = true;
    if (running_)
        QCoreApplication::exit(0);
}

void Shell::saveResultFile()
{
    FileSystemCalls &calls = fileSystem_ ? *fileSystem_ : PosixFileSystem::instance();
    const QString folder = programFolder_.isEmpty() ? ResultFileWriter::programFolder() : programFolder_;
    ResultFileWriter writer(AnswerRecord::instance(), calls, folder);
    const QString path = writer.write();

    QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, QStringLiteral("填报结果保存为:") + path, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
    endApplication();
    for (QWidget *page : pages()) {
        if (page)
            page->hide();
    }
}

bool Shell::confirmClose(QWidget *page)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("提示"), QStringLiteral("填报未完成，确认退出吗?"),
                    QMessageBox::Yes | QMessageBox::No, page);
    box.setDefaultButton(QMessageBox::Yes);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

void Shell::showMessage(QWidget *page, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok, page);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void Shell::showInformation(QWidget *page, const QString &text)
{
    QMessageBox box(QMessageBox::Information, kApplicationTitle, text, QMessageBox::Ok, page);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void Shell::showError(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, kApplicationTitle, errorBoxText(message), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString Shell::errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}
