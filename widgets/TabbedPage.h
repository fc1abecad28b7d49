// The base of the pages whose content stands on tabs: the buttons on each tab
// walk through them, the first tab's back button leaves for the page before
// and the last tab's forward button finishes the page.
#pragma once

#include "widgets/Page.h"

#include <QList>

class QAbstractButton;
class QTabWidget;

class TabbedPage : public Page {
    Q_OBJECT
public:
    int currentTab() const;
    // Shows the tab with its first control focused.
    void showTab(int tab);

protected:
    TabbedPage(QSize clientSize, Centring centring, QStringView tabsName);

    QTabWidget *tabWidget() const { return tabs_; }
    // Gives the tab added last its moves: back to the tab before (from the
    // first tab, to the page before), forward to the tab after (from the last
    // tab, finishTabs). firstControl takes the keys when the tab is shown.
    void bindTabMoves(QWidget *firstControl, QAbstractButton *back, QAbstractButton *forward);
    // Forward from the last tab.
    virtual void finishTabs() = 0;

private:
    QTabWidget *tabs_;
    QList<QWidget *> firstControlOfTab_;
};
