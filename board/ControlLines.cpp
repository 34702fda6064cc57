#include "ControlLines.h"

#include "DeviceLink.h"
#include "HxDriver.h"

namespace {
constexpr std::uint8_t RunPattern = ControlLines::ResetLine | ControlLines::ProgramLine;
constexpr std::uint8_t ResetWithProgramLineLow = 0x00;
constexpr std::uint8_t ReleaseIntoBootLoader = ControlLines::ResetLine;
constexpr std::uint8_t HoldInResetPattern = ControlLines::ProgramLine;
}  // namespace

ControlLines::ControlLines(DeviceLink& link) : link(link) {}

void ControlLines::RunChip() {
    if (!prepareChannelB()) {
        return;
    }
    // The output latch already holds the run pattern when the bit mode turns
    // the lines into outputs, so they come up high instead of briefly in reset.
    writePattern(RunPattern);
    setBitMode();
    writePattern(RunPattern);
}

DriverStatus ControlLines::EnterBootLoader() {
    if (!prepareChannelB()) {
        return hx::DeviceNotFound;
    }
    setBitMode();
    const DriverStatus status = writePattern(ResetWithProgramLineLow);
    if (status != hx::Ok) {
        return status;
    }
    return writePattern(ReleaseIntoBootLoader);
}

void ControlLines::HoldChipInReset() {
    if (!prepareChannelB()) {
        return;
    }
    setBitMode();
    writePattern(HoldInResetPattern);
}

bool ControlLines::prepareChannelB() {
    // A channel B that is listed but fails to open has been reported by the
    // open; without a handle, every call after it would only fail again.
    if (!link.OpenChannelB()) {
        return false;
    }
    link.SelectChannelB();
    link.LowerDtr();
    link.LowerRts();
    return true;
}

void ControlLines::setBitMode() {
    HX_SetBitMode(link.HandleB, ControlLineMask, hx::BitModeSynchronous);
}

DriverStatus ControlLines::writePattern(std::uint8_t pattern) {
    link.PutByteB(pattern);
    const DriverStatus status = link.SendStagedB();
    // A line state that did not go out is dropped: sent late, in front of
    // the next pattern, it would pulse the chip's lines out of order.
    link.DropStagedB();
    return status;
}
