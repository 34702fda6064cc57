#pragma once

#include <cstdint>

#include "HxTypes.h"

// The bridge driver library as the program calls it: eighteen operations with
// the library's own argument lists, dispatched to the installed backends.

// flags ListNumberOnly: arg1 is a std::uint32_t* that receives the device count.
// flags ListByIndex | OpenByDescription: arg1 is the index (cast to a pointer),
// arg2 a buffer of DescriptionBufferSize bytes for the zero-terminated description.
DriverStatus HX_ListDevices(void* arg1, void* arg2, std::uint32_t flags);
// flags OpenByDescription: arg1 is a zero-terminated description.
DriverStatus HX_OpenEx(void* arg1, std::uint32_t flags, HxHandle* handle);
DriverStatus HX_Close(HxHandle handle);
DriverStatus HX_Read(HxHandle handle, void* buffer, std::uint32_t count, std::uint32_t* bytesRead);
DriverStatus HX_Write(HxHandle handle, const void* buffer, std::uint32_t count,
                      std::uint32_t* bytesWritten);
DriverStatus HX_GetQueueStatus(HxHandle handle, std::uint32_t* rxWaiting);
DriverStatus HX_GetModemStatus(HxHandle handle, std::uint32_t* modemStatus);
DriverStatus HX_SetBaudRate(HxHandle handle, std::uint32_t baudRate);
DriverStatus HX_SetDataCharacteristics(HxHandle handle, std::uint8_t wordLength,
                                       std::uint8_t stopBits, std::uint8_t parity);
DriverStatus HX_SetFlowControl(HxHandle handle, std::uint16_t flowControl, std::uint8_t xon,
                               std::uint8_t xoff);
DriverStatus HX_SetRts(HxHandle handle);
DriverStatus HX_ClrRts(HxHandle handle);
DriverStatus HX_SetDtr(HxHandle handle);
DriverStatus HX_ClrDtr(HxHandle handle);
DriverStatus HX_SetChars(HxHandle handle, std::uint8_t eventChar, std::uint8_t eventEnabled,
                         std::uint8_t errorChar, std::uint8_t errorEnabled);
DriverStatus HX_SetTimeouts(HxHandle handle, std::uint32_t readTimeoutMs,
                            std::uint32_t writeTimeoutMs);
DriverStatus HX_SetLatencyTimer(HxHandle handle, std::uint8_t milliseconds);
DriverStatus HX_SetBitMode(HxHandle handle, std::uint8_t mask, std::uint8_t mode);

// Not one of the library's calls but its receive notification as the
// program uses it: returns once the driver reports received bytes on the
// handle, or after timeoutUs microseconds.
DriverStatus WaitForReceive(HxHandle handle, std::uint32_t timeoutUs);
// Likewise the driver's transmit notification: returns once a write of the
// given size would not block, or after timeoutUs microseconds.
DriverStatus WaitForTransmitRoom(HxHandle handle, std::uint32_t bytes, std::uint32_t timeoutUs,
                                 bool& room);
