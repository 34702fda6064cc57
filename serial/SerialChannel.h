#pragma once

#include <QString>
#include <memory>

#include "DriverBackend.h"
#include "SerialPortIo.h"

// One serial port of the computer as a bridge channel.
//
// A serial port has no bit mode. Channel B of the board drives the chip's
// reset line (bit 2 of a pattern) and program line (bit 4); on a serial
// adapter those lines are its RTS and DTR outputs. So the synchronous bit
// mode puts the channel in pin mode, where every byte written is a pattern
// applied to RTS and DTR instead of data. The outputs are active low: a line
// the pattern drives high is the output de-asserted. Lines outside the mask
// are released high. In pin mode the pattern alone drives the lines, so the
// program's own RTS and DTR calls leave them alone; mode 0 returns to serial
// mode and releases both lines high.
//
// Once the device has gone away every call fails with status 4 at once.
class SerialChannel : public BridgeChannel {
  public:
    static constexpr std::uint32_t highestBaudRate = 3'000'000;
    static constexpr std::uint32_t defaultWriteTimeoutMs = 5000;
    static constexpr std::uint32_t modemRing = 0x40;
    static constexpr std::uint32_t modemCarrier = 0x80;

    // latencyTimerPath: the system's latency timer for the port, or empty
    // when it has none the program may set.
    SerialChannel(std::unique_ptr<SerialPortIo> port, QString latencyTimerPath = {});

    DriverStatus read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& bytesRead) override;
    DriverStatus write(const std::uint8_t* buffer, std::uint32_t count,
                       std::uint32_t& bytesWritten) override;
    DriverStatus queueStatus(std::uint32_t& waiting) override;
    DriverStatus modemStatus(std::uint32_t& status) override;
    DriverStatus setBaudRate(std::uint32_t rate) override;
    DriverStatus setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                        std::uint8_t parity) override;
    DriverStatus setFlowControl(std::uint16_t flow, std::uint8_t xon, std::uint8_t xoff) override;
    DriverStatus setRts(bool high) override;
    DriverStatus setDtr(bool high) override;
    DriverStatus setChars(std::uint8_t eventChar, bool eventEnabled, std::uint8_t errorChar,
                          bool errorEnabled) override;
    DriverStatus setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override;
    DriverStatus setLatencyTimer(std::uint8_t milliseconds) override;
    DriverStatus setBitMode(std::uint8_t mask, std::uint8_t mode) override;
    DriverStatus waitForReceive(std::uint32_t timeoutUs) override;
    DriverStatus waitForTransmitRoom(std::uint32_t bytes, std::uint32_t timeoutUs,
                                     bool& room) override;
    DriverStatus close() override;

  private:
    template <typename Call>
    DriverStatus guarded(Call&& call);
    bool applyPattern(std::uint8_t pattern);
    bool releaseLines();

    std::unique_ptr<SerialPortIo> port;
    QString latencyTimerPath;
    std::uint32_t readTimeoutMs = 0;
    std::uint32_t writeTimeoutMs = 0;
    bool pinMode = false;
    std::uint8_t pinMask = 0;
};
