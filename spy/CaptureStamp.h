#pragma once

#include <cstdint>

#include "Clock.h"

// The running time stamp of a capture: milliseconds since it started, from
// the time-of-day fields of the clock. The plain difference of two readings
// falls by a day at midnight; a capture that runs across it (or across
// several) keeps counting instead.
class CaptureStamp {
  public:
    static constexpr std::int64_t DayMs = 86'400'000;

    void start(const TimeOfDay& now);
    // The stamp of a reading taken after the start; readings come in order.
    std::int64_t elapsedAt(const TimeOfDay& now);

    TimeOfDay startTime() const { return started; }

  private:
    TimeOfDay started;
    std::int64_t lastWithinDay = 0;
    std::int64_t days = 0;
};
