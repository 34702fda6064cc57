#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "HxTypes.h"

// One open channel of a bridge, as a backend serves it. Every operation
// returns the library's status; the driver table addresses it by handle.
class BridgeChannel {
  public:
    virtual ~BridgeChannel() = default;

    virtual DriverStatus read(std::uint8_t* buffer, std::uint32_t count,
                              std::uint32_t& bytesRead) = 0;
    virtual DriverStatus write(const std::uint8_t* buffer, std::uint32_t count,
                               std::uint32_t& bytesWritten) = 0;
    virtual DriverStatus queueStatus(std::uint32_t& waiting) = 0;
    virtual DriverStatus modemStatus(std::uint32_t& status) = 0;
    virtual DriverStatus setBaudRate(std::uint32_t rate) = 0;
    virtual DriverStatus setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                                std::uint8_t parity) = 0;
    virtual DriverStatus setFlowControl(std::uint16_t flow, std::uint8_t xon,
                                        std::uint8_t xoff) = 0;
    virtual DriverStatus setRts(bool high) = 0;
    virtual DriverStatus setDtr(bool high) = 0;
    virtual DriverStatus setChars(std::uint8_t eventChar, bool eventEnabled, std::uint8_t errorChar,
                                  bool errorEnabled) = 0;
    virtual DriverStatus setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) = 0;
    virtual DriverStatus setLatencyTimer(std::uint8_t milliseconds) = 0;
    virtual DriverStatus setBitMode(std::uint8_t mask, std::uint8_t mode) = 0;
    // Returns once received bytes are waiting to be read, or when the time is
    // up, whichever comes first: the driver's receive notification, so that a
    // polling loop can sleep instead of asking again and again.
    virtual DriverStatus waitForReceive(std::uint32_t timeoutUs) = 0;
    // Returns once the channel's transmit buffer has room for the bytes (or
    // is empty, for more than it holds), or when the time is up; room tells
    // which. A write of that many bytes then returns at once.
    virtual DriverStatus waitForTransmitRoom(std::uint32_t bytes, std::uint32_t timeoutUs,
                                             bool& room) = 0;
    // Releases the channel; the object is destroyed right after, whatever the status.
    virtual DriverStatus close() = 0;
};

// A source of bridge devices: the simulated boards, the computer's serial
// ports, a scripted fake in tests. Devices are listed by index, each with its
// description (a board's name followed by " A" or " B").
class DriverBackend {
  public:
    virtual ~DriverBackend() = default;

    virtual DriverStatus deviceCount(std::uint32_t& count) = 0;
    virtual DriverStatus deviceDescription(std::uint32_t index, std::string& description) = 0;
    virtual DriverStatus open(const std::string& description,
                              std::unique_ptr<BridgeChannel>& channel) = 0;
    // Why the last open failed, in a few words, when the backend knows more
    // than its status tells ("127.0.0.1:7000 refused the connection").
    virtual std::string openProblem() const { return {}; }
};
