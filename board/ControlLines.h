#pragma once

#include "HxTypes.h"

class DeviceLink;

// The chip's reset and program lines, worked through channel B of the bridge
// in bit mode. Each pattern opens channel B by ChannelBName when it is closed
// and leaves it open and current; callers that work on channel A select it
// again themselves.
class ControlLines {
  public:
    // Bits 7, 4 and 2 drive the chip; bit 2 is the reset line (low holds the
    // chip in reset), bit 4 the program line (low at release starts the boot
    // loader instead of the firmware).
    static constexpr std::uint8_t ControlLineMask = 0x94;
    static constexpr std::uint8_t ResetLine = 0x04;
    static constexpr std::uint8_t ProgramLine = 0x10;

    explicit ControlLines(DeviceLink& link);

    // The chip runs its firmware.
    void RunChip();
    // The chip runs its boot loader. Returns hx::Ok, hx::FailedToWrite when
    // a write to channel B did not complete, or hx::DeviceNotFound when the
    // board has no channel B.
    DriverStatus EnterBootLoader();
    // The chip is held in reset with its program line high.
    void HoldChipInReset();

  private:
    // False when channel B cannot be opened (a port with one channel only):
    // the patterns then touch nothing.
    bool prepareChannelB();
    void setBitMode();
    DriverStatus writePattern(std::uint8_t pattern);

    DeviceLink& link;
};
