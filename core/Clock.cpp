#include "Clock.h"

std::int32_t ElapsedMilliseconds(const TimeOfDay& later, const TimeOfDay& earlier) {
    const std::int32_t hours = later.hour - earlier.hour;
    const std::int32_t minutes = later.minute - earlier.minute;
    const std::int32_t seconds = later.second - earlier.second;
    const std::int32_t millis = later.millisecond - earlier.millisecond;
    return ((hours * 60 + minutes) * 60 + seconds) * 1000 + millis;
}
