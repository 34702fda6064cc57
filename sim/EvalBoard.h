#pragma once

#include <cstdint>
#include <vector>

#include "BootLoader.h"
#include "SimBoard.h"
#include "SimChip.h"
#include "VirtualDisk.h"
#include "WireLeg.h"

// The evaluation board: channel A is the chip's serial link, channel B works
// the chip's reset and program lines in bit mode. Its behaviour is described
// at the top of EvalBoard.cpp.
class EvalBoard : public SimBoard {
  public:
    static constexpr std::uint8_t resetLineBit = 0x04;
    static constexpr std::uint8_t programLineBit = 0x10;
    // In data mode the chip's echo waits here; when it is full the chip
    // lowers CTS until its output has moved on.
    static constexpr std::size_t loopbackBufferSize = 4096;

    struct LineChange {
        std::int64_t timeNs = 0;
        bool reset = false;    // true: released
        bool program = false;  // true: high (the firmware starts)
    };

    EvalBoard(Clock& clock, std::string name);

    // --- Test interface ---
    SimChip::State chipState() const { return chip.state(); }
    std::uint32_t chipBaudRate() const { return chip.baudRate(); }
    const Flash& flash() const { return flashMemory; }
    VirtualDisk& disk() { return virtualDisk; }
    // The running monitor (to look at its modes), or null.
    MonitorFirmware* monitor() { return chip.monitor(); }
    BootLoaderFaults& bootLoaderFaults() { return loaderFaults; }
    // The chip stops answering: it swallows what arrives and sends nothing.
    void setChipSilent(bool silent);
    // The chip holds its CTS output low: with RTS/CTS handshake the bridge
    // stops sending on channel A, so writes fill the buffer and then stall.
    void setChipCtsLow(bool low);
    bool resetLine() const { return resetReleased; }
    bool programLine() const { return programHigh; }
    std::uint8_t outputLatch() const { return latch; }
    const std::vector<LineChange>& lineHistory() const { return lines; }

  protected:
    void advanceTo(std::int64_t now) override;
    std::int64_t nextEventNs() const override;
    std::uint32_t accept(ChannelId id, const std::uint8_t* bytes, std::uint32_t count) override;
    std::uint32_t modemLines(ChannelId id) override;
    void changed(ChannelId id) override;
    void bitModeSet(ChannelId id) override;

  private:
    bool chipOutputPaused() const;
    bool chipCtsLow() const;
    bool hostOutputPaused() const;
    void updateWire();
    void deliverToChip();
    void deliverToHost();
    void driveFromLatch();
    void setLines(bool reset, bool program);

    Flash flashMemory{};
    VirtualDisk virtualDisk;
    BootLoaderFaults loaderFaults;
    SimChip chip;
    WireLeg hostToChip;
    WireLeg chipToHost;
    std::int64_t simTime = 0;
    bool ctsLow = false;
    std::uint8_t latch = 0x00;
    bool resetReleased = false;
    bool programHigh = false;
    std::vector<LineChange> lines;
};
