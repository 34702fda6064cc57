#include "BaudDivisor.h"

#include "BridgeBaudRate.h"

namespace {

constexpr std::uint32_t SerialClock = 3'000'000;

struct FractionBits {
    std::uint32_t upToThousandths;  // inclusive upper bound of the row
    std::uint8_t secondByteBits;
    std::uint8_t thirdByte;
};

// The remainder of the division in thousandths, rounded to eighths. The row
// for six eighths reaches up to 817, as the chip's table has it.
constexpr std::array<FractionBits, 8> fractionTable{{
    {62, 0x00, 0x00},
    {187, 0xC0, 0x00},
    {312, 0x80, 0x00},
    {437, 0x00, 0x01},
    {562, 0x40, 0x00},
    {687, 0x40, 0x01},
    {817, 0x80, 0x01},
    {999, 0xC0, 0x01},
}};

const FractionBits& fractionFor(std::uint32_t thousandths) {
    for (const FractionBits& row : fractionTable) {
        if (thousandths <= row.upToThousandths) {
            return row;
        }
    }
    return fractionTable.back();
}

bool selectable(std::uint32_t baudRate) {
    if (baudRate < LowestBridgeBaud || baudRate > HighestBridgeBaud) {
        return false;
    }
    const bool integerPartIsOne = SerialClock / baudRate == 1;
    return !integerPartIsOne || baudRate == 2'000'000 || baudRate == 3'000'000;
}

}  // namespace

std::optional<DivisorBytes> BaudDivisorBytes(std::uint32_t baudRate) {
    if (!selectable(baudRate)) {
        return std::nullopt;
    }
    if (baudRate == 3'000'000) {
        return DivisorBytes{0x00, 0x00, 0x00};
    }
    if (baudRate == 2'000'000) {
        return DivisorBytes{0x01, 0x00, 0x00};
    }
    const std::uint32_t integerPart = SerialClock / baudRate;
    const std::uint32_t thousandths = SerialClock % baudRate * 1000 / baudRate;
    const auto high = static_cast<std::uint8_t>((integerPart >> 8) & 0xFF);
    const FractionBits& fraction = fractionFor(thousandths);
    return DivisorBytes{static_cast<std::uint8_t>(integerPart & 0xFF),
                        static_cast<std::uint8_t>(high | fraction.secondByteBits),
                        fraction.thirdByte};
}
