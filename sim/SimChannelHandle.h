#pragma once

#include <memory>

#include "DriverBackend.h"
#include "SimBoard.h"

// One open channel of a simulated board, as the driver table holds it. It
// keeps its board alive, so a handle the program forgot to close stays safe.
class SimChannelHandle : public BridgeChannel {
  public:
    SimChannelHandle(std::shared_ptr<SimBoard> board, ChannelId id)
        : board(std::move(board)), id(id) {}

    DriverStatus read(std::uint8_t* buffer, std::uint32_t count,
                      std::uint32_t& bytesRead) override {
        return board->read(id, buffer, count, bytesRead);
    }
    DriverStatus write(const std::uint8_t* buffer, std::uint32_t count,
                       std::uint32_t& bytesWritten) override {
        return board->write(id, buffer, count, bytesWritten);
    }
    DriverStatus queueStatus(std::uint32_t& waiting) override {
        return board->queueStatus(id, waiting);
    }
    DriverStatus modemStatus(std::uint32_t& status) override {
        return board->modemStatus(id, status);
    }
    DriverStatus setBaudRate(std::uint32_t rate) override { return board->setBaudRate(id, rate); }
    DriverStatus setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                        std::uint8_t parity) override {
        return board->setDataCharacteristics(id, wordLength, stopBits, parity);
    }
    DriverStatus setFlowControl(std::uint16_t flow, std::uint8_t xon, std::uint8_t xoff) override {
        return board->setFlowControl(id, flow, xon, xoff);
    }
    DriverStatus setRts(bool high) override { return board->setRts(id, high); }
    DriverStatus setDtr(bool high) override { return board->setDtr(id, high); }
    DriverStatus setChars(std::uint8_t eventChar, bool eventEnabled, std::uint8_t errorChar,
                          bool errorEnabled) override {
        return board->setChars(id, eventChar, eventEnabled, errorChar, errorEnabled);
    }
    DriverStatus setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override {
        return board->setTimeouts(id, readMs, writeMs);
    }
    DriverStatus setLatencyTimer(std::uint8_t milliseconds) override {
        return board->setLatencyTimer(id, milliseconds);
    }
    DriverStatus setBitMode(std::uint8_t mask, std::uint8_t mode) override {
        return board->setBitMode(id, mask, mode);
    }
    DriverStatus waitForReceive(std::uint32_t timeoutUs) override {
        return board->waitForReceive(id, timeoutUs);
    }
    DriverStatus waitForTransmitRoom(std::uint32_t bytes, std::uint32_t timeoutUs,
                                     bool& room) override {
        return board->waitForTransmitRoom(id, bytes, timeoutUs, room);
    }
    DriverStatus close() override { return board->close(id); }

  private:
    std::shared_ptr<SimBoard> board;
    ChannelId id;
};
