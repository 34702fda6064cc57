#pragma once

#include <QObject>
#include <QSerialPort>

#include "SerialPortIo.h"

// A serial port of the computer through Qt Serial Port, driven without an
// event loop: waits poll the port's descriptor with bounded time-outs, and
// the port library's own calls with zero time-outs bring received bytes in.
//
// The port library does not notice a hang-up: reads of a hung-up tty return
// nothing, and its read notifier fires again on every pass of an event loop.
// So the descriptor's hang-up and error flags are what tell that the device
// has gone; the port is then closed, and a notification that finds it gone
// is swallowed, so an open channel that nobody polls costs no processor time.
class QtSerialPortIo : public QObject, public SerialPortIo {
  public:
    explicit QtSerialPortIo(const QString& systemLocation);
    ~QtSerialPortIo() override;

    // NoError once the port is open.
    QSerialPort::SerialPortError open();

    bool hungUp() override;
    qint64 bytesWaiting() override;
    bool waitReadable(Microseconds timeout) override;
    qint64 read(char* data, qint64 maxSize) override;
    qint64 transmit(const char* data, qint64 size, std::chrono::milliseconds timeout) override;
    bool waitWritable(std::uint32_t bytes, Microseconds timeout) override;

    bool setBaudRate(qint32 rate) override { return port.setBaudRate(rate); }
    bool setDataBits(QSerialPort::DataBits bits) override { return port.setDataBits(bits); }
    bool setStopBits(QSerialPort::StopBits bits) override { return port.setStopBits(bits); }
    bool setParity(QSerialPort::Parity parity) override { return port.setParity(parity); }
    bool setFlowControl(QSerialPort::FlowControl flow) override {
        return port.setFlowControl(flow);
    }
    bool setRequestToSend(bool asserted) override;
    bool setDataTerminalReady(bool asserted) override;
    QSerialPort::PinoutSignals pinoutSignals() override { return port.pinoutSignals(); }

    void close() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The poll events that came, or none once the device is found gone.
    short pollPort(short events, Microseconds timeout);
    // Whether the device has gone; closes the port the first time it has.
    bool lost();
    void fetchReceived(Microseconds timeout);
    template <typename Change>
    bool changeLine(Change&& change);

    QSerialPort port;
    bool gone = false;
};
