#pragma once

#include <cstdint>

// The chip's serial port as the programs running on the simulated chip (boot
// loader, monitor firmware) see it. Bytes queued here leave the chip in order
// at the chip's current baud rate, paced by the wire and by the host's RTS.
class ChipLink {
  public:
    virtual ~ChipLink() = default;

    virtual void transmit(std::uint8_t byte) = 0;
    // Takes effect once every byte transmitted before it has left the chip,
    // so an answer goes out at the old rate and what follows at the new one.
    virtual void changeBaudRate(std::uint32_t baudRate) = 0;
    // Data mode: the chip's DTR input is high (the host asked for data mode).
    virtual bool dataMode() const = 0;
};
