#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "HxTypes.h"

class DeviceLink;
class ModeLoop;
class StopToken;

// The chip's boot loader as seen over channel A: line set-up, the two-phase
// synchronisation, the speed change and the block exchange. Every wait for
// the chip runs on the programmer's loop, bounded, and ends early when the
// run's stop token is set; nothing here shows a dialog.
class BootLink {
  public:
    static constexpr std::uint32_t SlowBootRate = 115'200;
    static constexpr std::uint32_t FastBootRate = 1'000'000;
    static constexpr std::uint32_t BootBlockSize = 128;
    static constexpr std::uint8_t BlockAcknowledge = 0x02;
    // Matches the 1000 ms read and write time-outs of the link.
    static constexpr int AnswerTimeoutMs = 1000;
    static constexpr int SyncPhaseTimeoutMs = 2000;
    static constexpr int SpeedChangePauseMs = 1000;

    BootLink(DeviceLink& link, ModeLoop& loop, const StopToken& stop);

    DriverStatus ConfigureBootLink(HxHandle handle, std::uint32_t baudRate);
    bool SyncBootLoader(HxHandle handle);
    // hx::Ok when all six bytes were written, else hx::FailedToWrite.
    DriverStatus SendSpeedChange(HxHandle handle);
    void SendBlockHeader(HxHandle handle, std::uint32_t blockAddress);
    // One block of BootBlockSize bytes, as two writes of half a block each.
    void SendBlockData(HxHandle handle, const std::uint8_t* block);
    // The one answer byte, or nothing when none came within AnswerTimeoutMs.
    std::optional<std::uint8_t> AwaitBootAnswer(HxHandle handle);

  private:
    // Reads everything waiting; the number of bytes read.
    std::uint32_t poll(HxHandle handle, std::optional<std::uint8_t>& lastReceived);
    // Polls, after each sendFirst(), until the last byte received is
    // expected or the phase's two seconds are over.
    bool syncPhase(HxHandle handle, std::uint8_t expected,
                   std::optional<std::uint8_t>& lastReceived,
                   const std::function<void()>& sendFirst);
    DriverStatus send(HxHandle handle, const std::uint8_t* bytes, std::uint32_t count);

    DeviceLink& link;
    ModeLoop& loop;
    const StopToken& stop;
    // What the boot loader echoed during synchronisation: everything waiting
    // is read at once, and only the last byte counts.
    std::vector<std::uint8_t> syncEchoes = std::vector<std::uint8_t>(65536);
};
