#pragma once

#include <cstdint>

#include "HxTypes.h"

// At most this long a polling loop sleeps after a pass that found nothing.
// Received bytes end the wait at once; only keys, clicks and repaints wait
// it out, and 8 ms is well below what a user notices. Measured on the
// simulated board with the terminal open and idle: 1 ms cost 3 % of a core,
// 4 ms close to 2 %, 8 ms under 1 %.
constexpr std::uint32_t IdleWaitUs = 8000;

// The pause of every polling loop after a pass that found nothing waiting on
// the handle: sleeps until the driver reports received bytes or the idle
// wait is over, so that a loop with nothing to do costs next to no processor
// time. A pass that found data goes straight on without it.
void WaitAfterIdlePass(HxHandle handle);

// The same for a loop that listens on two channels: the driver notifies one
// handle at a time, so the wait watches each in turn for a millisecond at
// most, and bytes on either end it within that.
void WaitAfterIdlePass(HxHandle first, HxHandle second);
