// tarvik-sim-pty: the simulated evaluation board behind a pseudo-terminal,
// for terminal programs that open a serial port.
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

#include "CabledBoard.h"
#include "MonitorFirmware.h"
#include "PseudoTerminal.h"
#include "PtyOptions.h"
#include "PtyRelay.h"

static_assert(PseudoTerminal::startSpeed == MonitorFirmware::startBaudRate,
              "the line starts where the monitor signs on");

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

// SIGTERM and SIGINT are held back except while the relay waits, so a stop
// can neither be missed nor cut a pass in half.
sigset_t holdStopSignals() {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    return waitMask;
}

int serve(const PtyOptions& options) {
    const sigset_t waitMask = holdStopSignals();
    PseudoTerminal line;
    CabledBoard board(line.lineSpeed());
    if (options.streamBytes) {
        board.prepareStream(*options.streamBytes, options.streamBaud);
    }
    std::printf("%s\n", line.slavePath().c_str());
    std::fflush(stdout);
    PtyRelay(line, board).serve(stopRequested, waitMask);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = ParsePtyOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "tarvik-sim-pty: %s\n%s", error.c_str(), PtyUsage);
        return 2;
    }
    if (options->helpAsked) {
        std::fputs(PtyUsage, stdout);
        return 0;
    }
    try {
        return serve(*options);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tarvik-sim-pty: %s\n", failure.what());
        return 1;
    }
}
