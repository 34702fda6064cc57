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

// A stop that comes while the relay waits ends the wait; one that comes
// during a pass is seen at the end of the pass, at most one line check
// (50 ms) later. Holding the signals back for ppoll() instead would lose
// them while the line is always ready: ppoll() then returns without letting
// a pending signal in.
void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

int serve(const PtyOptions& options) {
    catchStopSignals();
    PseudoTerminal line;
    CabledBoard board(line.lineSpeed());
    if (options.streamBytes) {
        board.prepareStream(*options.streamBytes, options.streamBaud);
    }
    std::printf("%s\n", line.slavePath().c_str());
    std::fflush(stdout);
    PtyRelay(line, board).serve(stopRequested);
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
    if (options->versionAsked) {
        std::printf("tarvik-sim-pty %s\n", TARVIK_VERSION);
        return 0;
    }
    try {
        return serve(*options);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tarvik-sim-pty: %s\n", failure.what());
        return 1;
    }
}
