#include "Interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int /*signal*/) {
    interrupted = 1;
}

}  // namespace

void CatchInterrupt() {
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

bool InterruptRequested() {
    return interrupted != 0;
}
