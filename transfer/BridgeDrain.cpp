#include "BridgeDrain.h"

#include <algorithm>
#include <limits>

#include "Clock.h"
#include "DeviceLink.h"
#include "HxDriver.h"

namespace {
constexpr std::uint64_t BitsPerByte = 10;
}  // namespace

TransferEnd AwaitBridgeEmpty(TransferChannel& channel, DeviceLink& link, Clock& clock,
                             std::uint64_t stillHeld) {
    // Room for more than any transmit buffer holds is reported only once it
    // is empty.
    constexpr std::uint32_t everything = std::numeric_limits<std::uint32_t>::max();
    constexpr auto waitUs =
        static_cast<std::uint32_t>(TransferChannel::WindowEventIntervalMs * 1000);
    const std::uint64_t rate = std::max<std::uint32_t>(link.BaudRate, 1);
    const std::int64_t deadline = clock.milliseconds() + TransferChannel::WaitMarginMs +
                                  static_cast<std::int64_t>(stillHeld * BitsPerByte * 1000 / rate);
    for (;;) {
        if (channel.cancelled()) {
            return TransferEnd::Cancelled;
        }
        bool empty = false;
        if (WaitForTransmitRoom(link.HandleA, everything, waitUs, empty) != hx::Ok) {
            return TransferEnd::LinkFailed;
        }
        if (empty) {
            return TransferEnd::Done;
        }
        if (clock.milliseconds() >= deadline) {
            return TransferEnd::TimedOut;
        }
        channel.keepWindowAlive();
    }
}
