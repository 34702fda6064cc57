#pragma once

#include <QSerialPort>
#include <chrono>

// The port operations a serial channel needs, so that its rules can be tried
// against a fake port. Every call may find that the device has gone away
// (unplugged, or the other end of a pseudo-terminal closed); hungUp() then
// stays true and the port does nothing more.
class SerialPortIo {
  public:
    using Microseconds = std::chrono::microseconds;

    virtual ~SerialPortIo() = default;

    virtual bool hungUp() = 0;
    // Received bytes that a read takes at once, after fetching what the
    // system holds for the port.
    virtual qint64 bytesWaiting() = 0;
    // Whether bytes are waiting, once they are or the time is up.
    virtual bool waitReadable(Microseconds timeout) = 0;
    virtual qint64 read(char* data, qint64 maxSize) = 0;
    // Hands the bytes to the system, waiting up to the time-out for it to
    // take them; what it has not taken by then is not sent, now or later.
    // Returns the count taken.
    virtual qint64 transmit(const char* data, qint64 size, std::chrono::milliseconds timeout) = 0;
    // Whether a write of that many bytes would be taken at once (for more
    // than the port holds, once nothing waits to be sent), once it would or
    // the time is up.
    virtual bool waitWritable(std::uint32_t bytes, Microseconds timeout) = 0;

    virtual bool setBaudRate(qint32 rate) = 0;
    virtual bool setDataBits(QSerialPort::DataBits bits) = 0;
    virtual bool setStopBits(QSerialPort::StopBits bits) = 0;
    virtual bool setParity(QSerialPort::Parity parity) = 0;
    virtual bool setFlowControl(QSerialPort::FlowControl flow) = 0;
    virtual bool setRequestToSend(bool asserted) = 0;
    virtual bool setDataTerminalReady(bool asserted) = 0;
    virtual QSerialPort::PinoutSignals pinoutSignals() = 0;

    virtual void close() = 0;
};
