// The page base.
#include "Page.h"

#include "Fonts.h"
#include "Shell.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

Page::Page(Shell &shell, QSize clientSize, Centring centring, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      shell_(shell), centring_(centring)
{
    setWindowTitle(Shell::kPageCaption);
    static const QIcon icon(QStringLiteral(":/icon.png")); // one picture for every page
    setWindowIcon(icon);
    setFixedSize(clientSize);
    setFont(Fonts::pixelFont(Fonts::kWindow, 11));
    setAutoFillBackground(true);
}

void Page::showEvent(QShowEvent *event)
{
    if (!shownBefore_) {
        shownBefore_ = true;
        centre();
    }
    QWidget::showEvent(event);
}

void Page::centre()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = centring_ == Centring::Desktop ? screen->virtualGeometry() : screen->geometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void Page::closeEvent(QCloseEvent *event)
{
    if (shell_.hasEnded() || shell_.confirmClose(this)) {
        event->accept();
        shell_.endApplication();
    } else {
        event->ignore();
    }
}
