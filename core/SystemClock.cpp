#include "SystemClock.h"

#include <sys/prctl.h>

#include <QTime>
#include <thread>

// Waits on the wire last microseconds (a byte at 3,000,000 baud takes 3.3);
// the system's default slack of 50 us on every sleep would stretch each one
// many times over.
SystemClock::SystemClock() {
    prctl(PR_SET_TIMERSLACK, 1000UL);
}

TimeOfDay SystemClock::timeOfDay() {
    const QTime now = QTime::currentTime();
    return {now.hour(), now.minute(), now.second(), now.msec()};
}

std::int64_t SystemClock::nanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                origin)
        .count();
}

void SystemClock::sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SystemClock::sleepNanoseconds(std::int64_t nanoseconds) {
    std::this_thread::sleep_for(std::chrono::nanoseconds(nanoseconds));
}

void SystemClock::yield() {
    std::this_thread::yield();
}
