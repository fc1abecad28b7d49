// The main function of every test program of the questionnaire: the survey's
// own application object (so errors reach the error box), its fonts and its title.
#pragma once

#include "app/Shell.h"
#include "app/SurveyApplication.h"
#include "tests/support/TestPlatform.h"

#include <QTest>

#define SURVEY_TEST_MAIN(TestClass)                                                                                    \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        chooseTestPlatform();                                                                                          \
        SurveyApplication app(argc, argv);                                                                             \
        Shell::prepareApplication();                                                                                   \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestClass tc;                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
