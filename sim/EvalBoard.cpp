// The simulated evaluation board.
//
// Channel A and the chip's serial port are joined by a wire: bytes cross it
// one after another, each taking 10 bit times at its sender's rate (the
// bridge channel's rate one way, the chip's the other). A receiver whose rate
// differs from the sender's by more than 3 % reads every byte garbled.
// Written bytes wait in the bridge's 4 KiB transmit buffer until the wire has
// carried them.
//
// Flow control: with RTS/CTS handshake (0x100) set on channel A, the chip
// stops sending while RTS is low or channel A's receive queue is full, and
// goes on later without losing a byte; without it, bytes that find the queue
// full are dropped and counted. The chip's CTS output is high unless a test
// holds it low or, in data mode, the chip's data memory (64 MiB unless a test
// sets another size) is full of bytes waiting to leave it; under handshake
// channel A then stops sending, and a write stalls once the transmit buffer
// is full.
//
// DTR of channel A is the chip's command (low) / data mode (high) input; DSR
// (0x20) is the chip's acknowledgement, set in data mode once the running
// chip has seen DTR. CTS is reported as 0x10.
//
// Data mode: the monitor reads no commands. Every byte the chip receives is
// recorded for tests and echoed: it waits in the data memory and goes back
// out at the wire rate as flow control allows, so a file sent in data mode
// can be received back whole, however long the computer waits before reading.
// A test may switch the echo off; the chip then only records. A test may also
// give the chip bytes to send in data mode; they queue behind any echo.
//
// Channel B's output latch drives the chip's reset line (bit 2, low = held in
// reset) and program line (bit 4, low = boot loader) only in bit mode:
// - a byte written outside bit mode only loads the latch;
// - entering bit mode drives both lines from the latch (bits not in the mask
//   are released high); every byte written in bit mode drives them at once;
// - leaving bit mode (mode 0) releases both lines high: a chip held in reset
//   starts its firmware, a running chip keeps running;
// - closing channel B leaves the lines as they are; each open of channel B
//   starts outside bit mode with the latch as it was.
// Releasing the reset line starts the boot loader when the program line is
// low and the monitor firmware when it is high; pulling it low silences the
// chip and drops what it had queued to send.
//
// Power-up: the board holds the chip in reset (both lines low) and the latch
// is 0x00, so nothing runs until the program drives the lines; the terminal's
// first Open (0x14, bit mode, 0x14) starts the firmware and its sign-on.
#include "EvalBoard.h"

#include <algorithm>

EvalBoard::EvalBoard(Clock& clock, std::string name)
    : SimBoard(clock, std::move(name)), chip(flashMemory, virtualDisk, loaderFaults) {
    flashMemory.fill(0xFF);
    virtualDisk.seedSamples();
}

void EvalBoard::setChipSilent(bool silent) {
    advance();
    chip.setSilent(silent);
    updateWire();
}

void EvalBoard::setChipOffRate(std::uint32_t baudRate) {
    advance();
    chip.setOffRate(baudRate);
    updateWire();
}

void EvalBoard::setChipCtsLow(bool low) {
    advance();
    ctsLow = low;
    updateWire();
}

void EvalBoard::setDataMemory(std::size_t bytes) {
    advance();
    dataMemory = bytes;
    updateWire();
}

bool EvalBoard::sendInDataMode(const QByteArray& bytes) {
    advance();
    const bool queued = chip.sendData(bytes);
    updateWire();
    return queued;
}

bool EvalBoard::chipOutputPaused() const {
    const SimChannel& a = channel(ChannelId::A);
    return a.settings.rtsCtsHandshake() && (!a.settings.rts || a.receiveQueueFull());
}

bool EvalBoard::chipCtsLow() const {
    return ctsLow || (chip.dataMode() && chip.backlog() >= dataMemory);
}

bool EvalBoard::hostOutputPaused() const {
    return chipCtsLow() && channel(ChannelId::A).settings.rtsCtsHandshake();
}

void EvalBoard::updateWire() {
    const SimChannel& a = channel(ChannelId::A);
    hostToChip.update(!a.transmitBuffer.empty() && !hostOutputPaused(), simTime,
                      a.settings.baudRate);
    chip.applyDueBaudChanges();
    chipToHost.update(chip.hasByteToSend() && !chipOutputPaused(), simTime, chip.baudRate());
}

void EvalBoard::advanceTo(std::int64_t now) {
    while (true) {
        const std::int64_t toChip = hostToChip.arrival();
        const std::int64_t toHost = chipToHost.arrival();
        if (std::min(toChip, toHost) > now) {
            break;
        }
        if (toChip <= toHost) {
            simTime = toChip;
            deliverToChip();
        } else {
            simTime = toHost;
            deliverToHost();
        }
        updateWire();
    }
    simTime = std::max(simTime, now);
    updateWire();
}

std::int64_t EvalBoard::nextEventNs() const {
    return std::min(hostToChip.arrival(), chipToHost.arrival());
}

void EvalBoard::deliverToChip() {
    hostToChip.arrived();
    SimChannel& a = channel(ChannelId::A);
    if (a.transmitBuffer.empty()) {
        return;
    }
    const std::uint8_t sent = a.transmitBuffer.front();
    a.transmitBuffer.pop_front();
    chip.receive(wire::received(sent, a.settings.baudRate, chip.baudRate()));
    if (bytesBeforeSilence && (*bytesBeforeSilence)-- <= 1) {
        bytesBeforeSilence.reset();
        chip.setSilent(true);
    }
}

void EvalBoard::deliverToHost() {
    chipToHost.arrived();
    if (!chip.hasByteToSend()) {
        return;
    }
    SimChannel& a = channel(ChannelId::A);
    const std::uint32_t senderRate = chip.baudRate();
    const std::uint8_t sent = chip.takeByteToSend();
    a.deliver(wire::received(sent, senderRate, a.settings.baudRate), simTime);
}

std::uint32_t EvalBoard::accept(ChannelId id, const std::uint8_t* bytes, std::uint32_t count) {
    SimChannel& ch = channel(id);
    if (id == ChannelId::A) {
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(count, ch.transmitRoom()));
        ch.transmitBuffer.insert(ch.transmitBuffer.end(), bytes, bytes + n);
        return n;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        latch = bytes[i];
        if (ch.settings.bitMode) {
            driveFromLatch();
        }
    }
    return count;
}

std::uint32_t EvalBoard::modemLines(ChannelId id) {
    if (id == ChannelId::B) {
        return 0;
    }
    std::uint32_t status = chipCtsLow() ? 0 : hx::ModemStatusCts;
    if (chip.dsr()) {
        status |= hx::ModemStatusDsr;
    }
    return status;
}

void EvalBoard::changed(ChannelId id) {
    if (id == ChannelId::A) {
        chip.setDtrInput(channel(id).settings.dtr);
    }
    updateWire();
}

void EvalBoard::bitModeSet(ChannelId id) {
    if (id == ChannelId::B) {
        if (channel(id).settings.bitMode) {
            driveFromLatch();
        } else {
            setLines(true, true);
        }
    }
    updateWire();
}

void EvalBoard::driveFromLatch() {
    const std::uint8_t mask = channel(ChannelId::B).settings.bitMask;
    const bool reset = (mask & resetLineBit) == 0 || (latch & resetLineBit) != 0;
    const bool program = (mask & programLineBit) == 0 || (latch & programLineBit) != 0;
    setLines(reset, program);
}

void EvalBoard::powerLost() {
    latch = 0x00;
    setLines(false, false);
}

void EvalBoard::setLines(bool reset, bool program) {
    if (reset == resetReleased && program == programHigh) {
        return;
    }
    const bool released = reset && !resetReleased;
    resetReleased = reset;
    programHigh = program;
    lines.push_back({simTime, reset, program});
    if (!reset) {
        chip.holdInReset();
    } else if (released) {
        chip.startProgram(program);
    }
}
