#include "SystemClock.h"

#include <sys/prctl.h>

#include <ctime>
#include <thread>

// Waits on the wire last microseconds (a byte at 3,000,000 baud takes 3.3);
// the system's default slack of 50 us on every sleep would stretch each one
// many times over.
SystemClock::SystemClock() {
    prctl(PR_SET_TIMERSLACK, 1000UL);
    tzset();
}

// The spy stamps every pass with the time of day. Asking the toolkit for it
// reads the time zone afresh each time (a look at /etc/localtime): at the
// pass rate of a 3,000,000-baud capture that took a tenth of a core. The zone
// is read once, when the clock is made; its summer time rules still apply.
TimeOfDay SystemClock::timeOfDay() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_nsec / 1'000'000)};
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
