#pragma once

#include <optional>

#include <QByteArray>
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
    // In data mode the chip lowers CTS while this many bytes wait to leave it.
    static constexpr std::size_t defaultDataMemory = 64 * 1024 * 1024;

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
    // The flash as a board kept between runs left it.
    void loadFlash(const Flash& bytes) { flashMemory = bytes; }
    // Bytes the chip still has to send, the one on the wire included.
    std::size_t chipBacklog() const { return chip.backlog(); }
    VirtualDisk& disk() { return virtualDisk; }
    // The running monitor (to look at its modes), or null.
    MonitorFirmware* monitor() { return chip.monitor(); }
    BootLoaderFaults& bootLoaderFaults() { return loaderFaults; }
    // The chip stops answering: it swallows what arrives and sends nothing.
    void setChipSilent(bool silent);
    // The chip falls silent once it has received this many more bytes, as a
    // board that stops answering in the middle of a job.
    void silenceChipAfter(std::uint64_t bytes) { bytesBeforeSilence = bytes; }
    // The chip's serial port runs at this rate whatever it was told (0: as
    // told): the two ends of the wire then disagree and every byte garbles.
    void setChipOffRate(std::uint32_t baudRate);
    // The chip holds its CTS output low: with RTS/CTS handshake the bridge
    // stops sending on channel A, so writes fill the buffer and then stall.
    void setChipCtsLow(bool low);
    // How many bytes may wait to leave the chip in data mode before it lowers
    // CTS (a small memory makes an unread echo stall the writer early).
    void setDataMemory(std::size_t bytes);
    // Off: the chip keeps what it receives in data mode but sends nothing back.
    void setDataEcho(bool on) { chip.setDataEcho(on); }
    // Every byte the chip received in data mode since the last clear, as it
    // read them off the wire.
    const QByteArray& dataReceived() const { return chip.dataRecord(); }
    void clearDataReceived() { chip.clearDataRecord(); }
    // The chip sends the bytes after whatever it has queued, as flow control
    // lets it; false (nothing queued) unless the monitor runs in data mode.
    bool sendInDataMode(const QByteArray& bytes);
    bool resetLine() const { return resetReleased; }
    bool programLine() const { return programHigh; }
    std::uint8_t outputLatch() const { return latch; }
    const std::vector<LineChange>& lineHistory() const { return lines; }

  protected:
    void advanceTo(std::int64_t now) override;
    // The bridge's output latch and the chip's lines drop: the chip is held
    // in reset, and its monitor starts afresh (at its start rate) only when
    // the program lets it run again.
    void powerLost() override;
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
    std::optional<std::uint64_t> bytesBeforeSilence;
    VirtualDisk virtualDisk;
    BootLoaderFaults loaderFaults;
    SimChip chip;
    WireLeg hostToChip;
    WireLeg chipToHost;
    std::int64_t simTime = 0;
    bool ctsLow = false;
    std::size_t dataMemory = defaultDataMemory;
    std::uint8_t latch = 0x00;
    bool resetReleased = false;
    bool programHigh = false;
    std::vector<LineChange> lines;
};
