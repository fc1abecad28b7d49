// What every page window shares: caption, icon, fixed size, centring on its
// first showing, and the close question.
#include "widgets/Page.h"

#include "survey/Captions.h"
#include "widgets/Fonts.h"
#include "widgets/PageMetrics.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <future>

namespace {

// The icon's picture, decoded on another core from the moment it is asked for.
std::shared_future<QImage> &iconImage()
{
    static std::shared_future<QImage> image =
        std::async(std::launch::async, [] { return QImage(QStringLiteral(":/icon.png")); }).share();
    return image;
}

} // namespace

void Page::loadIconEarly()
{
    iconImage();
}

Page::Page(QSize clientSize, Centring centring, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      centring_(centring)
{
    setWindowTitle(Captions::kPageCaption.toString());
    static const QIcon icon(QPixmap::fromImage(iconImage().get())); // one picture for every page
    setWindowIcon(icon);
    setFixedSize(clientSize);
    setFont(Fonts::pixelFont(Fonts::kWindow, PageMetrics::kWindowFont));
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
    if (!closeGuard_ || closeGuard_(this))
        event->accept();
    else
        event->ignore();
}
