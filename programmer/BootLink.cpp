#include "BootLink.h"

#include <algorithm>
#include <array>
#include <functional>

#include "Clock.h"
#include "DeviceLink.h"
#include "HxDriver.h"
#include "ModeLoop.h"

namespace {
constexpr std::uint8_t SyncRequest = 0xFF;
constexpr std::uint8_t SyncConfirm = 0xFA;
constexpr std::uint8_t BlockCommand = 0x03;
constexpr std::array<std::uint8_t, 6> SpeedChangeCommand = {0x01, 0x70, 0x17, 0x03, 0x00, 0x00};
constexpr std::uint32_t LinkTimeoutMs = 1000;
}  // namespace

BootLink::BootLink(DeviceLink& link, ModeLoop& loop, const StopToken& stop)
    : link(link), loop(loop), stop(stop) {}

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
    if (!syncPhase(handle, SyncRequest, lastReceived, [&] { send(handle, &SyncRequest, 1); })) {
        return false;
    }
    send(handle, &SyncConfirm, 1);
    return syncPhase(handle, SyncConfirm, lastReceived, [] {});
}

// The phase's time runs from its start however many bytes come: a boot
// loader that echoes wrong bytes for ever must not hold it open. The time is
// looked at before the byte: one that comes with the end of the phase is late.
bool BootLink::syncPhase(HxHandle handle, std::uint8_t expected,
                         std::optional<std::uint8_t>& lastReceived,
                         const std::function<void()>& sendFirst) {
    const WaitEnd end = loop.await(stop, WaitBound::deadline(SyncPhaseTimeoutMs), {handle}, [&] {
        sendFirst();
        const std::uint32_t read = poll(handle, lastReceived);
        if (lastReceived == expected) {
            return Step::Done;
        }
        return read > 0 ? Step::Progress : Step::Nothing;
    });
    return end == WaitEnd::Done;
}

DriverStatus BootLink::SendSpeedChange(HxHandle handle) {
    const DriverStatus status = send(handle, SpeedChangeCommand.data(),
                                     static_cast<std::uint32_t>(SpeedChangeCommand.size()));
    // The boot loader switches its rate without answering; the pause gives it
    // the time to do so, whether or not the command went out whole.
    loop.clock().sleep(SpeedChangePauseMs);
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
    // Nothing comes before the one answer byte: its silence is its deadline,
    // and an answer read at the end of it still counts.
    std::optional<std::uint8_t> answer;
    loop.await(stop, WaitBound::silence(AnswerTimeoutMs), {handle}, [&] {
        std::uint32_t waiting = 0;
        if (HX_GetQueueStatus(handle, &waiting) == hx::Ok && waiting > 0) {
            std::uint8_t byte = 0;
            std::uint32_t bytesRead = 0;
            HX_Read(handle, &byte, 1, &bytesRead);
            if (bytesRead == 1) {
                answer = byte;
                return Step::Done;
            }
        }
        return Step::Nothing;
    });
    return answer;
}

std::uint32_t BootLink::poll(HxHandle handle, std::optional<std::uint8_t>& lastReceived) {
    std::uint32_t waiting = 0;
    std::uint32_t bytesRead = 0;
    if (HX_GetQueueStatus(handle, &waiting) == hx::Ok && waiting > 0) {
        const auto asked =
            static_cast<std::uint32_t>(std::min<std::size_t>(waiting, syncEchoes.size()));
        HX_Read(handle, syncEchoes.data(), asked, &bytesRead);
        bytesRead = std::min(bytesRead, asked);
    }
    if (bytesRead > 0) {
        lastReceived = syncEchoes[bytesRead - 1];
    }
    return bytesRead;
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
