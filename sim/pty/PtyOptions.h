#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the pty server was asked to do on its command line.
struct PtyOptions {
    static constexpr std::uint32_t defaultStreamBaud = 3'000'000;

    // Bytes the chip streams to the terminal once the line runs at
    // streamBaud; none: the board is the plain monitor.
    std::optional<std::uint64_t> streamBytes;
    std::uint32_t streamBaud = defaultStreamBaud;
    bool helpAsked = false;
    bool versionAsked = false;
};

// The options, or nothing with the reason in error.
std::optional<PtyOptions> ParsePtyOptions(int argc, const char* const* argv, std::string& error);

extern const char* const PtyUsage;
