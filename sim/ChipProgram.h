#pragma once

#include <cstdint>

// A program the simulated chip runs once its reset line is released: the boot
// loader (program line low) or the monitor firmware (program line high).
class ChipProgram {
  public:
    virtual ~ChipProgram() = default;

    // The chip has just come out of reset into this program.
    virtual void start() = 0;
    // One byte that arrived whole and ungarbled on the chip's serial input.
    virtual void receive(std::uint8_t byte) = 0;
    // The chip's DTR input changed (command mode low, data mode high).
    virtual void dataModeChanged(bool dataMode) { (void)dataMode; }
};
