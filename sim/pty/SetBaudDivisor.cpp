#include "SetBaudDivisor.h"

#include "DivisorToBaud.h"

// Asking the monitor's own reading of every divisor guarantees that the chip
// lands on the rate the line is set to, including the rates whose divisors
// only approximate them.
std::optional<std::array<std::uint8_t, 3>> SetBaudDivisorFor(std::uint32_t baudRate) {
    constexpr std::uint32_t divisorValues = 1u << 17;  // 14 integer bits, 3 fraction bits
    for (std::uint32_t divisor = 0; divisor < divisorValues; ++divisor) {
        if (divisorToBaud(divisor) == baudRate) {
            return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(divisor & 0xFF),
                                               static_cast<std::uint8_t>((divisor >> 8) & 0xFF),
                                               static_cast<std::uint8_t>(divisor >> 16)};
        }
    }
    return std::nullopt;
}
