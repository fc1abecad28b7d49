// Keeping the draft.
#include "app/DraftKeeper.h"

#include "app/DraftStore.h"
#include "app/PageState.h"
#include "app/Shell.h"
#include "widgets/Page.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

DraftKeeper::DraftKeeper(Shell &shell, DraftStore &store) : shell_(shell), store_(store)
{
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, &DraftKeeper::writeNow);
}

void DraftKeeper::watch(Page *page)
{
    for (QLineEdit *field : page->findChildren<QLineEdit *>())
        connect(field, &QLineEdit::textChanged, this, &DraftKeeper::onChanged);
    for (QComboBox *list : page->findChildren<QComboBox *>())
        connect(list, &QComboBox::currentIndexChanged, this, &DraftKeeper::onChanged);
    for (QAbstractButton *button : page->findChildren<QAbstractButton *>())
        if (button->isCheckable())
            connect(button, &QAbstractButton::toggled, this, &DraftKeeper::onChanged);
    for (QTabWidget *tabs : page->findChildren<QTabWidget *>())
        connect(tabs, &QTabWidget::currentChanged, this, &DraftKeeper::writeNow);
}

void DraftKeeper::onChanged()
{
    // The timer is not restarted: steady typing still reaches the draft within the delay.
    if (!paused_ && !stopped_ && !timer_.isActive())
        timer_.start();
}

void DraftKeeper::setPaused(bool paused)
{
    paused_ = paused;
    if (paused)
        timer_.stop();
}

void DraftKeeper::writeNow()
{
    timer_.stop();
    if (paused_ || stopped_)
        return;
    store_.writeLater(PageState::capture(shell_).toText());
}

bool DraftKeeper::flush()
{
    timer_.stop();
    if (paused_ || stopped_)
        return true;
    return store_.writeNow(PageState::capture(shell_).toText());
}

void DraftKeeper::stop()
{
    stopped_ = true;
    timer_.stop();
}
