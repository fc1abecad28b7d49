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

// An unfinished filling as the questions and the draft picker name it.
struct DraftEntry {
    QString enterprise;
    QDateTime changed;
    QString source;       // the reopened result file it corrects, for people; empty for a new filling
    QString otherMachine; // the machine whose copy may be filling it; empty when none
};

// The answer to the question about one unfinished filling.
enum class DraftChoice {
    Continue,  // "是"
    StartNew,  // "否": a new filling; the draft is deleted only after confirmDeleteDraft
    NotChosen, // Esc or the close box: a new filling, and the draft stays for a later run
};

// "发现未完成的填报（name，time），是否继续填报？" (with the other machine where
// there is one). An empty name is shown as not filled in.
DraftChoice askContinueDraft(QWidget *page, const DraftEntry &draft);

// Whether to delete the unfinished filling, named; "否", the default, keeps it.
bool confirmDeleteDraft(QWidget *page, const DraftEntry &draft);

// A draft that could not be deleted, and why; it stays as it is.
void draftNotDeleted(QWidget *page, const QString &reason);

// Whether to take over a filling whose lock names another machine; "否", the
// default, leaves it to that machine.
bool askTakeOver(QWidget *page, const QString &machine);

// A result file that another copy of the program is correcting.
void fileOpenElsewhere(QWidget *page);
// The save would write over that file (path): nothing was written.
void saveRefusedOpenElsewhere(QWidget *page, const QString &path);

// The answers make a result file larger than it may be: its size, and the
// longest line with its label and length, for the person to shorten.
void tooLargeToSave(QWidget *page, qint64 bytes, int line, const QString &label, qsizetype characters);

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

// The error's message with a "." added when its last character sorts after "."
// (but for a Chinese full stop).
QString errorBoxText(const QString &message);

} // namespace MessageBoxes
