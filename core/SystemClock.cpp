#include "SystemClock.h"

#include <QTime>
#include <thread>

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
