// A fresh shell for each test function, and the one page under test.
#pragma once

#include "Shell.h"

#include <QPushButton>
#include <QTest>

template <class PageT> class PageFixture {
protected:
    // Creates the five pages (which clears the answer record) and picks the page under test.
    void openPages(PageT *(Shell::*form)())
    {
        shell = new Shell;
        shell->createPages();
        page = (shell->*form)();
    }
    void closePages()
    {
        delete shell;
        shell = nullptr;
        page = nullptr;
    }
    template <class T> T *find(const char *name) const
    {
        auto *widget = page->template findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qWarning("no %s", name);
        return widget;
    }
    void showPage()
    {
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page));
        QVERIFY(QTest::qWaitForWindowActive(page));
    }

    Shell *shell = nullptr;
    PageT *page = nullptr;
};
