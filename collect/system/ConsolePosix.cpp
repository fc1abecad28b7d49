// Signals on POSIX. The handler only stores: which signal came, and the run's
// cancel flag (a lock-free atomic, safe to store from a handler). The merge
// sees the flag where it looks for a cancel from the window.
#include "collect/system/Console.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace Console {
namespace {

static_assert(std::atomic<bool>::is_always_lock_free);

std::atomic<bool> *running = nullptr;
volatile std::sig_atomic_t arrived = 0;
struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

extern "C" void onSignal(int signal)
{
    arrived = signal;
    if (running)
        running->store(true);
}

} // namespace

void attachToParent() {}

void write(std::FILE *stream, const QByteArray &utf8)
{
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stream);
    std::fflush(stream);
}

bool isTerminal(std::FILE *stream)
{
    return ::isatty(::fileno(stream)) == 1;
}

InterruptGuard::InterruptGuard(std::atomic<bool> &cancel)
{
    running = &cancel;
    arrived = 0;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // The first signal cancels; the handler then steps aside, so that a
    // second one ends the program at once.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    ::sigaction(SIGINT, &action, &previousInterrupt);
    ::sigaction(SIGTERM, &action, &previousTerminate);
}

InterruptGuard::~InterruptGuard()
{
    ::sigaction(SIGINT, &previousInterrupt, nullptr);
    ::sigaction(SIGTERM, &previousTerminate, nullptr);
    running = nullptr;
}

int InterruptGuard::exitStatus()
{
    return arrived ? 128 + arrived : 0;
}

} // namespace Console
