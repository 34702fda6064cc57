#include "BootLink.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <functional>

#include "Clock.h"
#include "DeviceLink.h"
#include "HxDriver.h"
#include "IdleWait.h"

namespace {
constexpr std::uint8_t SyncRequest = 0xFF;
constexpr std::uint8_t SyncConfirm = 0xFA;
constexpr std::uint8_t BlockCommand = 0x03;
constexpr std::array<std::uint8_t, 6> SpeedChangeCommand = {0x01, 0x70, 0x17, 0x03, 0x00, 0x00};
constexpr std::uint32_t LinkTimeoutMs = 1000;
}  // namespace

BootLink::BootLink(DeviceLink& link, Clock& clock) : link(link), clock(clock) {}

DriverStatus BootLink::ConfigureBootLink(HxHandle handle, std::uint32_t baudRate) {
    const std::function<DriverStatus()> steps[] = {
        [&] { return HX_SetBaudRate(handle, baudRate); },
        [&] { return HX_SetDataCharacteristics(handle, 8, 0, 0); },
        [&] { return HX_SetFlowControl(handle, hx::FlowRtsCts, 0, 0); },
        [&] { return HX_SetRts(handle); },
        [&] { return HX_SetDtr(handle); },
    };
    for (const auto& step : steps) {
        if (const DriverStatus status = step(); status != hx::Ok) {
            return status;
        }
    }
    HX_SetTimeouts(handle, LinkTimeoutMs, LinkTimeoutMs);
    return hx::Ok;
}

bool BootLink::SyncBootLoader(HxHandle handle) {
    // The last byte received carries over from phase 1 into phase 2, as the
    // boot loader's echoes of 0xFF may still be arriving when 0xFA goes out.
    std::optional<std::uint8_t> lastReceived;
    TimeOfDay start = clock.timeOfDay();
    do {
        send(handle, &SyncRequest, 1);
        poll(handle, lastReceived);
        if (phaseTimedOut(start)) {
            return false;
        }
    } while (lastReceived != SyncRequest);

    send(handle, &SyncConfirm, 1);
    start = clock.timeOfDay();
    do {
        poll(handle, lastReceived);
        if (phaseTimedOut(start)) {
            return false;
        }
    } while (lastReceived != SyncConfirm);
    return true;
}

DriverStatus BootLink::SendSpeedChange(HxHandle handle) {
    const DriverStatus status = send(handle, SpeedChangeCommand.data(),
                                     static_cast<std::uint32_t>(SpeedChangeCommand.size()));
    // The boot loader switches its rate without answering; the pause gives it
    // the time to do so, whether or not the command went out whole.
    clock.sleep(SpeedChangePauseMs);
    return status;
}

void BootLink::SendBlockHeader(HxHandle handle, std::uint32_t blockAddress) {
    const std::array<std::uint8_t, 4> header = {
        BlockCommand, static_cast<std::uint8_t>(blockAddress & 0xFF),
        static_cast<std::uint8_t>((blockAddress >> 8) & 0xFF),
        static_cast<std::uint8_t>(BootBlockSize)};
    send(handle, header.data(), static_cast<std::uint32_t>(header.size()));
}

void BootLink::SendBlockData(HxHandle handle, const std::uint8_t* block) {
    constexpr std::uint32_t half = BootBlockSize / 2;
    send(handle, block, half);
    send(handle, block + half, half);
}

std::optional<std::uint8_t> BootLink::AwaitBootAnswer(HxHandle handle) {
    const std::int64_t deadline = clock.milliseconds() + AnswerTimeoutMs;
    for (;;) {
        if (HX_GetQueueStatus(handle, &link.RxQueueCount) == hx::Ok && link.RxQueueCount > 0) {
            std::uint32_t bytesRead = 0;
            HX_Read(handle, link.ReadBufferA.data(), 1, &bytesRead);
            if (bytesRead == 1) {
                return link.ReadBufferA[0];
            }
        }
        if (clock.milliseconds() >= deadline) {
            return std::nullopt;
        }
        WaitAfterIdlePass(handle);
    }
}

void BootLink::poll(HxHandle handle, std::optional<std::uint8_t>& lastReceived) {
    std::uint32_t bytesRead = 0;
    if (HX_GetQueueStatus(handle, &link.RxQueueCount) == hx::Ok && link.RxQueueCount > 0) {
        const std::uint32_t asked = std::min(link.RxQueueCount, DeviceLink::BufferSize);
        HX_Read(handle, link.ReadBufferA.data(), asked, &bytesRead);
        bytesRead = std::min(bytesRead, asked);
    }
    if (bytesRead > 0) {
        lastReceived = link.ReadBufferA[bytesRead - 1];
    } else {
        WaitAfterIdlePass(handle);
    }
    QCoreApplication::processEvents();
}

// A phase that runs across midnight would otherwise never time out.
bool BootLink::phaseTimedOut(const TimeOfDay& start) {
    return ElapsedMillisecondsWithinADay(clock.timeOfDay(), start) >= SyncPhaseTimeoutMs;
}

DriverStatus BootLink::send(HxHandle handle, const std::uint8_t* bytes, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        link.PutByteA(bytes[i]);
    }
    std::uint32_t written = 0;
    const DriverStatus status = link.FlushBufferA(handle, link.WriteCountA, written);
    // Each write is one message of the boot protocol; a remainder sent later
    // in front of the next message would be read as a different command.
    link.DropStagedA();
    return status;
}
