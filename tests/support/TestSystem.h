// What tests ask of the system they run on, without naming it: its error
// codes for the failures the program reports, and the few things only POSIX
// can stage (a process with no file descriptor left, the umask). Each system
// has a source file of its own; where one cannot do a thing, notSupported()
// says why in one line and the test skips.
#pragma once

#include <QString>
#include <functional>

namespace TestSystem {

// The system's own codes for the failures the result file writer reports.
struct ErrorCodes {
    int accessDenied;
    int missingFolder;
    int diskFull;
    int ioFailure;
    int heldByAnotherProgram;
    // The error box's text when the system itself refuses a name longer than
    // it allows, and a name that a folder already has.
    QString overlongNameMessage;
    QString folderNameMessage;
};
const ErrorCodes &errorCodes();

// Empty where the POSIX-only helpers below work; else why they do not.
QString posixOnlyReason();

// Runs the call while the process may open no further file.
int withNoFileLeft(const std::function<int()> &call);

// Runs the call under the umask.
void withUmask(int mask, const std::function<void()> &call);

// The permission bits of a file (07777), or -1.
int modeOf(const QString &path);

} // namespace TestSystem
