#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// How far the data handed to a remote port may run ahead of its wire.
//
// The connection and the server buffer far more than a local port's
// transmit buffer: a program told that its bytes were taken while they are
// still megabytes from the wire waits for answers that cannot have come yet,
// and its bounds run out. So a remote port takes bytes at its line's rate,
// with a transmit buffer's worth of lead, as a local port does.
class WirePace {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t Lead = 4096;

    // A rate of 0 (not set yet) sets no pace.
    void setLine(std::uint32_t baudRate, unsigned bitsPerCharacter, Clock::time_point now);
    // How many bytes may be handed over now.
    std::size_t room(Clock::time_point now);
    void took(std::size_t count, Clock::time_point now);
    // When room for count bytes (at most Lead) will be there.
    Clock::time_point roomAt(std::size_t count, Clock::time_point now);

  private:
    void drain(Clock::time_point now);

    double bytesPerSecond = 0;
    double ahead = 0;
    Clock::time_point last;
};
