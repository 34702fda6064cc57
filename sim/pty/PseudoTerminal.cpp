// <asm/termbits.h> instead of <termios.h>: only termios2 carries speeds that
// have no Bxxx constant, and the two headers cannot be used together.
#include "PseudoTerminal.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace {

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void makeRaw(termios2& line) {
    line.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    line.c_oflag &= ~tcflag_t(OPOST);
    line.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    line.c_cflag &= ~tcflag_t(CSIZE | PARENB | CBAUD);
    line.c_cflag |= CS8 | CREAD | CLOCAL | B9600;
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
}

}  // namespace

static_assert(PseudoTerminal::startSpeed == 9600, "the line is set up with B9600");

PseudoTerminal::PseudoTerminal() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        fail("posix_openpt");
    }
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        fail("grantpt/unlockpt");
    }
    const char* name = ptsname(master);
    if (name == nullptr) {
        fail("ptsname");
    }
    path = name;
    slave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        fail("open slave");
    }
    termios2 line{};
    if (ioctl(master, TCGETS2, &line) != 0) {
        fail("TCGETS2");
    }
    makeRaw(line);
    if (ioctl(master, TCSETS2, &line) != 0) {
        fail("TCSETS2");
    }
}

PseudoTerminal::~PseudoTerminal() {
    if (slave >= 0) {
        ::close(slave);
    }
    if (master >= 0) {
        ::close(master);
    }
}

std::uint32_t PseudoTerminal::lineSpeed() const {
    termios2 line{};
    if (ioctl(master, TCGETS2, &line) != 0) {
        return 0;
    }
    // The kernel fills c_ospeed from a Bxxx constant as well, so one field
    // serves both kinds of rate.
    return line.c_ospeed;
}

std::size_t PseudoTerminal::read(std::uint8_t* buffer, std::size_t count) {
    const ssize_t n = ::read(master, buffer, count);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::size_t PseudoTerminal::write(const std::uint8_t* bytes, std::size_t count) {
    const ssize_t n = ::write(master, bytes, count);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}
