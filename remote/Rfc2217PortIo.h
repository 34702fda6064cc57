#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "ComPortOption.h"
#include "RemoteBoard.h"
#include "SerialPortIo.h"
#include "TcpConnection.h"
#include "TelnetCodec.h"
#include "WirePace.h"

// A serial port at the far end of an RFC 2217 connection (a port served by
// ser2net and the like), with the operations of a local one: the data in
// telnet's framing, the line settings and control lines as COM-PORT-OPTION
// commands, the modem lines from the server's notifications.
//
// Rate, data size, parity, stop bits and flow control wait for the server's
// answer, within AnswerBound, and take only the value it confirms. RTS and
// DTR cannot wait for theirs: servers answer them only when the device lets
// them read the line back (a pseudo-terminal has no such lines and gets no
// answer). So each is followed by a query of the rate, whose answer tells
// that the server has set the line: as a local port's, the call returns
// once the line has changed, and the chip's reset comes before the bytes
// that follow it on the other channel.
// The port's buffers are never purged: staged bytes that have been handed
// over are sent.
//
// A connection that ends, a server that does not answer a setting in time,
// and a peer whose bytes break the telnet protocol all end the port: it is
// then hung up for good, as a serial device that has gone away.
class Rfc2217PortIo : public SerialPortIo, private telnet::CommandHandler {
  public:
    static constexpr std::chrono::milliseconds AnswerBound{2000};
    // Received bytes held for the program to read; beyond this the
    // connection's own flow control holds the server.
    static constexpr std::size_t ReceiveHoldLimit = 16 * 1024 * 1024;

    Rfc2217PortIo() = default;
    ~Rfc2217PortIo() override;

    // Connects and agrees on the COM-PORT-OPTION (with binary data both
    // ways), all within the bound.
    bool connectTo(const RemoteEndpoint& endpoint, std::chrono::milliseconds bound);
    // Why connectTo failed, in a few words: "127.0.0.1:7000 refused the connection".
    const QString& problem() const { return failure; }
    bool lookupFailed() const { return tcp.failure() == TcpConnection::Failure::Lookup; }

    bool hungUp() override { return gone; }
    qint64 bytesWaiting() override;
    bool waitReadable(Microseconds timeout) override;
    qint64 read(char* data, qint64 maxSize) override;
    qint64 transmit(const char* data, qint64 size, std::chrono::milliseconds timeout) override;
    bool waitWritable(std::uint32_t bytes, Microseconds timeout) override;

    bool setBaudRate(qint32 rate) override;
    bool setDataBits(QSerialPort::DataBits bits) override;
    bool setStopBits(QSerialPort::StopBits bits) override;
    bool setParity(QSerialPort::Parity parity) override;
    bool setFlowControl(QSerialPort::FlowControl flow) override;
    bool setRequestToSend(bool asserted) override;
    bool setDataTerminalReady(bool asserted) override;
    QSerialPort::PinoutSignals pinoutSignals() override;

    void close() override;

  private:
    using Clock = std::chrono::steady_clock;
    enum class Agreement : std::uint8_t { No, WantYes, Yes };

    void negotiation(std::uint8_t verb, std::uint8_t option) override;
    void subnegotiation(std::uint8_t option, const std::vector<std::uint8_t>& payload) override;
    void ask(std::uint8_t verb, std::uint8_t option);

    // Takes in what has come, until nothing more waits (or the hold is full).
    void pump();
    std::size_t available() const { return received.size() - readAt; }
    // Sends what is queued; false when some is left at the deadline.
    bool sendQueued(Clock::time_point deadline);
    // Waits for the socket (POLLIN always, with extra events), taking in
    // what comes; false at the deadline or once the port has ended.
    bool waitSocket(short events, Clock::time_point deadline);
    enum class Answer {
        // The server's answer must carry the value sent.
        Confirmed,
        // Any answer will do (a query's).
        Any,
        // The command may go unanswered; a query after it is answered once
        // the server has done both.
        Barrier,
    };
    bool command(std::uint8_t code, const std::vector<std::uint8_t>& value, Answer answer);
    void end();
    void paceLine();

    TcpConnection tcp;
    telnet::Decoder decoder;
    QString failure;
    bool gone = false;
    // Set by the server's FLOWCONTROL-SUSPEND: no data goes out until RESUME.
    bool suspended = false;
    std::uint8_t modemState = 0;
    WirePace pace;
    // The confirmed character framing: start bit, data bits, parity, stop bits.
    std::uint32_t baudRate = 0;
    unsigned dataBits = 8;
    unsigned parityBits = 0;
    unsigned stopBits = 1;
    std::array<Agreement, 256> ours{};
    std::array<Agreement, 256> theirs{};
    std::array<std::optional<std::vector<std::uint8_t>>, comport::CommandCount> answers;
    std::vector<std::uint8_t> received;
    std::size_t readAt = 0;
    std::vector<std::uint8_t> queued;
    std::size_t queuedAt = 0;
    std::vector<std::uint8_t> incoming = std::vector<std::uint8_t>(64 * 1024);
};
