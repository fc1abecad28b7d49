// Where every test program draws its windows: the offscreen platform, unless
// QT_QPA_PLATFORM names another (xcb, to watch them). The one place that says
// so, so that a test program started by hand behaves as under ctest.
#pragma once

#include <QtGlobal>

inline void chooseTestPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
