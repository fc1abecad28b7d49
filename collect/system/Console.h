// The console the command line runs in: whether a stream is a terminal, and
// Ctrl-C or a request to end (SIGINT and SIGTERM on POSIX) turned into a
// cancelled run, so that the merge removes its temporary files and leaves
// every earlier output as it was. POSIX in ConsolePosix.cpp, Windows in
// ConsoleWindows.cpp.
#pragma once

#include <QByteArray>
#include <atomic>
#include <cstdio>

namespace Console {

// Where the program is a window program (Windows), connects its output to
// the console it was started from, if any; elsewhere there is nothing to do.
void attachToParent();

// Writes UTF-8 text to the stream and flushes it; a console is given the text
// in a form it shows whatever its code page.
void write(std::FILE *stream, const QByteArray &utf8);

// Whether the stream is shown on a terminal (the progress line is drawn only there).
bool isTerminal(std::FILE *stream);

// While it lives, an interrupt sets cancel (a run's cancel flag, which the
// run looks at) instead of ending the program; a second one ends it as
// usual. One at a time.
class InterruptGuard {
public:
    explicit InterruptGuard(std::atomic<bool> &cancel);
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

    // 0 when no interrupt came; else the exit status a shell expects after
    // it: 128 and the signal's number (130 for Ctrl-C, 143 for SIGTERM).
    static int exitStatus();
};

} // namespace Console
