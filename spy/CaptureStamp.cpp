#include "CaptureStamp.h"

namespace {
// A clock set back by less than this (a summer-time change, a correction)
// is not a new day.
constexpr std::int64_t MidnightFallMs = CaptureStamp::DayMs / 2;
}  // namespace

void CaptureStamp::start(const TimeOfDay& now) {
    started = now;
    lastWithinDay = 0;
    days = 0;
}

std::int64_t CaptureStamp::elapsedAt(const TimeOfDay& now) {
    const std::int64_t withinDay = ElapsedMilliseconds(now, started);
    if (withinDay < lastWithinDay - MidnightFallMs) {
        ++days;
    }
    lastWithinDay = withinDay;
    return days * DayMs + withinDay;
}
