// The console on Windows. csr-collect.exe is a window program, so that a
// double click opens no console; started from one with arguments, it joins
// that console. Ctrl+C and Ctrl+Break cancel the run as SIGINT does on
// POSIX; text reaches a console as UTF-16, whatever its code page. The
// control handler runs on a thread of its own, so it can simply wait while a
// step that no interrupt splits is under way.
#include "platform/Console.h"

#include <QString>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace Console {
namespace {

enum State : int {
    Open,      // no interrupt yet
    Cancelled, // the first one came: the run stops
    Held,      // a step that no interrupt splits is under way
};

std::atomic<bool> *running = nullptr;
std::atomic<int> state{Open};
std::atomic<int> arrived{0};

HANDLE handleOf(std::FILE *stream)
{
    return HANDLE(::_get_osfhandle(::_fileno(stream)));
}

bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode);
}

BOOL WINAPI onControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    for (;;) {
        int now = Open;
        if (state.compare_exchange_strong(now, Cancelled)) {
            arrived = 2; // as SIGINT
            if (running)
                running->store(true);
            return TRUE;
        }
        if (now != Held)
            return FALSE; // the second one ends the program as usual
        ::Sleep(1);       // the held step is short
    }
}

} // namespace

void attachToParent()
{
    // Handles a parent gave (a pipe, a file) are kept; only missing ones are
    // taken from the parent's console, when there is one.
    const bool hasOut = ::GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
    const bool hasErr = ::GetStdHandle(STD_ERROR_HANDLE) != nullptr;
    if ((!hasOut || !hasErr) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!hasOut)
            std::freopen("CONOUT$", "w", stdout);
        if (!hasErr)
            std::freopen("CONOUT$", "w", stderr);
    }
    // Lines end as on Linux, "\n", in a file or a pipe too.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

bool isTerminal(std::FILE *stream)
{
    return isConsole(handleOf(stream));
}

bool write(std::FILE *stream, const QByteArray &utf8)
{
    const HANDLE handle = handleOf(stream);
    if (isConsole(handle)) {
        std::fflush(stream);
        const QString text = QString::fromUtf8(utf8);
        DWORD written = 0;
        return ::WriteConsoleW(handle, text.utf16(), DWORD(text.size()), &written, nullptr) &&
               written == DWORD(text.size());
    }
    const size_t written = std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stream);
    return std::fflush(stream) == 0 && written == size_t(utf8.size());
}

// A write to a pipe whose reader has gone fails here; no signal comes.
void ignoreClosedPipes() {}

InterruptGuard::InterruptGuard(std::atomic<bool> &cancel)
{
    running = &cancel;
    arrived = 0;
    state.store(Open);
    ::SetConsoleCtrlHandler(onControl, TRUE);
}

InterruptGuard::~InterruptGuard()
{
    ::SetConsoleCtrlHandler(onControl, FALSE);
    running = nullptr;
    state.store(Open);
}

int InterruptGuard::exitStatus()
{
    const int signal = arrived.load();
    return signal ? 128 + signal : 0;
}

InterruptsHeld::InterruptsHeld()
{
    int now = Open;
    inTime_ = state.compare_exchange_strong(now, Held);
}

InterruptsHeld::~InterruptsHeld()
{
    // A handler waiting meanwhile goes on: a first interrupt now counts as
    // after the step, a second one ends the program.
    if (inTime_)
        state.store(Open);
}

} // namespace Console
