// Windows lets the program the person just started hand the foreground to
// another program's window: the holder's visible top-level window is found
// by its process, so the holder need not listen.
#include "platform/ForegroundRequest.h"

#include <windows.h>

namespace ForegroundRequest {

namespace {

struct Search {
    DWORD process = 0;
    HWND found = nullptr;
};

BOOL CALLBACK visitWindow(HWND window, LPARAM parameter)
{
    auto *search = reinterpret_cast<Search *>(parameter);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    // A page of the holder: its own top-level window, on screen (a box it shows is owned by one).
    if (process != search->process || !::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

struct Listener::Private {};

Listener::Listener(const QString &, const QString &, std::function<void()>) {}

Listener::~Listener() = default;

bool ask(qint64 process, const QString &, const QString &)
{
    if (process <= 0)
        return false;
    Search search;
    search.process = DWORD(process);
    ::EnumWindows(visitWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return false;
    if (::IsIconic(search.found))
        ::ShowWindow(search.found, SW_RESTORE);
    return ::SetForegroundWindow(search.found) != 0;
}

} // namespace ForegroundRequest
