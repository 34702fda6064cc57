#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Clock.h"
#include "HxTypes.h"
#include "SimChannel.h"

// A simulated board behind a dual-channel bridge: the driver's calls on its
// two channels, and the small test interface common to every board.
//
// The board has no timer and no thread of its own: every driver call first
// brings the board up to the clock's present (advanceTo), so bytes cross the
// wire exactly as far as the elapsed time allows, then does its work.
//
// Channel rules shared by all boards:
// - opening a channel that is already open fails with status 3; a test can
//   make an open fail with any status;
// - an unplugged board is no longer listed, and every call on a handle that
//   is still open fails with status 4 (General IO Error);
// - reads return at once what is waiting; with a read time-out set they wait
//   up to that long for the count asked;
// - a write returns once its bytes are in the channel's transmit buffer, or
//   short with the count accepted when the write time-out (5 s when none was
//   set) has passed first; a test can make the next write accept N bytes;
// - a write waiting for room in the transmit buffer sleeps on the clock
//   while the wire drains it;
// - received bytes become readable at the next USB microframe (125 us) after
//   the bridge hands them over: at once on the evaluation board, by packet,
//   event character and latency timer on the spy board (SimChannel);
// - a wait for received bytes sleeps on the clock from one event of the
//   board to the next until the channel has readable bytes or time is up;
// - a receive queue holds 256 KiB unless a test sets another capacity; bytes
//   that find it full are dropped and counted as overruns.
class SimBoard {
  public:
    static constexpr std::uint32_t defaultWriteTimeoutMs = 5000;
    static constexpr std::uint32_t lowestBaudRate = 183;
    static constexpr std::uint32_t highestBaudRate = 3'000'000;

    SimBoard(Clock& clock, std::string name);
    virtual ~SimBoard() = default;
    SimBoard(const SimBoard&) = delete;
    SimBoard& operator=(const SimBoard&) = delete;

    const std::string& name() const { return boardName; }
    // The board's name followed by " A" or " B", as the bridge lists it.
    std::string description(ChannelId id) const;

    // --- Driver calls ---
    DriverStatus open(ChannelId id);
    DriverStatus close(ChannelId id);
    DriverStatus read(ChannelId id, std::uint8_t* buffer, std::uint32_t count,
                      std::uint32_t& bytesRead);
    DriverStatus write(ChannelId id, const std::uint8_t* buffer, std::uint32_t count,
                       std::uint32_t& bytesWritten);
    DriverStatus queueStatus(ChannelId id, std::uint32_t& waiting);
    DriverStatus modemStatus(ChannelId id, std::uint32_t& status);
    DriverStatus setBaudRate(ChannelId id, std::uint32_t rate);
    DriverStatus setDataCharacteristics(ChannelId id, std::uint8_t wordLength,
                                        std::uint8_t stopBits, std::uint8_t parity);
    DriverStatus setFlowControl(ChannelId id, std::uint16_t flow, std::uint8_t xon,
                                std::uint8_t xoff);
    DriverStatus setRts(ChannelId id, bool high);
    DriverStatus setDtr(ChannelId id, bool high);
    DriverStatus setChars(ChannelId id, std::uint8_t eventChar, bool eventEnabled,
                          std::uint8_t errorChar, bool errorEnabled);
    DriverStatus setTimeouts(ChannelId id, std::uint32_t readMs, std::uint32_t writeMs);
    DriverStatus setLatencyTimer(ChannelId id, std::uint8_t milliseconds);
    DriverStatus setBitMode(ChannelId id, std::uint8_t mask, std::uint8_t mode);
    DriverStatus waitForReceive(ChannelId id, std::uint32_t timeoutUs);
    DriverStatus waitForTransmitRoom(ChannelId id, std::uint32_t bytes, std::uint32_t timeoutUs,
                                     bool& room);

    // --- Test interface ---
    // An unplugged board loses its power (see powerLost).
    void unplug() {
        plugged = false;
        powerLost();
    }
    void plugIn() { plugged = true; }
    bool pluggedIn() const { return plugged; }
    // Later opens of the channel fail with the status; hx::Ok lets them open.
    void refuseOpen(ChannelId id, DriverStatus status) { channel(id).refuseOpenStatus = status; }
    // Later opens of the channel start from these settings instead of the
    // defaults, as on a bridge that another program has set up: a mode that
    // leaves a setting as it finds it is seen.
    void openWithSettings(ChannelId id, const ChannelSettings& settings) {
        channel(id).settingsAtOpen = settings;
    }
    void writeShortOnce(ChannelId id, std::uint32_t accepted) {
        channel(id).shortWriteLimit = accepted;
    }
    void setReceiveCapacity(ChannelId id, std::size_t bytes) {
        channel(id).receiveCapacity = bytes;
    }
    // Whether the channel's bridge keeps received bytes until its packet is
    // full, the event character comes or the latency timer runs out.
    void handOverByPacket(ChannelId id, bool byPacket) { channel(id).handsOverByPacket = byPacket; }
    std::uint64_t overrunCount(ChannelId id) const { return channel(id).overruns; }
    // Bytes the board has handed to reads on the channel since it was made.
    std::uint64_t takenByReads(ChannelId id) const { return taken[static_cast<std::size_t>(id)]; }
    const std::vector<QByteArray>& writes(ChannelId id) const { return channel(id).writes; }
    const std::vector<BitModeCall>& bitModeCalls(ChannelId id) const {
        return channel(id).bitModeCalls;
    }
    const ChannelSettings& settings(ChannelId id) const { return channel(id).settings; }
    bool isOpen(ChannelId id) const { return channel(id).open; }
    // Forgets the recorded writes and bit-mode calls of both channels.
    void clearRecords();
    // Brings the board up to the clock's present without a driver call.
    void advance();

  protected:
    SimChannel& channel(ChannelId id) { return channels[static_cast<std::size_t>(id)]; }
    const SimChannel& channel(ChannelId id) const { return channels[static_cast<std::size_t>(id)]; }

    // Moves every byte whose wire time ends by now.
    virtual void advanceTo(std::int64_t now) = 0;
    // The board was unplugged: it is as it is at power-up when it comes back.
    virtual void powerLost() {}
    // When the board's next byte arrives or its next step begins.
    virtual std::int64_t nextEventNs() const = 0;
    // Takes up to count written bytes; what it returns is accepted.
    virtual std::uint32_t accept(ChannelId id, const std::uint8_t* bytes, std::uint32_t count) = 0;
    virtual std::uint32_t modemLines(ChannelId id) = 0;
    // A call changed the channel's state (open, close, a line, a setting).
    virtual void changed(ChannelId id) = 0;
    virtual void opened(ChannelId id) { changed(id); }
    virtual void bitModeSet(ChannelId id) { changed(id); }

    Clock& clock;

  private:
    DriverStatus usable(ChannelId id) const;
    void waitForWire();
    std::int64_t nextWakeNs() const;
    template <typename Ready>
    DriverStatus waitUntil(ChannelId id, std::uint32_t timeoutUs, Ready&& ready);
    template <typename Change>
    DriverStatus change(ChannelId id, Change&& apply);

    std::string boardName;
    std::array<SimChannel, 2> channels;
    std::array<std::uint64_t, 2> taken{};
    bool plugged = true;
};
