// Signals on POSIX. The handler only stores (which signal came, the run's
// cancel flag: lock-free atomics, safe to store from a handler) or, for a
// second signal, ends the program as the signal would have. The merge sees
// the flag where it looks for a cancel from the window. Which signal wins
// against the renames of a run is settled by one compare-and-swap on the
// guard's state, whatever thread the signal lands on.
#include "platform/Console.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace Console {
namespace {

static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

enum State : int {
    Open,      // no interrupt yet
    Cancelled, // the first one came: the run stops
    Held,      // a step that no interrupt splits is under way
};

std::atomic<bool> *running = nullptr;
std::atomic<int> state{Open};
volatile std::sig_atomic_t arrived = 0;
// Interrupts that came while held, and the last of them.
std::atomic<int> heldCount{0};
std::atomic<int> heldSignal{0};
struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

// Ends the program as the signal does by default; safe in a handler, where the
// signal is blocked until the handler returns.
void endBy(int signal)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    ::raise(signal);
}

extern "C" void onSignal(int signal)
{
    const int savedErrno = errno;
    int now = Open;
    if (state.compare_exchange_strong(now, Cancelled)) {
        arrived = signal;
        if (running)
            running->store(true);
    } else if (now == Held) {
        heldSignal.store(signal);
        heldCount.fetch_add(1);
    } else {
        endBy(signal);
    }
    errno = savedErrno;
}

} // namespace

void attachToParent() {}

bool write(std::FILE *stream, const QByteArray &utf8)
{
    const size_t written = std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stream);
    return std::fflush(stream) == 0 && written == size_t(utf8.size());
}

void ignoreClosedPipes()
{
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGPIPE, &action, nullptr);
}

bool isTerminal(std::FILE *stream)
{
    return ::isatty(::fileno(stream)) == 1;
}

InterruptGuard::InterruptGuard(std::atomic<bool> &cancel)
{
    running = &cancel;
    arrived = 0;
    state.store(Open);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &previousInterrupt);
    ::sigaction(SIGTERM, &action, &previousTerminate);
}

InterruptGuard::~InterruptGuard()
{
    ::sigaction(SIGINT, &previousInterrupt, nullptr);
    ::sigaction(SIGTERM, &previousTerminate, nullptr);
    running = nullptr;
    state.store(Open);
}

int InterruptGuard::exitStatus()
{
    return arrived ? 128 + arrived : 0;
}

InterruptsHeld::InterruptsHeld()
{
    heldCount.store(0);
    int now = Open;
    inTime_ = state.compare_exchange_strong(now, Held);
}

InterruptsHeld::~InterruptsHeld()
{
    if (!inTime_)
        return;
    const int count = heldCount.load();
    // What came meanwhile came after the step: a first interrupt leaves the
    // run to end on its own, a second one ends the program now.
    state.store(count > 0 ? Cancelled : Open);
    if (count > 1)
        endBy(heldSignal.load());
}

} // namespace Console
