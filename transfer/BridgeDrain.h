#pragma once

#include <cstdint>

#include "TransferChannel.h"

class Clock;
class DeviceLink;

// Waits, with the window alive, until the bridge has put on the wire every
// byte written on channel A: a write returns once the bridge has taken its
// bytes, long before the last of them has left at a slow rate. stillHeld is
// how much the bridge may hold at most; the wait gives up after the margin
// plus their wire time. Done, Cancelled, TimedOut, or LinkFailed when the
// driver cannot tell.
TransferEnd AwaitBridgeEmpty(TransferChannel& channel, DeviceLink& link, Clock& clock,
                             std::uint64_t stillHeld);
