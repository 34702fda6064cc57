#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// One step of the conversation that the spy board's on-board host holds with
// its chip: a line the host sends (the chip receives it), a line the chip
// sends, both directions at once, a pause, or a change of the link's baud rate.
struct SpyStep {
    enum class Kind { HostSends, ChipSends, Duplex, Pause, RateChange };

    Kind kind = Kind::Pause;
    // The line of a HostSends or ChipSends step; what the host sends in a
    // Duplex step.
    std::vector<std::uint8_t> bytes;
    // What the chip sends during a Duplex step.
    std::vector<std::uint8_t> chipBytes;
    std::uint32_t milliseconds = 0;
    std::uint32_t baudRate = 0;

    // Text is taken up to its first zero byte; lines that hold zero bytes
    // (binary parameters) are given as byte vectors.
    static SpyStep hostSends(std::string_view text);
    static SpyStep hostSends(std::vector<std::uint8_t> bytes);
    static SpyStep chipSends(std::string_view text);
    static SpyStep chipSends(std::vector<std::uint8_t> bytes);
    // Both sides start sending when the step starts, each its bytes back to
    // back; the step lasts as long as the longer side.
    static SpyStep duplex(std::vector<std::uint8_t> hostBytes, std::vector<std::uint8_t> chipBytes);
    static SpyStep pause(std::uint32_t milliseconds);
    static SpyStep rateChange(std::uint32_t baudRate);
};

using SpyScript = std::vector<SpyStep>;

// The rate the link runs at when a conversation starts.
constexpr std::uint32_t spyStartRate = 9600;

// The conversation the board plays unless a test gives it another one.
SpyScript defaultSpyScript();
