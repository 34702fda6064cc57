#pragma once

#include <QByteArray>
#include <cstdint>
#include <deque>
#include <memory>

#include "BootLoader.h"
#include "ChipLink.h"
#include "ChipProgram.h"
#include "MonitorFirmware.h"
#include "VirtualDisk.h"

// The chip on the evaluation board: its reset state, the program it runs, its
// serial port (a transmit queue in which baud changes wait their turn) and
// its DTR input.
//
// - Held in reset it is silent, ignores what arrives and has no DSR.
// - Coming out of reset it starts a fresh boot loader or monitor; whatever it
//   had queued to send is gone.
// - In data mode (DTR high) the monitor does not see what arrives: every
//   byte is added to the data record and, unless echo is off, queued to go
//   straight back out. Bytes a test gives the chip in data mode are queued
//   the same way. The boot loader ignores DTR. DSR follows DTR as soon as the
//   running chip has seen it.
// - Silenced by a test, it swallows what arrives and sends nothing.
class SimChip : public ChipLink {
  public:
    enum class State { HeldInReset, BootLoader, Monitor };

    SimChip(Flash& flash, VirtualDisk& disk, const BootLoaderFaults& faults);

    void holdInReset();
    void startProgram(bool programLine);
    void receive(std::uint8_t byte);
    void setDtrInput(bool high);

    State state() const { return currentState; }
    bool dsr() const { return currentState != State::HeldInReset && dataModeSeen; }
    // The rate the chip's serial port runs at: the one its program chose,
    // unless a test has put the port off its rate.
    std::uint32_t baudRate() const { return offRate != 0 ? offRate : rate; }
    // The port runs at this rate whatever its program asks (0: as asked), as
    // with a wrong crystal or a rate change the chip never made.
    void setOffRate(std::uint32_t baudRate) { offRate = baudRate; }
    // Applies the baud changes that nothing queued waits behind.
    void applyDueBaudChanges();
    bool hasByteToSend() const;
    // The bytes queued to leave the chip.
    std::size_t backlog() const { return outgoing.size(); }
    std::uint8_t takeByteToSend();
    // Queues bytes to send, only while the monitor runs in data mode.
    bool sendData(const QByteArray& bytes);
    void setDataEcho(bool on) { echo = on; }
    // Every byte received in data mode since the last clear.
    const QByteArray& dataRecord() const { return received; }
    void clearDataRecord() { received.clear(); }
    // The running monitor, or null when the chip runs something else.
    MonitorFirmware* monitor() { return monitorFirmware.get(); }
    BootLoader* bootLoader() { return loader.get(); }

    void setSilent(bool silent);
    bool silent() const { return isSilent; }

    // --- ChipLink ---
    void transmit(std::uint8_t byte) override;
    void changeBaudRate(std::uint32_t baudRate) override;
    bool dataMode() const override { return dataModeSeen; }

  private:
    // A rate that applies once the given count of bytes has left the chip.
    struct RateChange {
        std::uint64_t afterBytes = 0;
        std::uint32_t rate = 0;
    };

    ChipProgram* program();
    bool monitorInDataMode() const;
    void dropQueued();

    Flash& flash;
    VirtualDisk& disk;
    const BootLoaderFaults& faults;
    State currentState = State::HeldInReset;
    std::unique_ptr<BootLoader> loader;
    std::unique_ptr<MonitorFirmware> monitorFirmware;
    // Bytes and rate changes apart: a data-mode stream may hold megabytes.
    std::deque<std::uint8_t> outgoing;
    std::deque<RateChange> rateChanges;
    std::uint64_t bytesSent = 0;
    QByteArray received;
    bool echo = true;
    std::uint32_t rate = MonitorFirmware::startBaudRate;
    std::uint32_t offRate = 0;
    bool dtrInput = false;
    bool dataModeSeen = false;
    bool isSilent = false;
};
