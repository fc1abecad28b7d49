// The main function of every test program: the survey's own application object
// (so errors reach the error box), its fonts and its title.
#pragma once

#include "Shell.h"
#include "SurveyApplication.h"

#include <QTest>

#define SURVEY_TEST_MAIN(TestClass)                                                                                    \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        qputenv("QT_QPA_PLATFORM",                                                                                     \
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));          \
        SurveyApplication app(argc, argv);                                                                             \
        Shell::prepareApplication();                                                                                   \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestClass tc;                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
