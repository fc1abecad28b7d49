// The message boxes.
#include "widgets/MessageBoxes.h"

#include "survey/Captions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace MessageBoxes {

namespace {

int show(QWidget *page, QMessageBox::Icon icon, const QString &title, const QString &text,
         QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
{
    QMessageBox box(icon, title, text, buttons, page ? page : QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return box.exec();
}

QString applicationTitle()
{
    return Captions::kApplicationTitle.toString();
}

} // namespace

bool confirmClose(QWidget *page)
{
    return show(page, QMessageBox::NoIcon, Captions::kCloseTitle.toString(), Captions::kCloseQuestion.toString(),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void message(QWidget *page, const QString &text)
{
    show(page, QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok);
}

void information(QWidget *page, const QString &text)
{
    show(page, QMessageBox::Information, applicationTitle(), text, QMessageBox::Ok);
}

void error(QWidget *page, const QString &message)
{
    show(page, QMessageBox::Critical, applicationTitle(), errorBoxText(message), QMessageBox::Ok);
}

bool askYesNo(QWidget *page, const QString &text)
{
    QMessageBox box(QMessageBox::Question, applicationTitle(), text, QMessageBox::Yes | QMessageBox::No,
                    page ? page : QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void warning(QWidget *page, const QString &text)
{
    show(page, QMessageBox::Warning, applicationTitle(), text, QMessageBox::Ok);
}

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

} // namespace MessageBoxes
