#pragma once

#include "Clock.h"

// A clock for tests that moves forward by itself: every reading advances it a
// little and a sleep advances it by its length, so waits and time-outs cost no
// real time and every run sees the same sequence of times.
class SelfAdvancingClock : public Clock {
  public:
    struct Steps {
        std::int64_t perReadingNs = 20'000;  // 20 us per reading
        std::int64_t perYieldNs = 200'000;   // 0.2 ms per zero-length sleep
    };

    SelfAdvancingClock();
    explicit SelfAdvancingClock(Steps steps, TimeOfDay start = {10, 0, 0, 0});

    TimeOfDay timeOfDay() override;
    std::int64_t nanoseconds() override;
    void sleep(int milliseconds) override;
    void sleepNanoseconds(std::int64_t nanoseconds) override;
    void yield() override;

    // Moves the clock without a reading, for tests that need a gap.
    void advance(std::int64_t nanoseconds);
    // The current time, without advancing it.
    std::int64_t peekNanoseconds() const { return now; }

  private:
    Steps steps;
    std::int64_t startOfDayNs;
    std::int64_t now = 0;
};
