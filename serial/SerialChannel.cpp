#include "SerialChannel.h"

#include <QDeadlineTimer>
#include <QFile>
#include <algorithm>
#include <array>

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// The chip's lines as the board wires them to channel B: its reset line to
// bit 2 (RTS), its program line to bit 4 (DTR).
constexpr std::uint8_t resetLineOnRts = 0x04;
constexpr std::uint8_t programLineOnDtr = 0x10;

struct ModemLine {
    QSerialPort::PinoutSignal signal;
    std::uint32_t bit;
};

constexpr std::array<ModemLine, 4> modemLines{{
    {QSerialPort::ClearToSendSignal, hx::ModemStatusCts},
    {QSerialPort::DataSetReadySignal, hx::ModemStatusDsr},
    {QSerialPort::RingIndicatorSignal, SerialChannel::modemRing},
    {QSerialPort::DataCarrierDetectSignal, SerialChannel::modemCarrier},
}};

constexpr std::array<QSerialPort::Parity, 5> parities{
    QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity, QSerialPort::MarkParity,
    QSerialPort::SpaceParity};

std::uint32_t clampedCount(qint64 count) {
    return static_cast<std::uint32_t>(std::clamp<qint64>(count, 0, UINT32_MAX));
}

}  // namespace

SerialChannel::SerialChannel(std::unique_ptr<SerialPortIo> port, QString latencyTimerPath)
    : port(std::move(port)), latencyTimerPath(std::move(latencyTimerPath)) {}

// A call that found the device gone, before or while it ran, fails whatever
// the port said.
template <typename Call>
DriverStatus SerialChannel::guarded(Call&& call) {
    if (port->hungUp()) {
        return hx::IoError;
    }
    const DriverStatus status = call();
    return port->hungUp() ? hx::IoError : status;
}

DriverStatus SerialChannel::read(std::uint8_t* buffer, std::uint32_t count,
                                 std::uint32_t& bytesRead) {
    bytesRead = 0;
    return guarded([&] {
        const QDeadlineTimer deadline{milliseconds(readTimeoutMs)};
        while (port->bytesWaiting() < count && !deadline.hasExpired() && !port->hungUp()) {
            port->waitReadable(
                std::chrono::duration_cast<microseconds>(deadline.remainingTimeAsDuration()));
        }
        bytesRead = clampedCount(port->read(reinterpret_cast<char*>(buffer), count));
        return hx::Ok;
    });
}

DriverStatus SerialChannel::write(const std::uint8_t* buffer, std::uint32_t count,
                                  std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    return guarded([&] {
        if (pinMode) {
            for (; bytesWritten < count; ++bytesWritten) {
                if (!applyPattern(buffer[bytesWritten])) {
                    return hx::IoError;
                }
            }
            return hx::Ok;
        }
        const milliseconds timeout(writeTimeoutMs == 0 ? defaultWriteTimeoutMs : writeTimeoutMs);
        bytesWritten =
            clampedCount(port->transmit(reinterpret_cast<const char*>(buffer), count, timeout));
        return hx::Ok;
    });
}

DriverStatus SerialChannel::queueStatus(std::uint32_t& waiting) {
    waiting = 0;
    return guarded([&] {
        waiting = clampedCount(port->bytesWaiting());
        return hx::Ok;
    });
}

DriverStatus SerialChannel::modemStatus(std::uint32_t& status) {
    status = 0;
    return guarded([&] {
        const QSerialPort::PinoutSignals pinout = port->pinoutSignals();
        for (const ModemLine& line : modemLines) {
            if (pinout.testFlag(line.signal)) {
                status |= line.bit;
            }
        }
        return hx::Ok;
    });
}

DriverStatus SerialChannel::setBaudRate(std::uint32_t rate) {
    return guarded([&] {
        const bool done =
            rate > 0 && rate <= highestBaudRate && port->setBaudRate(static_cast<qint32>(rate));
        return done ? hx::Ok : hx::InvalidBaudRate;
    });
}

DriverStatus SerialChannel::setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                                   std::uint8_t parity) {
    return guarded([&] {
        if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) ||
            parity >= parities.size()) {
            return hx::InvalidParameter;
        }
        const bool done =
            port->setDataBits(wordLength == 7 ? QSerialPort::Data7 : QSerialPort::Data8) &&
            port->setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
            port->setParity(parities[parity]);
        return done ? hx::Ok : hx::InvalidParameter;
    });
}

// XON/XOFF is not offered: the port library cannot take the characters, and
// the program never asks for it.
DriverStatus SerialChannel::setFlowControl(std::uint16_t flow, std::uint8_t, std::uint8_t) {
    return guarded([&] {
        const bool handshake = (flow & hx::FlowRtsCts) != 0;
        return port->setFlowControl(handshake ? QSerialPort::HardwareControl
                                              : QSerialPort::NoFlowControl)
                   ? hx::Ok
                   : hx::InvalidParameter;
    });
}

DriverStatus SerialChannel::setRts(bool high) {
    return guarded([&] { return pinMode || port->setRequestToSend(high) ? hx::Ok : hx::IoError; });
}

DriverStatus SerialChannel::setDtr(bool high) {
    return guarded(
        [&] { return pinMode || port->setDataTerminalReady(high) ? hx::Ok : hx::IoError; });
}

// A serial port hands received bytes over as they come; the program only
// sets the event character to get them sooner.
DriverStatus SerialChannel::setChars(std::uint8_t, bool, std::uint8_t, bool) {
    return guarded([] { return hx::Ok; });
}

DriverStatus SerialChannel::setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) {
    return guarded([&] {
        readTimeoutMs = readMs;
        writeTimeoutMs = writeMs;
        return hx::Ok;
    });
}

// Only a USB serial driver that offers its latency timer, writable by this
// user, takes the setting; on any other port received bytes come without it.
DriverStatus SerialChannel::setLatencyTimer(std::uint8_t milliseconds) {
    return guarded([&] {
        QFile timer(latencyTimerPath);
        if (latencyTimerPath.isEmpty() || !timer.open(QIODevice::WriteOnly)) {
            return hx::Ok;
        }
        const QByteArray value = QByteArray::number(milliseconds) + '\n';
        return timer.write(value) == value.size() && timer.flush() ? hx::Ok : hx::InvalidParameter;
    });
}

DriverStatus SerialChannel::setBitMode(std::uint8_t mask, std::uint8_t mode) {
    return guarded([&] {
        if (mode == hx::BitModeSynchronous) {
            pinMode = true;
            pinMask = mask;
            return hx::Ok;
        }
        if (mode != hx::BitModeReset) {
            return hx::InvalidParameter;
        }
        const bool leaving = pinMode;
        pinMode = false;
        return !leaving || releaseLines() ? hx::Ok : hx::IoError;
    });
}

bool SerialChannel::applyPattern(std::uint8_t pattern) {
    const auto high = [&](std::uint8_t line) {
        return (pinMask & line) == 0 || (pattern & line) != 0;
    };
    return port->setRequestToSend(!high(resetLineOnRts)) &&
           port->setDataTerminalReady(!high(programLineOnDtr));
}

bool SerialChannel::releaseLines() {
    return port->setRequestToSend(false) && port->setDataTerminalReady(false);
}

DriverStatus SerialChannel::waitForReceive(std::uint32_t timeoutUs) {
    return guarded([&] {
        port->waitReadable(microseconds(timeoutUs));
        return hx::Ok;
    });
}

DriverStatus SerialChannel::waitForTransmitRoom(std::uint32_t bytes, std::uint32_t timeoutUs,
                                                bool& room) {
    room = false;
    return guarded([&] {
        // In pin mode nothing waits to be sent: a pattern is applied at once.
        room = pinMode || port->waitWritable(bytes, microseconds(timeoutUs));
        return hx::Ok;
    });
}

DriverStatus SerialChannel::close() {
    const bool wasGone = port->hungUp();
    port->close();
    return wasGone ? hx::IoError : hx::Ok;
}
