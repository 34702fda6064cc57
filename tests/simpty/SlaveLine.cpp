// termios2 alone (not <termios.h>, which clashes with it) so that a rate
// without a Bxxx constant can be set.
#include "SlaveLine.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <cerrno>
#include <map>

namespace {

tcflag_t standardConstant(std::uint32_t rate) {
    static const std::map<std::uint32_t, tcflag_t> constants{
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},   {460800, B460800},   {921600, B921600},
        {1000000, B1000000}, {2000000, B2000000}, {3000000, B3000000},
    };
    const auto found = constants.find(rate);
    return found == constants.end() ? BOTHER : found->second;
}

}  // namespace

SlaveLine::SlaveLine(const QString& path) {
    fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

SlaveLine::~SlaveLine() {
    close();
}

void SlaveLine::close() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

bool SlaveLine::setRate(std::uint32_t rate) {
    termios2 line{};
    if (ioctl(fd, TCGETS2, &line) != 0) {
        return false;
    }
    line.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    line.c_oflag &= ~tcflag_t(OPOST);
    line.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    line.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CBAUD | CIBAUD);
    const tcflag_t speed = standardConstant(rate);
    line.c_cflag |= CS8 | CREAD | CLOCAL | speed;
    if (speed == BOTHER) {
        line.c_ospeed = rate;
        line.c_ispeed = rate;
    }
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    return ioctl(fd, TCSETS2, &line) == 0;
}

bool SlaveLine::write(const QByteArray& bytes) {
    return ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
}

template <typename Done>
QByteArray SlaveLine::readWhile(int timeoutMs, Done&& done) {
    QByteArray bytes;
    QElapsedTimer timer;
    timer.start();
    while (!done(bytes) && timer.elapsed() < timeoutMs) {
        pollfd slave{fd, POLLIN, 0};
        const int left = static_cast<int>(timeoutMs - timer.elapsed());
        if (poll(&slave, 1, left > 0 ? left : 0) <= 0 || (slave.revents & POLLIN) == 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        bytes.append(buffer, n);
    }
    return bytes;
}

QByteArray SlaveLine::readUntil(const QByteArray& suffix, int timeoutMs) {
    return readWhile(timeoutMs, [&](const QByteArray& bytes) { return bytes.endsWith(suffix); });
}

QByteArray SlaveLine::readCount(qsizetype count, int timeoutMs) {
    return readWhile(timeoutMs, [&](const QByteArray& bytes) { return bytes.size() >= count; });
}

QByteArray SlaveLine::readFor(int milliseconds) {
    return readWhile(milliseconds, [](const QByteArray&) { return false; });
}

bool SlaveLine::hangsUpWithin(int timeoutMs) {
    pollfd slave{fd, POLLIN, 0};
    if (poll(&slave, 1, timeoutMs) <= 0) {
        return false;
    }
    if ((slave.revents & POLLHUP) != 0) {
        return true;
    }
    char byte = 0;
    const ssize_t n = ::read(fd, &byte, 1);
    return n == 0 || (n < 0 && errno == EIO);
}
