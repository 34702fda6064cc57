#pragma once

#include <cstdint>
#include <optional>

#include "HxTypes.h"

class Clock;
struct TimeOfDay;
class DeviceLink;

// The chip's boot loader as seen over channel A: line set-up, the two-phase
// synchronisation, the speed change and the block exchange. Every wait for
// the chip is bounded; nothing here shows a dialog.
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

    BootLink(DeviceLink& link, Clock& clock);

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
    void poll(HxHandle handle, std::optional<std::uint8_t>& lastReceived);
    bool phaseTimedOut(const TimeOfDay& start);
    DriverStatus send(HxHandle handle, const std::uint8_t* bytes, std::uint32_t count);

    DeviceLink& link;
    Clock& clock;
};
