// The simulated spy board. An on-board host talks to the chip over a serial
// link; the bridge's two channels listen to that link's two directions:
// channel A hears what the chip transmits, channel B what the chip receives.
// Each channel reads a byte correctly only at the link's current rate (within
// 3 %), and garbled otherwise, as on any wire. Nothing written to this board
// reaches the link: writes are accepted (and recorded) and go nowhere.
//
// The host plays its script step after step, each byte taking 10 bit times
// at the link's rate, and starts over at the end (from the step the script
// names for its later rounds, its first step unless it names one); a script
// whose repeated steps take no time plays nothing. In a duplex step both
// directions carry bytes in the same byte times. Opening a channel while the
// other is closed starts the conversation from its beginning, at 9600 baud.
// Bytes that reach a closed channel are lost; a full receive queue drops and
// counts them (there is no flow control on a listening channel). The bridge
// hands received bytes over by packet, event character and latency timer.
#include "SpyBoard.h"

#include <algorithm>

#include "Wire.h"
#include "WireLeg.h"

namespace {

constexpr std::int64_t nsPerMs = 1'000'000;

// The byte times a step keeps the link busy.
std::size_t byteTimesOf(const SpyStep& s) {
    switch (s.kind) {
        case SpyStep::Kind::HostSends:
        case SpyStep::Kind::ChipSends:
            return s.bytes.size();
        case SpyStep::Kind::Duplex:
            return std::max(s.bytes.size(), s.chipBytes.size());
        default:
            return 0;
    }
}

}  // namespace

SpyBoard::SpyBoard(Clock& clock, std::string name)
    : SimBoard(clock, std::move(name)), script(defaultSpyScript()) {
    // A listener sets its latency timer and event character to have whole
    // lines handed over at once: its bridge keeps them as a real one does.
    channel(ChannelId::A).handsOverByPacket = true;
    channel(ChannelId::B).handsOverByPacket = true;
}

void SpyBoard::setScript(SpyScript newScript, std::uint32_t newStartRate,
                         std::size_t newRepeatFrom) {
    script = std::move(newScript);
    startRate = newStartRate;
    repeatFrom = newRepeatFrom < script.size() ? newRepeatFrom : 0;
    restart(clock.nanoseconds());
}

void SpyBoard::restart(std::int64_t now) {
    step = 0;
    byteIndex = 0;
    stepStart = now;
    rate = startRate;
    rounds = 0;
    carriedBytes = {};
}

// Only the repeated steps count: without time of their own the rounds would
// follow one another without end in no time.
bool SpyBoard::hasDuration() const {
    const auto repeated = script.begin() + static_cast<std::ptrdiff_t>(repeatFrom);
    return std::any_of(repeated, script.end(), [](const SpyStep& s) {
        return (s.kind == SpyStep::Kind::Pause && s.milliseconds > 0) || byteTimesOf(s) > 0;
    });
}

std::int64_t SpyBoard::currentEnd() const {
    const SpyStep& current = script[step];
    switch (current.kind) {
        case SpyStep::Kind::Pause:
            return stepStart + std::int64_t{current.milliseconds} * nsPerMs;
        case SpyStep::Kind::RateChange:
            return stepStart;
        default:
            return byteTimesOf(current) == 0 ? stepStart : stepStart + wire::byteTimeNs(rate);
    }
}

void SpyBoard::finishCurrent(std::int64_t end) {
    const SpyStep& current = script[step];
    if (current.kind == SpyStep::Kind::RateChange) {
        rate = current.baudRate;
        moveToNextStep();
        return;
    }
    const std::size_t byteTimes = byteTimesOf(current);
    if (byteTimes == 0) {
        moveToNextStep();
        return;
    }
    switch (current.kind) {
        case SpyStep::Kind::HostSends:
            carry(ChannelId::B, current.bytes[byteIndex], end);
            break;
        case SpyStep::Kind::ChipSends:
            carry(ChannelId::A, current.bytes[byteIndex], end);
            break;
        default:
            // Both directions in the same byte time; the shorter side has
            // fallen silent once its bytes are out.
            if (byteIndex < current.bytes.size()) {
                carry(ChannelId::B, current.bytes[byteIndex], end);
            }
            if (byteIndex < current.chipBytes.size()) {
                carry(ChannelId::A, current.chipBytes[byteIndex], end);
            }
            break;
    }
    if (++byteIndex == byteTimes) {
        moveToNextStep();
    }
}

// A listening channel hears the link at the link's rate, read at its own.
void SpyBoard::carry(ChannelId id, std::uint8_t byte, std::int64_t arrival) {
    ++carriedBytes[static_cast<std::size_t>(id)];
    SimChannel& listener = channel(id);
    listener.deliver(wire::received(byte, rate, listener.settings.baudRate), arrival);
}

void SpyBoard::moveToNextStep() {
    byteIndex = 0;
    if (++step == script.size()) {
        step = repeatFrom;
        ++rounds;
    }
}

void SpyBoard::advanceTo(std::int64_t now) {
    if (script.empty() || !hasDuration()) {
        return;
    }
    stepStart = std::max(stepStart, now - backlogLimitNs);
    for (std::int64_t end = currentEnd(); end <= now; end = currentEnd()) {
        finishCurrent(end);
        stepStart = end;
    }
}

std::int64_t SpyBoard::nextEventNs() const {
    return script.empty() || !hasDuration() ? WireLeg::never : currentEnd();
}

std::uint32_t SpyBoard::accept(ChannelId, const std::uint8_t*, std::uint32_t count) {
    return count;
}

std::uint32_t SpyBoard::modemLines(ChannelId) {
    return 0;
}

void SpyBoard::changed(ChannelId) {}

void SpyBoard::opened(ChannelId id) {
    const ChannelId other = id == ChannelId::A ? ChannelId::B : ChannelId::A;
    if (!channel(other).open) {
        restart(clock.nanoseconds());
    }
}
