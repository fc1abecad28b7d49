// Every message box of the program, built in one place.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

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

// A result file that cannot be loaded: its path, the first wrong line (0 when
// the whole file is at fault) and the reason.
void resultFileRefused(QWidget *page, const QString &path, int line, const QString &reason);

// "发现未完成的填报（name，time），是否继续填报？"; true for "是". An empty
// name is shown as not filled in.
bool askContinueDraft(QWidget *page, const QString &enterprise, const QDateTime &changed);

// An unfinished filling as the draft picker lists it.
struct DraftEntry {
    QString enterprise;
    QDateTime changed;
    QString source; // the reopened result file it corrects, for people; empty for a new filling
};

// Lets the person pick which of several unfinished fillings to continue, start
// a new one, or delete one after a confirmation (remove is called with its
// index and returns why it failed, or nothing). Returns the index of the
// filling to continue, or -1 for a new one.
int pickDraft(QWidget *page, const QList<DraftEntry> &drafts, const std::function<QString(int)> &remove);

// An earlier draft that cannot be used: why, and where it was moved (empty
// when it could not be moved and stays at keptAt).
void draftUnusable(QWidget *page, const QString &reason, const QString &movedTo, const QString &keptAt);

// The draft cannot be written (told once a run); the filling goes on.
void draftUnsaved(QWidget *page, const QString &reason);

// The system names no folder of the user's for drafts (location: what it named).
void draftsOff(QWidget *page, const QString &location);

// The error's message with a "." added when its last character sorts after ".".
QString errorBoxText(const QString &message);

} // namespace MessageBoxes
