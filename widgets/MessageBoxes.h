// Every message box of the program, built in one place.
#pragma once

#include <QString>

class QWidget;

namespace MessageBoxes {

// "填报未完成，确认退出吗?" with Yes and No, Yes the default; true for Yes.
bool confirmClose(QWidget *page);

// A plain message under the application title, no icon, one OK.
void message(QWidget *page, const QString &text);

// The same with the information icon.
void information(QWidget *page, const QString &text);

// The error box: the error's message (see errorBoxText), the error icon, one OK.
void error(QWidget *page, const QString &message);

// A question under the application title with the buttons "是" and "否", "是"
// the default; true for "是".
bool askYesNo(QWidget *page, const QString &text);

// A warning under the application title, one OK.
void warning(QWidget *page, const QString &text);

// The error's message with a "." added when its last character sorts after ".".
QString errorBoxText(const QString &message);

} // namespace MessageBoxes
