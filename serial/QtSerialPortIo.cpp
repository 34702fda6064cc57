#include "QtSerialPortIo.h"

#include <poll.h>
#include <unistd.h>

#include <QChildEvent>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <ctime>

QtSerialPortIo::QtSerialPortIo(const QString& systemLocation) {
    port.setPortName(systemLocation);
    // The port's notifiers are its children, made as it opens and writes.
    port.installEventFilter(this);
}

QtSerialPortIo::~QtSerialPortIo() {
    port.removeEventFilter(this);
}

QSerialPort::SerialPortError QtSerialPortIo::open() {
    if (port.open(QIODevice::ReadWrite)) {
        return QSerialPort::NoError;
    }
    return port.error();
}

bool QtSerialPortIo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
        return false;
    }
    auto* notifier = qobject_cast<QSocketNotifier*>(watched);
    if (event->type() != QEvent::SockAct || notifier == nullptr) {
        return false;
    }
    if (!gone) {
        pollPort(0, Microseconds{0});
    }
    // The port cannot be closed from inside its own notifier; the next call
    // on the channel closes it.
    if (gone) {
        notifier->setEnabled(false);
    }
    return gone;
}

short QtSerialPortIo::pollPort(short events, Microseconds timeout) {
    if (gone) {
        return 0;
    }
    pollfd descriptor{port.handle(), events, 0};
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const timespec wait{static_cast<std::time_t>(seconds.count()),
                        static_cast<long>((timeout - seconds).count() * 1000)};
    int ready = 0;
    do {
        ready = ::ppoll(&descriptor, 1, &wait, nullptr);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0 || (descriptor.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        gone = true;
        return 0;
    }
    return descriptor.revents;
}

bool QtSerialPortIo::lost() {
    if (gone && port.isOpen()) {
        port.close();
    }
    return gone;
}

bool QtSerialPortIo::hungUp() {
    pollPort(0, Microseconds{0});
    return lost();
}

void QtSerialPortIo::fetchReceived(Microseconds timeout) {
    if ((pollPort(POLLIN, timeout) & POLLIN) != 0) {
        port.waitForReadyRead(0);
    }
}

qint64 QtSerialPortIo::bytesWaiting() {
    fetchReceived(Microseconds{0});
    return lost() ? 0 : port.bytesAvailable();
}

bool QtSerialPortIo::waitReadable(Microseconds timeout) {
    if (!lost() && port.bytesAvailable() == 0) {
        fetchReceived(timeout);
    }
    return !lost() && port.bytesAvailable() > 0;
}

qint64 QtSerialPortIo::read(char* data, qint64 maxSize) {
    return lost() ? 0 : std::max<qint64>(0, port.read(data, maxSize));
}

// The port library would keep what the system does not take at once and
// send it whenever it next got the chance, after the caller was told it had
// not gone; dropping that rest from the port library drops what the system
// already took as well. So written bytes go to the descriptor as the port
// library itself writes them, and what is not taken in time is not sent.
qint64 QtSerialPortIo::transmit(const char* data, qint64 size, std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout);
    qint64 taken = 0;
    while (taken < size && !lost()) {
        const ssize_t n = ::write(port.handle(), data + taken, static_cast<size_t>(size - taken));
        if (n > 0) {
            taken += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            pollPort(0, Microseconds{0});
            break;
        } else if (deadline.hasExpired()) {
            break;
        } else {
            pollPort(POLLOUT,
                     std::chrono::duration_cast<Microseconds>(deadline.remainingTimeAsDuration()));
        }
    }
    return taken;
}

// The system tells only whether it takes some bytes.
bool QtSerialPortIo::waitWritable(std::uint32_t, Microseconds timeout) {
    return (pollPort(POLLOUT, timeout) & POLLOUT) != 0 && !lost();
}

// A port without modem lines (a pseudo-terminal) takes a line change without
// effect.
template <typename Change>
bool QtSerialPortIo::changeLine(Change&& change) {
    port.clearError();
    return change() || port.error() == QSerialPort::UnsupportedOperationError;
}

bool QtSerialPortIo::setRequestToSend(bool asserted) {
    return changeLine([&] { return port.setRequestToSend(asserted); });
}

bool QtSerialPortIo::setDataTerminalReady(bool asserted) {
    return changeLine([&] { return port.setDataTerminalReady(asserted); });
}

void QtSerialPortIo::close() {
    port.close();
}
