#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The bridge divides its 3 MHz clock by 1 to 16383.875: the rates it can run
// at lie between these.
inline constexpr std::uint32_t LowestBridgeBaud = 184;
inline constexpr std::uint32_t HighestBridgeBaud = 3'000'000;

// A baud box's text as a rate: a whole decimal number, spaces around it
// allowed; nothing for any other text.
std::optional<std::uint32_t> BaudRateFromText(const QString& text);
