#include "HxDriver.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "DriverRegistry.h"

namespace {

DriverRegistry& registry() {
    return DriverRegistry::instance();
}

// Runs an operation on the channel behind a handle, or fails as the library
// does for a handle it never gave out or already closed.
template <typename Operation>
DriverStatus onChannel(HxHandle handle, Operation operation) {
    BridgeChannel* channel = registry().channel(handle);
    return channel ? operation(*channel) : hx::InvalidHandle;
}

DriverStatus listDescription(std::uint32_t index, char* buffer) {
    std::string description;
    if (const DriverStatus status = registry().deviceDescription(index, description);
        status != hx::Ok) {
        return status;
    }
    const std::size_t length =
        std::min<std::size_t>(description.size(), hx::DescriptionBufferSize - 1);
    std::memcpy(buffer, description.data(), length);
    buffer[length] = '\0';
    return hx::Ok;
}

}  // namespace

DriverStatus HX_ListDevices(void* arg1, void* arg2, std::uint32_t flags) {
    if (flags & hx::ListNumberOnly) {
        if (arg1 == nullptr) {
            return hx::InvalidParameter;
        }
        return registry().deviceCount(*static_cast<std::uint32_t*>(arg1));
    }
    if ((flags & hx::ListByIndex) && (flags & hx::OpenByDescription)) {
        if (arg2 == nullptr) {
            return hx::InvalidParameter;
        }
        const auto index = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(arg1));
        return listDescription(index, static_cast<char*>(arg2));
    }
    return hx::InvalidParameter;
}

DriverStatus HX_OpenEx(void* arg1, std::uint32_t flags, HxHandle* handle) {
    if (arg1 == nullptr || handle == nullptr || flags != hx::OpenByDescription) {
        return hx::InvalidParameter;
    }
    return registry().open(static_cast<const char*>(arg1), *handle);
}

DriverStatus HX_Close(HxHandle handle) {
    return registry().close(handle);
}

DriverStatus HX_Read(HxHandle handle, void* buffer, std::uint32_t count, std::uint32_t* bytesRead) {
    return onChannel(handle, [&](BridgeChannel& channel) {
        return channel.read(static_cast<std::uint8_t*>(buffer), count, *bytesRead);
    });
}

DriverStatus HX_Write(HxHandle handle, const void* buffer, std::uint32_t count,
                      std::uint32_t* bytesWritten) {
    return onChannel(handle, [&](BridgeChannel& channel) {
        return channel.write(static_cast<const std::uint8_t*>(buffer), count, *bytesWritten);
    });
}

DriverStatus HX_GetQueueStatus(HxHandle handle, std::uint32_t* rxWaiting) {
    return onChannel(handle,
                     [&](BridgeChannel& channel) { return channel.queueStatus(*rxWaiting); });
}

DriverStatus HX_GetModemStatus(HxHandle handle, std::uint32_t* modemStatus) {
    return onChannel(handle,
                     [&](BridgeChannel& channel) { return channel.modemStatus(*modemStatus); });
}

DriverStatus HX_SetBaudRate(HxHandle handle, std::uint32_t baudRate) {
    return onChannel(handle, [&](BridgeChannel& channel) { return channel.setBaudRate(baudRate); });
}

DriverStatus HX_SetDataCharacteristics(HxHandle handle, std::uint8_t wordLength,
                                       std::uint8_t stopBits, std::uint8_t parity) {
    return onChannel(handle, [&](BridgeChannel& channel) {
        return channel.setDataCharacteristics(wordLength, stopBits, parity);
    });
}

DriverStatus HX_SetFlowControl(HxHandle handle, std::uint16_t flowControl, std::uint8_t xon,
                               std::uint8_t xoff) {
    return onChannel(handle, [&](BridgeChannel& channel) {
        return channel.setFlowControl(flowControl, xon, xoff);
    });
}

DriverStatus HX_SetRts(HxHandle handle) {
    return onChannel(handle, [](BridgeChannel& channel) { return channel.setRts(true); });
}

DriverStatus HX_ClrRts(HxHandle handle) {
    return onChannel(handle, [](BridgeChannel& channel) { return channel.setRts(false); });
}

DriverStatus HX_SetDtr(HxHandle handle) {
    return onChannel(handle, [](BridgeChannel& channel) { return channel.setDtr(true); });
}

DriverStatus HX_ClrDtr(HxHandle handle) {
    return onChannel(handle, [](BridgeChannel& channel) { return channel.setDtr(false); });
}

DriverStatus HX_SetChars(HxHandle handle, std::uint8_t eventChar, std::uint8_t eventEnabled,
                         std::uint8_t errorChar, std::uint8_t errorEnabled) {
    return onChannel(handle, [&](BridgeChannel& channel) {
        return channel.setChars(eventChar, eventEnabled != 0, errorChar, errorEnabled != 0);
    });
}

DriverStatus HX_SetTimeouts(HxHandle handle, std::uint32_t readTimeoutMs,
                            std::uint32_t writeTimeoutMs) {
    return onChannel(handle, [&](BridgeChannel& channel) {
        return channel.setTimeouts(readTimeoutMs, writeTimeoutMs);
    });
}

DriverStatus HX_SetLatencyTimer(HxHandle handle, std::uint8_t milliseconds) {
    return onChannel(handle,
                     [&](BridgeChannel& channel) { return channel.setLatencyTimer(milliseconds); });
}

DriverStatus HX_SetBitMode(HxHandle handle, std::uint8_t mask, std::uint8_t mode) {
    return onChannel(handle,
                     [&](BridgeChannel& channel) { return channel.setBitMode(mask, mode); });
}

DriverStatus WaitForReceive(HxHandle handle, std::uint32_t timeoutUs) {
    return onChannel(handle,
                     [&](BridgeChannel& channel) { return channel.waitForReceive(timeoutUs); });
}

DriverStatus WaitForTransmitRoom(HxHandle handle, std::uint32_t bytes, std::uint32_t timeoutUs,
                                 bool& room) {
    room = false;
    return onChannel(handle, [&](BridgeChannel& channel) {
        return channel.waitForTransmitRoom(bytes, timeoutUs, room);
    });
}
