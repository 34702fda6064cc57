#include "DivisorToBaud.h"

#include <array>

namespace {

struct KnownDivisor {
    std::uint32_t divisor;
    std::uint32_t baudRate;
};

// The rates of the host's baud list (and 1,500,000): their divisors only
// approximate them, but the link runs at the listed figure.
constexpr std::array<KnownDivisor, 17> knownDivisors{{
    {0x2710, 300},
    {0x1388, 600},
    {0x09C4, 1200},
    {0x04E2, 2400},
    {0x0271, 4800},
    {0x4138, 9600},
    {0x809C, 19200},
    {0xC04E, 38400},
    {0xC034, 57600},
    {0x001A, 115200},
    {0x000D, 230400},
    {0x4006, 460800},
    {0x8003, 921600},
    {0x0003, 1000000},
    {0x0002, 1500000},
    {0x0001, 2000000},
    {0x0000, 3000000},
}};

// Indexed by the second byte's two top bits (bits 14-15) plus the third
// byte's bit 0 as bit 2: the eighths those three bits add to the divisor.
constexpr std::array<std::uint32_t, 8> eighthsByFractionBits{0, 4, 2, 1, 3, 5, 6, 7};

constexpr std::uint32_t baseClockInEighths = 24'000'000;  // 3,000,000 x 8

}  // namespace

std::uint32_t divisorToBaud(std::uint32_t divisor24) {
    const std::uint32_t divisor = divisor24 & 0xFFFFFF;
    for (const KnownDivisor& known : knownDivisors) {
        if (known.divisor == divisor) {
            return known.baudRate;
        }
    }
    const std::uint32_t integerPart = divisor & 0x3FFF;
    // The bridge cannot divide by less than two: 0 and 1 are fixed rates
    // whatever fraction bits come with them.
    if (integerPart == 0) {
        return 3'000'000;
    }
    if (integerPart == 1) {
        return 2'000'000;
    }
    const std::uint32_t fractionIndex = ((divisor >> 14) & 0x3) | (((divisor >> 16) & 0x1) << 2);
    const std::uint32_t eighths = integerPart * 8 + eighthsByFractionBits[fractionIndex];
    return (baseClockInEighths + eighths / 2) / eighths;
}
