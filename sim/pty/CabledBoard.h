#pragma once

#include <QByteArray>
#include <cstdint>

#include "EvalBoard.h"
#include "SystemClock.h"

// The simulated evaluation board as it stands behind a serial cable: on the
// real clock, its chip run once as the program runs it, channel A open and
// set up as Terminal Mode sets it (8N1, RTS/CTS handshake, RTS raised, DTR
// low so that the monitor reads commands). Only the rate follows the line.
//
// A stream: the server tells the monitor the stream's rate (Set Baud Rate at
// the start rate, as the program would) before any terminal program comes;
// once the line runs at that rate, DTR goes high, the chip sends the stream
// in data mode as fast as the wire allows, and DTR goes low again when it
// has all left, so the monitor answers commands at that rate afterwards.
class CabledBoard {
  public:
    enum class RateChange { None, Followed, Refused };

    // Throws std::runtime_error when the board does not come up as expected.
    explicit CabledBoard(std::uint32_t lineSpeed);
    ~CabledBoard();
    CabledBoard(const CabledBoard&) = delete;
    CabledBoard& operator=(const CabledBoard&) = delete;

    // Throws std::runtime_error when no divisor selects the rate or the
    // monitor does not answer the command.
    void prepareStream(std::uint64_t bytes, std::uint32_t baudRate);
    // Channel A takes the line's rate when it changed; 0 (a hung-up line)
    // changes nothing.
    RateChange followLine(std::uint32_t lineSpeed);
    std::uint32_t channelRate() const;
    // Starts a prepared stream when channel A runs at its rate; ends data
    // mode once the stream has left the chip.
    void stepStream();

    bool roomFor(std::uint32_t count);
    // Bytes the computer writes to channel A; they must fit (roomFor).
    void send(const std::uint8_t* bytes, std::uint32_t count);
    // Up to count bytes that channel A has received for the computer.
    std::uint32_t takeReceived(std::uint8_t* buffer, std::uint32_t count);
    // Bytes are on their way across the wire, or the chip still has some to
    // send: something may arrive without anything more from the terminal.
    bool wireBusy();

  private:
    enum class Stream { None, WaitingForTheRate, Sending, Done };

    void runChip();
    void setUpChannelA(std::uint32_t baudRate);
    QByteArray answerUpToPrompt(int timeoutMs);

    SystemClock clock;
    EvalBoard board;
    Stream stream = Stream::None;
    std::uint32_t streamRate = 0;
    QByteArray streamData;
    std::uint32_t lastLineSpeed = 0;
};

// The stream's bytes: every value, in an order that does not repeat every
// 256 bytes, so a lost or doubled stretch shows.
QByteArray StreamPattern(std::uint64_t size);
