#pragma once

#include <array>
#include <cstdint>
#include <optional>

// The monitor's Set Baud Rate command carries the rate as three divisor bytes
// of the chip's 3 MHz serial clock: a 14-bit integer part in the first byte
// and the low six bits of the second, and the fraction in eighths spread over
// the second byte's two top bits and the third byte's bit 0.
using DivisorBytes = std::array<std::uint8_t, 3>;

// The bytes for a rate, or nothing when the divisor cannot select that rate:
// below 184 baud the integer part overflows into the fraction bits; above
// 3,000,000 it is 0; between 1,500,000 and 3,000,000 it is 1, which the chip
// reads as the fixed 2,000,000 whatever fraction comes with it, so only
// 2,000,000 itself is served there.
std::optional<DivisorBytes> BaudDivisorBytes(std::uint32_t baudRate);
