#include "Interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <atomic>

#include "Output.h"

namespace vl48cli {

namespace {

// Lock-free atomics: changed by the signal handler, read by every thread of a station.
std::atomic<int> interruptCount{0};
std::atomic<int> unitUnderWay{0};
static_assert(std::atomic<int>::is_always_lock_free);

template <size_t N>
void tell(const char (&text)[N]) {
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text, N - 1);
}

extern "C" void onInterrupt(int) {
    const int count = ++interruptCount;
    if (!unitUnderWay) return;
    if (count == 1) {
        tell(
            "\nvl48-cli: asked to stop (Ctrl+C, SIGTERM or SIGHUP): this unit is finished "
            "first, then the program stops (a second request abandons the unit half-written)\n");
        return;
    }
    tell(
        "\nvl48-cli: asked to stop again: stopped in the middle of the unit; it is half-written "
        "and has no log line\n");
    ::_exit(ExitAbandoned);
}

}  // namespace

void catchInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // The port's blocking waits go on after the handler; the loops look at the count.
    action.sa_flags = SA_RESTART;
    // A rig's time-out (SIGTERM) and a closed terminal or SSH session (SIGHUP) would otherwise
    // end the program in the middle of a unit, half-written and with no log line.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool interrupted() { return interruptCount > 0; }

bool pause(int ms) {
    const QDeadlineTimer deadline(std::max(ms, 0));
    while (!interrupted()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const qint64 left = deadline.remainingTime();
        if (left <= 0) return true;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 10)));
    }
    return false;
}

UnitUnderWay::UnitUnderWay() { unitUnderWay = 1; }
UnitUnderWay::~UnitUnderWay() { unitUnderWay = 0; }

}  // namespace vl48cli
