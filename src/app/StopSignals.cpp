#include "app/StopSignals.h"

#include <csignal>

#include <signal.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

// Only async-signal-safe calls: a second signal takes the signal's own
// default action, which ends the process as if no handler had been there.
void onStopSignal(int signalNumber) {
    if (stopRequested != 0) {
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    stopRequested = 1;
}

void install(int signalNumber) {
    struct sigaction current = {};
    if (sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
        return;
    struct sigaction stop = {};
    stop.sa_handler = onStopSignal;
    // Whatever call the signal interrupts (in any of the program's threads:
    // the driver's, the sound mixer's) goes on as if it had not come.
    stop.sa_flags = SA_RESTART;
    // One handler at a time, so that of two signals one is the second.
    sigemptyset(&stop.sa_mask);
    sigaddset(&stop.sa_mask, SIGINT);
    sigaddset(&stop.sa_mask, SIGTERM);
    sigaddset(&stop.sa_mask, SIGHUP);
    sigaction(signalNumber, &stop, nullptr);
}

} // namespace

void installStopSignals() {
    install(SIGINT);
    install(SIGTERM);
    // The terminal it was started from closing.
    install(SIGHUP);
}

bool stopSignalled() { return stopRequested != 0; }
