// The console the command line runs in: whether a stream is a terminal, a
// reader that goes away, and Ctrl-C or a request to end (SIGINT and SIGTERM
// on POSIX) turned into a cancelled run, so that the merge removes its
// temporary files and leaves every earlier output as it was, or held while
// the outputs are put in place. POSIX in ConsolePosix.cpp, Windows in
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
// in a form it shows whatever its code page. False when it did not all get
// there (a pipe whose reader has gone, a full disk).
bool write(std::FILE *stream, const QByteArray &utf8);

// A reader that goes away early (`csr-collect … | head`) must not end the
// run before its outputs are in place: on POSIX SIGPIPE is ignored from here
// on, and a write to the closed pipe just fails. Nothing to do on Windows.
void ignoreClosedPipes();

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

// A step that an interrupt must not split (the renames that put a run's
// outputs in place). An interrupt that came before it cancels the step: see
// inTime(). One that comes while it lives waits for its end: a first one
// then counts as after the step, a second one ends the program as usual.
// Without an InterruptGuard, there is nothing to hold.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld &) = delete;
    InterruptsHeld &operator=(const InterruptsHeld &) = delete;

    // False when an interrupt came first: the step must not be taken.
    bool inTime() const { return inTime_; }

private:
    bool inTime_ = false;
};

} // namespace Console
