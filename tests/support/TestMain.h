// The main function of every test program: the survey's own application object
// (so errors reach the error box), its fonts and its title. Tests run on the
// offscreen platform unless QT_QPA_PLATFORM names another (xcb, to watch them);
// this is the one place that says so, so a test program started by hand behaves
// as under ctest.
#pragma once

#include "Shell.h"
#include "SurveyApplication.h"

#include <QTest>

#define SURVEY_TEST_MAIN(TestClass)                                                                                    \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                   \
        SurveyApplication app(argc, argv);                                                                             \
        Shell::prepareApplication();                                                                                   \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestClass tc;                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
