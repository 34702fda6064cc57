#pragma once

#include <cstdint>

// The baud rate that the monitor's Set Baud Rate divisor selects. The divisor
// is the three bytes as they arrive, first byte in bits 0-7: a 14-bit integer
// part and three fraction bits that add eighths to it, dividing 3,000,000.
// Divisors of the host's baud list give that list's exact rate, so both ends
// of the link agree on the nominal figure.
std::uint32_t divisorToBaud(std::uint32_t divisor24);
