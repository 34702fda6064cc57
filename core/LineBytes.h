#pragma once

#include <cstdint>

// The bytes that shape every line on the chip's link: the monitor ends its
// command and answer lines with a carriage return (no line feed), and a
// space parts a command word from its parameter.
inline constexpr std::uint8_t CarriageReturn = 0x0D;
inline constexpr std::uint8_t Space = 0x20;
