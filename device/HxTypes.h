#pragma once

#include <cstdint>

// The driver library's own types: every operation takes 32-bit arguments and
// returns a 32-bit status; channels are addressed by opaque 32-bit handles.
using HxHandle = std::uint32_t;
using DriverStatus = std::uint32_t;

namespace hx {

constexpr DriverStatus Ok = 0;
constexpr DriverStatus InvalidHandle = 1;
constexpr DriverStatus DeviceNotFound = 2;
constexpr DriverStatus DeviceNotOpened = 3;
constexpr DriverStatus IoError = 4;
constexpr DriverStatus InsufficientResources = 5;
constexpr DriverStatus InvalidParameter = 6;
constexpr DriverStatus InvalidBaudRate = 7;
constexpr DriverStatus FailedToWrite = 10;
constexpr DriverStatus InvalidArgs = 16;
constexpr DriverStatus OtherError = 17;

// Flags of HX_ListDevices and HX_OpenEx.
constexpr std::uint32_t ListNumberOnly = 0x80000000;
constexpr std::uint32_t ListByIndex = 0x40000000;
constexpr std::uint32_t OpenByDescription = 2;

// The library writes at most this many bytes, terminator included, into the
// caller's buffer when it lists a description: longer ones are cut.
constexpr std::uint32_t DescriptionBufferSize = 50;

constexpr std::uint32_t FlowRtsCts = 0x0100;
constexpr std::uint32_t FlowNone = 0;

constexpr std::uint32_t ModemStatusCts = 0x10;
constexpr std::uint32_t ModemStatusDsr = 0x20;

constexpr std::uint8_t BitModeReset = 0;
constexpr std::uint8_t BitModeSynchronous = 4;

}  // namespace hx
