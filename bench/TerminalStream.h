#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// The stream the simulated chip sends the terminal in the benchmarks. It
// holds no carriage return, so every HEX line is a full 16 bytes: the most
// bytes and the fewest lines the pane can get per second. Any stretch of it
// can be made on its own, so a long stream is given to the chip in parts
// instead of being held whole.
std::vector<std::uint8_t> terminalStream(std::uint64_t first, std::size_t count);

// The HEX pane's line for these bytes, as the terminal shows it.
QString hexPaneLine(const std::uint8_t* bytes, int count);
