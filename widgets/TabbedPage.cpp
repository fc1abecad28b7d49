// The moves between the tabs of a tabbed page, written once for both of them.
#include "widgets/TabbedPage.h"

#include <QAbstractButton>
#include <QTabWidget>

TabbedPage::TabbedPage(QSize clientSize, Centring centring, QStringView tabsName)
    : Page(clientSize, centring), tabs_(new QTabWidget(this))
{
    tabs_->setObjectName(tabsName.toString());
}

int TabbedPage::currentTab() const
{
    return tabs_->currentIndex();
}

void TabbedPage::showTab(int tab)
{
    if (tab < 0 || tab >= firstControlOfTab_.size())
        return;
    tabs_->setCurrentIndex(tab);
    firstControlOfTab_[tab]->setFocus();
}

void TabbedPage::bindTabMoves(QWidget *firstControl, QAbstractButton *back, QAbstractButton *forward)
{
    const int tab = int(firstControlOfTab_.size());
    firstControlOfTab_.append(firstControl);
    if (tab == 0)
        connect(back, &QAbstractButton::clicked, this, &Page::backRequested);
    else
        connect(back, &QAbstractButton::clicked, this, [this, tab] { showTab(tab - 1); });
    // Which tab is the last is known only once the page has added them all.
    connect(forward, &QAbstractButton::clicked, this, [this, tab] {
        if (tab + 1 < tabs_->count())
            showTab(tab + 1);
        else
            finishTabs();
    });
}
