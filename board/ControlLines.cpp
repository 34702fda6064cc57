#include "ControlLines.h"

#include "ChannelOpening.h"
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
    prepareChannelB();
    // The output latch already holds the run pattern when the bit mode turns
    // the lines into outputs, so they come up high instead of briefly in reset.
    writePattern(RunPattern);
    setBitMode();
    writePattern(RunPattern);
}

DriverStatus ControlLines::EnterBootLoader() {
    prepareChannelB();
    setBitMode();
    const DriverStatus status = writePattern(ResetWithProgramLineLow);
    if (status != hx::Ok) {
        return status;
    }
    return writePattern(ReleaseIntoBootLoader);
}

void ControlLines::HoldChipInReset() {
    prepareChannelB();
    setBitMode();
    writePattern(HoldInResetPattern);
}

void ControlLines::prepareChannelB() {
    // Whether the open worked shows in the calls that follow: each reports
    // its own failure.
    OpenChannelIfClosed(link, link.ChannelBName, link.HandleB, link.ChannelBOpen);
    link.SelectChannelB();
    link.LowerDtr();
    link.LowerRts();
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
