#pragma once

#include <cstdint>

// A reading of the local time of day, as the program's time stamps and
// throughput figures use it (date fields are never looked at).
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// All time in the program and in the simulated board comes through this
// interface, so that tests can run a 2 s time-out without waiting 2 s.
class Clock {
  public:
    virtual ~Clock() = default;

    virtual TimeOfDay timeOfDay() = 0;
    // Monotonic time since the clock was made; the simulated wire runs on it.
    virtual std::int64_t nanoseconds() = 0;
    virtual void sleep(int milliseconds) = 0;
    // A sleep finer than a millisecond, for waits on the wire.
    virtual void sleepNanoseconds(std::int64_t nanoseconds) = 0;
    // A zero-length sleep: gives up the rest of the time slice.
    virtual void yield() = 0;

    std::int64_t milliseconds() { return nanoseconds() / 1'000'000; }
};

// Whole milliseconds from earlier to later, from the time-of-day fields only,
// in full signed 32-bit width: negative across midnight.
std::int32_t ElapsedMilliseconds(const TimeOfDay& later, const TimeOfDay& earlier);
