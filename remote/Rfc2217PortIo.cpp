#include "Rfc2217PortIo.h"

#include <poll.h>

#include <algorithm>
#include <cstring>

namespace {

using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

// Data goes out in pieces of this many bytes, so that a transmit that runs
// out of time has taken a known count and leaves little queued.
constexpr std::size_t TransmitPiece = 16 * 1024;
// Commands queued at closing (the control lines released) get this long.
constexpr milliseconds ClosingBound{500};
// Received bytes already read are dropped from the front past this size.
constexpr std::size_t CompactAt = 1024 * 1024;

std::vector<std::uint8_t> bigEndian(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

}  // namespace

Rfc2217PortIo::~Rfc2217PortIo() {
    close();
}

bool Rfc2217PortIo::connectTo(const RemoteEndpoint& endpoint, milliseconds bound) {
    const Clock::time_point deadline = Clock::now() + bound;
    const QString where = endpoint.toText();
    if (!tcp.connectTo(endpoint.host, endpoint.port, bound)) {
        switch (tcp.failure()) {
            case TcpConnection::Failure::Lookup:
                failure = QStringLiteral("no host is known as %1").arg(endpoint.host);
                break;
            case TcpConnection::Failure::TimedOut:
                failure = QStringLiteral("%1 did not take the connection within %2 s")
                              .arg(where)
                              .arg(bound.count() / 1000.0);
                break;
            case TcpConnection::Failure::Unreachable:
                failure = QStringLiteral("%1 cannot be reached: %2")
                              .arg(where, QString::fromLocal8Bit(std::strerror(tcp.systemError())));
                break;
            default:
                failure = QStringLiteral("%1 refused the connection").arg(where);
        }
        gone = true;
        return false;
    }
    ask(telnet::Will, telnet::ComPort);
    ask(telnet::Will, telnet::Binary);
    ask(telnet::Do, telnet::Binary);
    ask(telnet::Will, telnet::SuppressGoAhead);
    ask(telnet::Do, telnet::SuppressGoAhead);
    while (ours[telnet::ComPort] == Agreement::WantYes && !gone) {
        if (!sendQueued(deadline) || !waitSocket(0, deadline)) {
            break;
        }
    }
    if (ours[telnet::ComPort] == Agreement::Yes && !gone) {
        return true;
    }
    failure =
        gone ? QStringLiteral("%1 closed the connection").arg(where)
             : QStringLiteral("%1 is no RFC 2217 port: it did not take COM-PORT-OPTION").arg(where);
    end();
    return false;
}

// --- telnet's option agreement (RFC 1143's rules, for the options wanted) ---

void Rfc2217PortIo::ask(std::uint8_t verb, std::uint8_t option) {
    (verb == telnet::Will ? ours : theirs)[option] = Agreement::WantYes;
    telnet::AppendNegotiation(verb, option, queued);
}

void Rfc2217PortIo::negotiation(std::uint8_t verb, std::uint8_t option) {
    const bool aboutUs = verb == telnet::Do || verb == telnet::Dont;
    const bool enable = verb == telnet::Do || verb == telnet::Will;
    Agreement& state = (aboutUs ? ours : theirs)[option];
    const bool wanted = option == telnet::Binary || option == telnet::SuppressGoAhead ||
                        (aboutUs && option == telnet::ComPort);
    const std::uint8_t yes = aboutUs ? telnet::Will : telnet::Do;
    const std::uint8_t no = aboutUs ? telnet::Wont : telnet::Dont;
    if (state == Agreement::WantYes) {
        state = enable ? Agreement::Yes : Agreement::No;
        return;
    }
    if (enable && state == Agreement::No) {
        state = wanted ? Agreement::Yes : Agreement::No;
        telnet::AppendNegotiation(wanted ? yes : no, option, queued);
    } else if (!enable && state == Agreement::Yes) {
        state = Agreement::No;
        telnet::AppendNegotiation(no, option, queued);
    }
}

void Rfc2217PortIo::subnegotiation(std::uint8_t option, const std::vector<std::uint8_t>& payload) {
    if (option != telnet::ComPort || payload.empty() || payload[0] < comport::ServerOffset ||
        payload[0] >= comport::ServerOffset + comport::CommandCount) {
        return;
    }
    const std::uint8_t command = payload[0] - comport::ServerOffset;
    std::vector<std::uint8_t> value(payload.begin() + 1, payload.end());
    switch (command) {
        case comport::NotifyModemState:
            modemState = value.empty() ? modemState : value[0];
            break;
        case comport::FlowControlSuspend:
            suspended = true;
            break;
        case comport::FlowControlResume:
            suspended = false;
            break;
        case comport::SetControl:
            // Only the flow control's answer is waited for; the control lines'
            // answers, which may come late, must not be taken for it.
            if (!value.empty() && value[0] <= comport::HardwareFlowControl) {
                answers[command] = std::move(value);
            }
            break;
        default:
            answers[command] = std::move(value);
    }
}

// --- the connection ---

void Rfc2217PortIo::pump() {
    while (!gone && available() < ReceiveHoldLimit) {
        const std::ptrdiff_t got = tcp.receive(incoming.data(), incoming.size());
        if (got == 0) {
            return;
        }
        if (got == TcpConnection::Ended ||
            !decoder.decode(incoming.data(), static_cast<std::size_t>(got), received, *this)) {
            end();
            return;
        }
    }
}

bool Rfc2217PortIo::sendQueued(Clock::time_point deadline) {
    while (queuedAt < queued.size() && !gone) {
        const std::ptrdiff_t sent = tcp.send(queued.data() + queuedAt, queued.size() - queuedAt);
        if (sent == TcpConnection::Ended) {
            end();
            return false;
        }
        queuedAt += static_cast<std::size_t>(sent);
        if (queuedAt < queued.size() && !waitSocket(POLLOUT, deadline)) {
            return false;
        }
    }
    queued.clear();
    queuedAt = 0;
    return !gone;
}

bool Rfc2217PortIo::waitSocket(short events, Clock::time_point deadline) {
    const auto left = duration_cast<microseconds>(deadline - Clock::now());
    if (gone || left.count() <= 0) {
        return false;
    }
    // While the hold is full only room to send is waited for: the bytes
    // waiting would wake every poll.
    const short watched =
        static_cast<short>(events | (available() < ReceiveHoldLimit ? POLLIN : 0));
    const short came = tcp.poll(watched, left);
    if ((came & (POLLIN | POLLHUP | POLLERR)) != 0) {
        pump();
    }
    return !gone;
}

void Rfc2217PortIo::end() {
    gone = true;
    tcp.close();
}

// --- data ---

qint64 Rfc2217PortIo::bytesWaiting() {
    pump();
    return static_cast<qint64>(available());
}

bool Rfc2217PortIo::waitReadable(Microseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    pump();
    while (available() == 0 && waitSocket(0, deadline)) {
    }
    return available() > 0;
}

qint64 Rfc2217PortIo::read(char* data, qint64 maxSize) {
    const std::size_t count = std::min<std::size_t>(available(), static_cast<std::size_t>(maxSize));
    std::memcpy(data, received.data() + readAt, count);
    readAt += count;
    if (readAt == received.size()) {
        received.clear();
        readAt = 0;
    } else if (readAt >= CompactAt) {
        received.erase(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(readAt));
        readAt = 0;
    }
    return static_cast<qint64>(count);
}

qint64 Rfc2217PortIo::transmit(const char* data, qint64 size, milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
    qint64 taken = 0;
    while (taken < size && sendQueued(deadline)) {
        const Clock::time_point now = Clock::now();
        const std::size_t room = suspended ? 0 : pace.room(now);
        if (room == 0) {
            const Clock::time_point until =
                suspended ? deadline : std::min(deadline, pace.roomAt(1, now));
            if (!waitSocket(0, until) && (gone || Clock::now() >= deadline)) {
                break;
            }
            continue;
        }
        const auto piece = static_cast<std::size_t>(
            std::min<qint64>({size - taken, qint64{TransmitPiece},
                              static_cast<qint64>(std::min<std::size_t>(room, TransmitPiece))}));
        telnet::AppendEscaped(bytes + taken, piece, queued);
        pace.took(piece, now);
        taken += static_cast<qint64>(piece);
    }
    // What is queued is taken: it goes out before anything sent later.
    sendQueued(deadline);
    return gone ? 0 : taken;
}

bool Rfc2217PortIo::waitWritable(std::uint32_t bytes, Microseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    if (!sendQueued(deadline)) {
        return false;
    }
    const std::size_t wanted = std::min<std::size_t>(bytes, WirePace::Lead);
    while (!gone) {
        const Clock::time_point now = Clock::now();
        if (!suspended && pace.room(now) >= wanted) {
            return (tcp.poll(POLLOUT, microseconds(0)) & POLLOUT) != 0;
        }
        const Clock::time_point until =
            suspended ? deadline : std::min(deadline, pace.roomAt(wanted, now));
        if (!waitSocket(0, until) && Clock::now() >= deadline) {
            return false;
        }
    }
    return false;
}

// --- settings ---

bool Rfc2217PortIo::command(std::uint8_t code, const std::vector<std::uint8_t>& value,
                            Answer answer) {
    const Clock::time_point deadline = Clock::now() + AnswerBound;
    pump();
    answers[code].reset();
    std::vector<std::uint8_t> payload(value.size() + 1);
    payload[0] = code;
    std::copy(value.begin(), value.end(), payload.begin() + 1);
    telnet::AppendSubnegotiation(telnet::ComPort, payload, queued);
    if (!sendQueued(deadline)) {
        end();
        return false;
    }
    if (answer == Answer::Barrier) {
        // Asking the rate is answered by every server, after what came
        // before it is done.
        return command(comport::SetBaudRate, bigEndian(0), Answer::Any);
    }
    while (!answers[code] && waitSocket(0, deadline)) {
    }
    if (!answers[code]) {
        // A server that lets a setting go unanswered cannot be trusted with
        // the line: the port ends, as a device that has gone away.
        end();
        return false;
    }
    return answer == Answer::Any || *answers[code] == value;
}

void Rfc2217PortIo::paceLine() {
    pace.setLine(baudRate, 1 + dataBits + parityBits + stopBits, Clock::now());
}

bool Rfc2217PortIo::setBaudRate(qint32 rate) {
    if (rate <= 0 || !command(comport::SetBaudRate, bigEndian(static_cast<std::uint32_t>(rate)),
                              Answer::Confirmed)) {
        return false;
    }
    baudRate = static_cast<std::uint32_t>(rate);
    paceLine();
    return true;
}

bool Rfc2217PortIo::setDataBits(QSerialPort::DataBits bits) {
    if (!command(comport::SetDataSize, {static_cast<std::uint8_t>(bits)}, Answer::Confirmed)) {
        return false;
    }
    dataBits = static_cast<unsigned>(bits);
    paceLine();
    return true;
}

bool Rfc2217PortIo::setStopBits(QSerialPort::StopBits bits) {
    const bool two = bits == QSerialPort::TwoStop;
    if (!command(comport::SetStopSize, {two ? comport::TwoStopBits : comport::OneStopBit},
                 Answer::Confirmed)) {
        return false;
    }
    stopBits = two ? 2 : 1;
    paceLine();
    return true;
}

bool Rfc2217PortIo::setParity(QSerialPort::Parity parity) {
    std::uint8_t code = comport::FirstParity;
    switch (parity) {
        case QSerialPort::OddParity:
            code += 1;
            break;
        case QSerialPort::EvenParity:
            code += 2;
            break;
        case QSerialPort::MarkParity:
            code += 3;
            break;
        case QSerialPort::SpaceParity:
            code += 4;
            break;
        default:
            break;
    }
    if (!command(comport::SetParity, {code}, Answer::Confirmed)) {
        return false;
    }
    parityBits = code == comport::FirstParity ? 0 : 1;
    paceLine();
    return true;
}

bool Rfc2217PortIo::setFlowControl(QSerialPort::FlowControl flow) {
    const std::uint8_t code = flow == QSerialPort::HardwareControl ? comport::HardwareFlowControl
                                                                   : comport::NoFlowControl;
    return command(comport::SetControl, {code}, Answer::Confirmed);
}

bool Rfc2217PortIo::setRequestToSend(bool asserted) {
    return command(comport::SetControl, {asserted ? comport::RtsOn : comport::RtsOff},
                   Answer::Barrier);
}

bool Rfc2217PortIo::setDataTerminalReady(bool asserted) {
    return command(comport::SetControl, {asserted ? comport::DtrOn : comport::DtrOff},
                   Answer::Barrier);
}

QSerialPort::PinoutSignals Rfc2217PortIo::pinoutSignals() {
    pump();
    QSerialPort::PinoutSignals signals_;
    signals_.setFlag(QSerialPort::ClearToSendSignal, (modemState & comport::ClearToSend) != 0);
    signals_.setFlag(QSerialPort::DataSetReadySignal, (modemState & comport::DataSetReady) != 0);
    signals_.setFlag(QSerialPort::RingIndicatorSignal, (modemState & comport::RingIndicator) != 0);
    signals_.setFlag(QSerialPort::DataCarrierDetectSignal,
                     (modemState & comport::CarrierDetect) != 0);
    return signals_;
}

void Rfc2217PortIo::close() {
    if (!gone && tcp.isOpen()) {
        sendQueued(Clock::now() + ClosingBound);
    }
    end();
}
