#include "SimBoard.h"

#include <algorithm>
#include <limits>

#include "Wire.h"

namespace {
constexpr std::int64_t nsPerMs = 1'000'000;
}  // namespace

SimBoard::SimBoard(Clock& clock, std::string name) : clock(clock), boardName(std::move(name)) {}

std::string SimBoard::description(ChannelId id) const {
    return boardName + (id == ChannelId::A ? " A" : " B");
}

DriverStatus SimBoard::usable(ChannelId id) const {
    if (!plugged) {
        return hx::IoError;
    }
    return channel(id).open ? hx::Ok : hx::DeviceNotOpened;
}

void SimBoard::advance() {
    const std::int64_t now = clock.nanoseconds();
    advanceTo(now);
    for (SimChannel& ch : channels) {
        ch.reportArrivals(now);
    }
}

void SimBoard::clearRecords() {
    for (auto& ch : channels) {
        ch.writes.clear();
        ch.bitModeCalls.clear();
    }
}

template <typename Change>
DriverStatus SimBoard::change(ChannelId id, Change&& apply) {
    if (const DriverStatus status = usable(id); status != hx::Ok) {
        return status;
    }
    advance();
    const DriverStatus status = apply(channel(id));
    if (status == hx::Ok) {
        changed(id);
    }
    return status;
}

DriverStatus SimBoard::open(ChannelId id) {
    if (!plugged) {
        return hx::DeviceNotFound;
    }
    SimChannel& ch = channel(id);
    if (ch.refuseOpenStatus != hx::Ok) {
        return ch.refuseOpenStatus;
    }
    if (ch.open) {
        return hx::DeviceNotOpened;
    }
    advance();
    ch.reopen();
    opened(id);
    return hx::Ok;
}

DriverStatus SimBoard::close(ChannelId id) {
    const DriverStatus status = usable(id);
    if (channel(id).open) {
        advance();
        channel(id).shut();
        changed(id);
    }
    return status;
}

DriverStatus SimBoard::read(ChannelId id, std::uint8_t* buffer, std::uint32_t count,
                            std::uint32_t& bytesRead) {
    bytesRead = 0;
    if (const DriverStatus status = usable(id); status != hx::Ok) {
        return status;
    }
    advance();
    SimChannel& ch = channel(id);
    const std::int64_t deadline =
        clock.nanoseconds() + std::int64_t{ch.settings.readTimeoutMs} * nsPerMs;
    while (ch.readable() < count && clock.nanoseconds() < deadline) {
        waitForWire();
        advance();
    }
    bytesRead = ch.take(buffer, count);
    taken[static_cast<std::size_t>(id)] += bytesRead;
    // Room in the queue may let a paused sender go on.
    changed(id);
    return hx::Ok;
}

// A read or write that must wait sleeps until the board's next event, as a
// driver blocks until its device moves; a stalled wire is looked at again
// every millisecond.
void SimBoard::waitForWire() {
    const std::int64_t now = clock.nanoseconds();
    const std::int64_t wake = std::min(nextWakeNs(), now + nsPerMs);
    clock.sleepNanoseconds(std::max<std::int64_t>(0, wake - now));
}

DriverStatus SimBoard::write(ChannelId id, const std::uint8_t* buffer, std::uint32_t count,
                             std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    if (const DriverStatus status = usable(id); status != hx::Ok) {
        return status;
    }
    SimChannel& ch = channel(id);
    std::uint32_t limit = count;
    if (ch.shortWriteLimit >= 0) {
        limit = static_cast<std::uint32_t>(std::min<std::int64_t>(count, ch.shortWriteLimit));
        ch.shortWriteLimit = -1;
    }
    const std::uint32_t timeoutMs =
        ch.settings.writeTimeoutMs == 0 ? defaultWriteTimeoutMs : ch.settings.writeTimeoutMs;
    const std::int64_t deadline = clock.nanoseconds() + std::int64_t{timeoutMs} * nsPerMs;
    QByteArray accepted;
    while (true) {
        advance();
        const std::uint32_t n = accept(id, buffer + bytesWritten, limit - bytesWritten);
        accepted.append(reinterpret_cast<const char*>(buffer + bytesWritten),
                        static_cast<qsizetype>(n));
        bytesWritten += n;
        changed(id);
        if (bytesWritten == limit || clock.nanoseconds() >= deadline || !plugged) {
            break;
        }
        waitForWire();
    }
    ch.writes.push_back(accepted);
    return hx::Ok;
}

DriverStatus SimBoard::queueStatus(ChannelId id, std::uint32_t& waiting) {
    if (const DriverStatus status = usable(id); status != hx::Ok) {
        return status;
    }
    advance();
    waiting = static_cast<std::uint32_t>(channel(id).readable());
    return hx::Ok;
}

// A wait sleeps from one event of the board to the next until what it waits
// for holds, or its time is up.
template <typename Ready>
DriverStatus SimBoard::waitUntil(ChannelId id, std::uint32_t timeoutUs, Ready&& ready) {
    if (const DriverStatus status = usable(id); status != hx::Ok) {
        return status;
    }
    const std::int64_t deadline = clock.nanoseconds() + std::int64_t{timeoutUs} * 1000;
    for (;;) {
        advance();
        const std::int64_t now = clock.nanoseconds();
        if (ready() || now >= deadline) {
            return hx::Ok;
        }
        clock.sleepNanoseconds(std::max<std::int64_t>(0, std::min(deadline, nextWakeNs()) - now));
    }
}

DriverStatus SimBoard::waitForReceive(ChannelId id, std::uint32_t timeoutUs) {
    return waitUntil(id, timeoutUs, [&] { return channel(id).readable() > 0; });
}

DriverStatus SimBoard::waitForTransmitRoom(ChannelId id, std::uint32_t bytes,
                                           std::uint32_t timeoutUs, bool& room) {
    const std::size_t wanted = std::min<std::size_t>(bytes, SimChannel::transmitCapacity);
    return waitUntil(id, timeoutUs, [&] {
        room = channel(id).transmitRoom() >= wanted;
        return room;
    });
}

// The bridge and the computer exchange data once per USB microframe: nothing
// a waiting read or write can see changes between two boundaries, so a wait
// sleeps to the boundary at or after the board's next event.
std::int64_t SimBoard::nextWakeNs() const {
    const std::int64_t next =
        std::min({nextEventNs(), channels[0].nextReportNs(), channels[1].nextReportNs()});
    constexpr std::int64_t frame = SimChannel::microframeNs;
    if (next > std::numeric_limits<std::int64_t>::max() - frame) {
        return next;
    }
    return (next + frame - 1) / frame * frame;
}

DriverStatus SimBoard::modemStatus(ChannelId id, std::uint32_t& status) {
    if (const DriverStatus failure = usable(id); failure != hx::Ok) {
        return failure;
    }
    advance();
    status = modemLines(id);
    return hx::Ok;
}

DriverStatus SimBoard::setBaudRate(ChannelId id, std::uint32_t rate) {
    return change(id, [rate](SimChannel& ch) {
        if (rate < lowestBaudRate || rate > highestBaudRate) {
            return hx::InvalidBaudRate;
        }
        ch.settings.baudRate = rate;
        return hx::Ok;
    });
}

DriverStatus SimBoard::setDataCharacteristics(ChannelId id, std::uint8_t wordLength,
                                              std::uint8_t stopBits, std::uint8_t parity) {
    return change(id, [=](SimChannel& ch) {
        if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) ||
            parity > 4) {
            return hx::InvalidParameter;
        }
        ch.settings.wordLength = wordLength;
        ch.settings.stopBits = stopBits;
        ch.settings.parity = parity;
        return hx::Ok;
    });
}

DriverStatus SimBoard::setFlowControl(ChannelId id, std::uint16_t flow, std::uint8_t xon,
                                      std::uint8_t xoff) {
    return change(id, [=](SimChannel& ch) {
        ch.settings.flowControl = flow;
        ch.settings.xon = xon;
        ch.settings.xoff = xoff;
        return hx::Ok;
    });
}

DriverStatus SimBoard::setRts(ChannelId id, bool high) {
    return change(id, [high](SimChannel& ch) {
        ch.settings.rts = high;
        return hx::Ok;
    });
}

DriverStatus SimBoard::setDtr(ChannelId id, bool high) {
    return change(id, [high](SimChannel& ch) {
        ch.settings.dtr = high;
        return hx::Ok;
    });
}

DriverStatus SimBoard::setChars(ChannelId id, std::uint8_t eventChar, bool eventEnabled,
                                std::uint8_t errorChar, bool errorEnabled) {
    return change(id, [=](SimChannel& ch) {
        ch.settings.eventChar = eventChar;
        ch.settings.eventEnabled = eventEnabled;
        ch.settings.errorChar = errorChar;
        ch.settings.errorEnabled = errorEnabled;
        return hx::Ok;
    });
}

DriverStatus SimBoard::setTimeouts(ChannelId id, std::uint32_t readMs, std::uint32_t writeMs) {
    return change(id, [=](SimChannel& ch) {
        ch.settings.readTimeoutMs = readMs;
        ch.settings.writeTimeoutMs = writeMs;
        return hx::Ok;
    });
}

DriverStatus SimBoard::setLatencyTimer(ChannelId id, std::uint8_t milliseconds) {
    return change(id, [milliseconds](SimChannel& ch) {
        if (milliseconds == 0) {
            return hx::InvalidParameter;
        }
        ch.settings.latencyMs = milliseconds;
        return hx::Ok;
    });
}

DriverStatus SimBoard::setBitMode(ChannelId id, std::uint8_t mask, std::uint8_t mode) {
    if (const DriverStatus status = usable(id); status != hx::Ok) {
        return status;
    }
    advance();
    SimChannel& ch = channel(id);
    ch.bitModeCalls.push_back({mask, mode});
    ch.settings.bitMode = mode != hx::BitModeReset;
    ch.settings.bitMask = mask;
    bitModeSet(id);
    return hx::Ok;
}
