#pragma once

#include <cstdint>

// How bytes cross a serial wire between two ends that each believe in their
// own baud rate: 10 bits per byte at the sender's rate, and a byte read by a
// receiver whose rate is off by more than a few percent comes out wrong.
namespace wire {

// Beyond this relative difference a receiver samples the wrong bits.
constexpr double rateTolerance = 0.03;

constexpr std::int64_t bitsPerByte = 10;

std::int64_t byteTimeNs(std::uint32_t baudRate);
bool ratesAgree(std::uint32_t senderRate, std::uint32_t receiverRate);
// The byte as the receiver reads it: the byte itself when the rates agree,
// otherwise a value fixed by the byte and the two rates, never the byte itself.
std::uint8_t received(std::uint8_t byte, std::uint32_t senderRate, std::uint32_t receiverRate);

}  // namespace wire
