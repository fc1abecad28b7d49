// The main function of the collector's test programs that show its window or
// draw its report: a GUI application on the test platform.
#pragma once

#include "tests/support/TestPlatform.h"

#include <QApplication>
#include <QTest>

#define COLLECT_TEST_MAIN(TestClass)                                                                                   \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        chooseTestPlatform();                                                                                          \
        QApplication app(argc, argv);                                                                                  \
        TestClass test;                                                                                                \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
