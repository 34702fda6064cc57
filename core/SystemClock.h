#pragma once

#include <chrono>

#include "Clock.h"

// The real clock: local wall time, a steady monotonic base, real sleeps.
class SystemClock : public Clock {
  public:
    SystemClock();

    TimeOfDay timeOfDay() override;
    std::int64_t nanoseconds() override;
    void sleep(int milliseconds) override;
    void sleepNanoseconds(std::int64_t nanoseconds) override;
    void yield() override;

  private:
    std::chrono::steady_clock::time_point origin = std::chrono::steady_clock::now();
};
