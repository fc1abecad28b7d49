// The console on Windows. csr-collect.exe is a window program, so that a
// double click opens no console; started from one with arguments, it joins
// that console. Ctrl+C and Ctrl+Break cancel the run as SIGINT does on
// POSIX; text reaches a console as UTF-16, whatever its code page.
#include "collect/system/Console.h"

#include <QString>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace Console {
namespace {

std::atomic<bool> *running = nullptr;
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
    // The second one ends the program as usual.
    int none = 0;
    if (!arrived.compare_exchange_strong(none, 2))
        return FALSE;
    if (running)
        running->store(true);
    return TRUE;
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

void write(std::FILE *stream, const QByteArray &utf8)
{
    const HANDLE handle = handleOf(stream);
    if (isConsole(handle)) {
        std::fflush(stream);
        const QString text = QString::fromUtf8(utf8);
        DWORD written = 0;
        ::WriteConsoleW(handle, text.utf16(), DWORD(text.size()), &written, nullptr);
        return;
    }
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stream);
    std::fflush(stream);
}

InterruptGuard::InterruptGuard(std::atomic<bool> &cancel)
{
    running = &cancel;
    arrived = 0;
    ::SetConsoleCtrlHandler(onControl, TRUE);
}

InterruptGuard::~InterruptGuard()
{
    ::SetConsoleCtrlHandler(onControl, FALSE);
    running = nullptr;
}

int InterruptGuard::exitStatus()
{
    const int signal = arrived.load();
    return signal ? 128 + signal : 0;
}

} // namespace Console
