#include "TransferChannel.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "Clock.h"
#include "DeviceLink.h"
#include "DirAnswer.h"
#include "HxDriver.h"
#include "LineBytes.h"
#include "ModeFlags.h"
#include "MonitorAnswerText.h"
#include "TerminalDisplay.h"

namespace {
constexpr std::int64_t BitsPerByte = 10;
}  // namespace

TransferChannel::TransferChannel(DeviceLink& link, TerminalDisplay& display, ModeFlags& flags,
                                 ModeLoop& loop)
    : link(link), display(display), modeLoop(loop), transferStop(&flags.TerminalStop) {}

void TransferChannel::SendCommandByte(std::uint8_t b) {
    link.PutByteA(b);
    display.ShowTerminalByte(b);
    link.SendStagedA();
    // A byte the driver did not take must not go out in front of the data.
    link.DropStagedA();
}

void TransferChannel::sendCommandLine(QByteArrayView word, QByteArrayView parameter) {
    for (const char c : word) {
        SendCommandByte(static_cast<std::uint8_t>(c));
    }
    SendCommandByte(Space);
    for (const char c : parameter) {
        SendCommandByte(static_cast<std::uint8_t>(c));
    }
    SendCommandByte(CarriageReturn);
}

QByteArray TransferChannel::countParameter(std::uint32_t count) {
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((count >> (8 * (3 - i))) & 0xFF);
    }
    return bytes;
}

bool TransferChannel::cancelled() const {
    return transferStop.requested() || !link.ChannelAOpen;
}

void TransferChannel::keepWindowAlive() {
    modeLoop.keepAlive();
}

TransferEnd TransferChannel::endOf(WaitEnd end) {
    switch (end) {
        case WaitEnd::Done:
            return TransferEnd::Done;
        case WaitEnd::TimedOut:
            return TransferEnd::TimedOut;
        case WaitEnd::Stopped:
            return TransferEnd::Cancelled;
        case WaitEnd::Failed:
            break;
    }
    return TransferEnd::LinkFailed;
}

bool TransferChannel::fetchWaiting(std::uint32_t& waiting) {
    // The driver has shown its dialog; asking again would only repeat it.
    if (link.FetchQueueStatus() != hx::Ok) {
        return false;
    }
    waiting = link.RxQueueCount;
    return true;
}

std::int64_t TransferChannel::wireMs(std::uint64_t bytes) const {
    const std::uint64_t rate = std::max<std::uint32_t>(link.BaudRate, 1);
    return static_cast<std::int64_t>(bytes * BitsPerByte * 1000 / rate);
}

std::int64_t TransferChannel::silenceLimitMs() const {
    return WaitMarginMs + wireMs(TransferBufferSize);
}

// Every wait is this one, on the terminal's loop. Only a read that brings
// bytes starts the silence limit again: a driver that reports bytes waiting
// and then reads none must not keep the wait alive.
template <typename TakeRead>
TransferEnd TransferChannel::pollReads(const std::uint64_t& readLimit, std::int64_t silenceMs,
                                       TakeRead&& take) {
    std::optional<TransferEnd> taken;
    const WaitEnd end =
        modeLoop.await(transferStop, WaitBound::silence(silenceMs), {link.HandleA}, [&] {
            if (!link.ChannelAOpen) {
                transferStop.request(StopCause::Closed);
                return Step::Nothing;
            }
            std::uint32_t waiting = 0;
            if (!fetchWaiting(waiting)) {
                return Step::Failed;
            }
            if (waiting == 0) {
                return Step::Nothing;
            }
            const std::uint32_t count = link.ReadToBufferA(
                static_cast<std::uint32_t>(std::min<std::uint64_t>(waiting, readLimit)));
            // The driver has shown its dialog; reading again would repeat it.
            if (link.LastReadStatus() != hx::Ok) {
                return Step::Failed;
            }
            if (count == 0) {
                return Step::Nothing;
            }
            taken = take(count);
            return taken ? Step::Done : Step::Progress;
        });
    return end == WaitEnd::Done ? *taken : endOf(end);
}

TransferEnd TransferChannel::readAnswer(const std::function<bool(std::uint32_t)>& take,
                                        std::optional<std::int64_t> quietMs) {
    constexpr std::uint64_t everything = std::numeric_limits<std::uint64_t>::max();
    return pollReads(everything, quietMs.value_or(silenceLimitMs()),
                     [&](std::uint32_t count) -> std::optional<TransferEnd> {
                         if (take(count)) {
                             return TransferEnd::Done;
                         }
                         return std::nullopt;
                     });
}

void TransferChannel::showWaiting() {
    std::uint32_t waiting = 0;
    while (!cancelled() && fetchWaiting(waiting) && waiting > 0) {
        const std::uint32_t count = link.ReadToBufferA(waiting);
        display.ShowReceivedBytes(link.ReadBufferA.data(), count);
        if (count == 0 || link.LastReadStatus() != hx::Ok) {
            return;
        }
    }
}

// The wait ends only at a carriage return that is the last byte of a read:
// one inside a read that goes on is not the end of the answer.
TransferEnd TransferChannel::AwaitAnswerLine(AnswerLines& answer) {
    return readAnswer([&](std::uint32_t count) {
        display.ShowReceivedBytes(link.ReadBufferA.data(), count);
        for (std::uint32_t i = 0; i < count; ++i) {
            answer.add(link.ReadBufferA[i]);
        }
        return link.ReadBufferA[count - 1] == CarriageReturn && answer.settled();
    });
}

TransferEnd TransferChannel::AwaitPrompt(QByteArray& answer, std::optional<std::int64_t> quietMs) {
    return readAnswer(
        [&](std::uint32_t count) {
            display.ShowReceivedBytes(link.ReadBufferA.data(), count);
            answer.append(reinterpret_cast<const char*>(link.ReadBufferA.data()), count);
            if (!answer.endsWith(static_cast<char>(CarriageReturn))) {
                return false;
            }
            const QByteArrayView lines(answer.constData(), answer.size() - 1);
            return IsMonitorPrompt(
                lines.sliced(lines.lastIndexOf(static_cast<char>(CarriageReturn)) + 1));
        },
        quietMs);
}

TransferEnd TransferChannel::ParseDirAnswer(DirAnswerParser& parser) {
    parser.start();
    const TransferEnd end = readAnswer([&](std::uint32_t count) {
        display.tapReceived(link.ReadBufferA.data(), count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t b = link.ReadBufferA[i];
            // Shown only while it belongs to the answer's fields.
            if (parser.feed(b)) {
                display.ShowTerminalByte(b);
            }
        }
        return parser.finished() ||
               (parser.cannotBeAFileEntry() && link.ReadBufferA[count - 1] == CarriageReturn);
    });
    if (end == TransferEnd::Done) {
        parser.finish();
    }
    return end;
}

TransferEnd TransferChannel::receiveData(std::uint64_t count, const DataSink& sink) {
    received = 0;
    if (count == 0) {
        return TransferEnd::Done;
    }
    std::uint64_t stillExpected = count;
    // Never more than the file still needs: the answer after it stays queued.
    return pollReads(stillExpected, silenceLimitMs(),
                     [&](std::uint32_t read) -> std::optional<TransferEnd> {
                         display.tapReceived(link.ReadBufferA.data(), read);
                         if (!sink(link.ReadBufferA.data(), read)) {
                             return TransferEnd::FileFailed;
                         }
                         received += read;
                         stillExpected = count - received;
                         if (stillExpected == 0) {
                             return TransferEnd::Done;
                         }
                         return std::nullopt;
                     });
}

TransferEnd TransferChannel::sendData(std::uint32_t count) {
    if (const TransferEnd room = awaitTransmitRoom(count); room != TransferEnd::Done) {
        return room;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        link.PutByteA(TransferBuffer[i]);
    }
    const bool complete = link.SendStagedA() == hx::Ok;
    link.DropStagedA();
    return complete ? TransferEnd::Done : TransferEnd::TimedOut;
}

// At a slow rate a write of 4096 bytes would hold the window for seconds
// while the bridge's buffer drains: the write waits, with the window alive,
// until the bridge can take it whole. It gives up when the bridge takes
// nothing for as long as two full writes take on the wire, plus the margin.
// A driver that cannot tell leaves it to the write.
TransferEnd TransferChannel::awaitTransmitRoom(std::uint32_t count) {
    return awaitRoom(count, WaitMarginMs + wireMs(2 * std::uint64_t{TransferBufferSize}),
                     TransferEnd::Done);
}

// Room for more than any transmit buffer holds is reported only once it is
// empty.
TransferEnd TransferChannel::awaitBridgeEmpty(std::uint64_t stillHeld) {
    return awaitRoom(std::numeric_limits<std::uint32_t>::max(), WaitMarginMs + wireMs(stillHeld),
                     TransferEnd::LinkFailed);
}

TransferEnd TransferChannel::awaitRoom(std::uint32_t bytes, std::int64_t limitMs,
                                       TransferEnd whenDriverCannotTell) {
    // Each look waits for room a while itself: the loop has no idle wait.
    const WaitEnd end = modeLoop.await(transferStop, WaitBound::deadline(limitMs), {}, [&] {
        if (!link.ChannelAOpen) {
            transferStop.request(StopCause::Closed);
            return Step::Nothing;
        }
        bool room = false;
        if (WaitForTransmitRoom(link.HandleA, bytes, RoomWaitUs, room) != hx::Ok) {
            return Step::Failed;
        }
        return room ? Step::Done : Step::Nothing;
    });
    return end == WaitEnd::Failed ? whenDriverCannotTell : endOf(end);
}
