// Following every control of the pages and writing the draft when they change.
#include "app/drafts/DraftKeeper.h"

#include "app/drafts/DraftStore.h"
#include "app/drafts/PageState.h"
#include "app/Shell.h"
#include "widgets/Page.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

DraftKeeper::DraftKeeper(Shell &shell) : shell_(shell)
{
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, &DraftKeeper::queueWrite);
}

void DraftKeeper::keepIn(DraftStore *store, const QByteArray &source)
{
    timer_.stop();
    store_ = store;
    source_ = source;
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
        connect(tabs, &QTabWidget::currentChanged, this, &DraftKeeper::queueWrite);
}

void DraftKeeper::onChanged()
{
    // The timer is not restarted: steady typing still reaches the draft within the delay.
    if (isKeeping() && !timer_.isActive())
        timer_.start();
}

void DraftKeeper::setPaused(bool paused)
{
    paused_ = paused;
    if (paused)
        timer_.stop();
}

QByteArray DraftKeeper::stateText() const
{
    Draft draft = PageState::capture(shell_);
    draft.source = source_;
    return draft.toText();
}

void DraftKeeper::queueWrite()
{
    timer_.stop();
    if (isKeeping())
        store_->writeLater(stateText());
}

bool DraftKeeper::flush()
{
    timer_.stop();
    return !isKeeping() || store_->write(stateText());
}

void DraftKeeper::stop()
{
    stopped_ = true;
    timer_.stop();
}
