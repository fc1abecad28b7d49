// What tests ask of the system they run on, without naming it: its error
// codes for the failures the program reports, and the few things only POSIX
// can stage (a process with no file descriptor left, the umask, a pipe). Each
// system has a source file of its own; a test that needs POSIX skips elsewhere
// with its reason in one line.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <functional>

namespace TestSystem {

// The system's own codes for the failures the result file writer reports.
struct ErrorCodes {
    int accessDenied;
    int missingFolder;
    int diskFull;
    int ioFailure;
    int heldByAnotherProgram;
    int nameTooLong;
    // The error box's text for a name that a folder already has.
    QString folderNameMessage;
};
const ErrorCodes &errorCodes();

// Whether the system is POSIX: descriptor limits, the umask, pipes, links
// and devices in the file system, signals.
bool isPosix();

// Runs the call while the process may open no further file.
int withNoFileLeft(const std::function<int()> &call);

// Runs the call under the umask.
void withUmask(int mask, const std::function<void()> &call);

// The permission bits of a file (07777), or -1.
int modeOf(const QString &path);

// The program to start for a tool of the machine the tests run on ("unzip",
// "pspp"); empty when there is none. Under Wine the Linux machine's own
// tools are reachable through drive Z:.
QString tool(const QString &name);

// Makes a named pipe at the path; false where the system has none.
bool makePipe(const QString &path);

// Sends the process a signal (SIGINT, SIGTERM); false where there are none.
bool sendSignal(qint64 pid, int signal);

// A stream into a pipe whose reader has gone (`… | head` after head ended):
// every write to it fails, and on POSIX raises SIGPIPE. fclose it after use.
std::FILE *brokenPipe();

// Writes a file under root, in nested folders whose whole path is longer than
// the system takes, and returns the outermost folder's name; empty where this
// cannot be staged. removePastPathLimit takes the folders away again.
QString writePastPathLimit(const QString &root, const QString &fileName, const QByteArray &bytes);
void removePastPathLimit(const QString &root);

} // namespace TestSystem
