#include "CabledBoard.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "SetBaudDivisor.h"
#include "SimBackend.h"

namespace {

constexpr ChannelId A = ChannelId::A;
constexpr ChannelId B = ChannelId::B;
// The program's bit-mode mask on channel B and the pattern that runs the
// chip: both lines high.
constexpr std::uint8_t ControlLineMask = 0x94;
constexpr std::uint8_t RunPattern = EvalBoard::resetLineBit | EvalBoard::programLineBit;
constexpr std::uint8_t CarriageReturn = 0x0D;
const QByteArray Prompt = QByteArrayLiteral("D:\\>\r");
// The sign-on and the prompt after Set Baud Rate take some 30 ms at the
// start rate; far more than that means the monitor is not there.
constexpr int AnswerTimeoutMs = 2000;

void check(DriverStatus status, const char* call) {
    if (status != hx::Ok) {
        throw std::runtime_error(std::string("the simulated board refused ") + call + " (status " +
                                 std::to_string(status) + ")");
    }
}

}  // namespace

QByteArray StreamPattern(std::uint64_t size) {
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    for (std::uint64_t i = 0; i < size; ++i) {
        bytes[static_cast<qsizetype>(i)] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}

CabledBoard::CabledBoard(std::uint32_t lineSpeed) : board(clock, SimBackend::EvalBoardName) {
    check(board.open(B), "opening channel B");
    check(board.open(A), "opening channel A");
    setUpChannelA(lineSpeed);
    lastLineSpeed = lineSpeed;
    runChip();
}

CabledBoard::~CabledBoard() {
    board.close(A);
    board.close(B);
}

void CabledBoard::setUpChannelA(std::uint32_t baudRate) {
    check(board.setBaudRate(A, baudRate), "the line's rate");
    check(board.setDataCharacteristics(A, 8, 0, 0), "8N1");
    check(board.setFlowControl(A, hx::FlowRtsCts, 0x11, 0x13), "RTS/CTS handshake");
    check(board.setRts(A, true), "raising RTS");
    check(board.setDtr(A, false), "lowering DTR");
}

// The output latch holds the run pattern before the bit mode turns the lines
// into outputs, so the chip never sees a reset pulse.
void CabledBoard::runChip() {
    check(board.setDtr(B, false), "lowering DTR on channel B");
    check(board.setRts(B, false), "lowering RTS on channel B");
    std::uint32_t written = 0;
    check(board.write(B, &RunPattern, 1, written), "the run pattern");
    check(board.setBitMode(B, ControlLineMask, hx::BitModeSynchronous), "bit mode");
    check(board.write(B, &RunPattern, 1, written), "the run pattern");
}

void CabledBoard::prepareStream(std::uint64_t bytes, std::uint32_t baudRate) {
    const auto divisor = SetBaudDivisorFor(baudRate);
    if (!divisor) {
        throw std::runtime_error("no Set Baud Rate divisor selects " + std::to_string(baudRate) +
                                 " baud");
    }
    if (!answerUpToPrompt(AnswerTimeoutMs).endsWith(Prompt)) {
        throw std::runtime_error("the monitor did not sign on");
    }
    QByteArray command = QByteArrayLiteral("SBD ");
    for (const std::uint8_t b : *divisor) {
        command.append(static_cast<char>(b));
    }
    command.append(static_cast<char>(CarriageReturn));
    send(reinterpret_cast<const std::uint8_t*>(command.constData()),
         static_cast<std::uint32_t>(command.size()));
    if (!answerUpToPrompt(AnswerTimeoutMs).endsWith(Prompt) || board.chipBaudRate() != baudRate) {
        throw std::runtime_error("the monitor did not take the stream's rate");
    }
    streamData = StreamPattern(bytes);
    streamRate = baudRate;
    stream = Stream::WaitingForTheRate;
}

QByteArray CabledBoard::answerUpToPrompt(int timeoutMs) {
    QByteArray answer;
    const std::int64_t end = clock.milliseconds() + timeoutMs;
    while (!answer.endsWith(Prompt) && clock.milliseconds() < end) {
        board.waitForReceive(A, 1000);
        std::uint8_t buffer[256];
        const std::uint32_t n = takeReceived(buffer, sizeof buffer);
        answer.append(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(n));
    }
    return answer;
}

CabledBoard::RateChange CabledBoard::followLine(std::uint32_t lineSpeed) {
    if (lineSpeed == 0 || lineSpeed == lastLineSpeed) {
        return RateChange::None;
    }
    lastLineSpeed = lineSpeed;
    return board.setBaudRate(A, lineSpeed) == hx::Ok ? RateChange::Followed : RateChange::Refused;
}

std::uint32_t CabledBoard::channelRate() const {
    return board.settings(A).baudRate;
}

void CabledBoard::stepStream() {
    if (stream == Stream::WaitingForTheRate && channelRate() == streamRate) {
        check(board.setDtr(A, true), "raising DTR");
        if (!board.sendInDataMode(streamData)) {
            throw std::runtime_error("the monitor did not go into data mode");
        }
        streamData.clear();
        stream = Stream::Sending;
    } else if (stream == Stream::Sending && board.chipBacklog() == 0) {
        check(board.setDtr(A, false), "lowering DTR");
        stream = Stream::Done;
    }
}

bool CabledBoard::roomFor(std::uint32_t count) {
    bool room = false;
    board.waitForTransmitRoom(A, count, 0, room);
    return room;
}

void CabledBoard::send(const std::uint8_t* bytes, std::uint32_t count) {
    std::uint32_t written = 0;
    board.write(A, bytes, count, written);
}

std::uint32_t CabledBoard::takeReceived(std::uint8_t* buffer, std::uint32_t count) {
    std::uint32_t waiting = 0;
    if (board.queueStatus(A, waiting) != hx::Ok || waiting == 0) {
        return 0;
    }
    std::uint32_t read = 0;
    board.read(A, buffer, std::min(waiting, count), read);
    return read;
}

bool CabledBoard::wireBusy() {
    return board.chipBacklog() > 0 || !roomFor(SimChannel::transmitCapacity);
}
