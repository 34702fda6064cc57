#include "SelfAdvancingClock.h"

namespace {
constexpr std::int64_t nsPerMs = 1'000'000;
constexpr std::int64_t nsPerDay = 86'400'000 * nsPerMs;
}  // namespace

SelfAdvancingClock::SelfAdvancingClock() : SelfAdvancingClock(Steps{}) {}

SelfAdvancingClock::SelfAdvancingClock(Steps steps, TimeOfDay start)
    : steps(steps),
      startOfDayNs((((std::int64_t{start.hour} * 60 + start.minute) * 60 + start.second) * 1000 +
                    start.millisecond) *
                   nsPerMs) {}

TimeOfDay SelfAdvancingClock::timeOfDay() {
    now += steps.perReadingNs;
    std::int64_t ms = ((startOfDayNs + now) % nsPerDay) / nsPerMs;
    TimeOfDay t;
    t.millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    t.second = static_cast<int>(ms % 60);
    ms /= 60;
    t.minute = static_cast<int>(ms % 60);
    t.hour = static_cast<int>(ms / 60);
    return t;
}

std::int64_t SelfAdvancingClock::nanoseconds() {
    now += steps.perReadingNs;
    return now;
}

void SelfAdvancingClock::sleep(int milliseconds) {
    now += std::int64_t{milliseconds} * nsPerMs;
}

void SelfAdvancingClock::sleepNanoseconds(std::int64_t nanoseconds) {
    now += nanoseconds;
}

void SelfAdvancingClock::yield() {
    now += steps.perYieldNs;
}

void SelfAdvancingClock::advance(std::int64_t nanoseconds) {
    now += nanoseconds;
}
