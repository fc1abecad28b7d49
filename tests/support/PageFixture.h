// A fresh shell for each test function, and the one page under test.
#pragma once

#include "app/Shell.h"
#include "tests/support/Drive.h"

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
    template <class T> T *find(const char *name) const { return Drive::control<T>(page, QString::fromLatin1(name)); }
    // Shows the page and waits until it takes the keyboard.
    void showPage()
    {
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page, Drive::kPatience));
        page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(page, Drive::kPatience));
    }

    Shell *shell = nullptr;
    PageT *page = nullptr;
};
