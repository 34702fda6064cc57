#pragma once

#include <array>
#include <cstdint>
#include <optional>

// The three divisor bytes (bits 0-7 first) of a Set Baud Rate command that
// the monitor reads as exactly this rate, or nothing when no divisor selects
// it.
std::optional<std::array<std::uint8_t, 3>> SetBaudDivisorFor(std::uint32_t baudRate);
