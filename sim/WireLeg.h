#pragma once

#include <cstdint>
#include <limits>
#include <optional>

#include "Wire.h"

// One direction of a serial wire: the byte now crossing it, if any, and when
// it started. A byte that is stopped half way (flow control) starts again
// whole later, so nothing is lost.
class WireLeg {
  public:
    static constexpr std::int64_t never = std::numeric_limits<std::int64_t>::max();

    // Keeps a byte crossing (from now, if none was) or stops the leg.
    void update(bool byteWaiting, std::int64_t now, std::uint32_t senderRate) {
        rate = senderRate;
        if (!byteWaiting) {
            startedAt.reset();
        } else if (!startedAt) {
            startedAt = now;
        }
    }
    std::int64_t arrival() const { return startedAt ? *startedAt + wire::byteTimeNs(rate) : never; }
    // The byte has arrived; the next one starts when update() is called.
    void arrived() { startedAt.reset(); }

  private:
    std::optional<std::int64_t> startedAt;
    std::uint32_t rate = 9600;
};
