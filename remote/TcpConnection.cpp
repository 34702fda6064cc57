#include "TcpConnection.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A name lookup cannot be bounded by the system's resolver, so it runs on a
// thread of its own. The caller waits for it within the bound; a lookup
// still running after that finishes by itself and frees what it found.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    addrinfo* addresses = nullptr;

    ~Lookup() {
        if (addresses != nullptr) {
            freeaddrinfo(addresses);
        }
    }
};

std::shared_ptr<Lookup> startLookup(const std::string& host, const std::string& service) {
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, service] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_ADDRCONFIG;
        addrinfo* found = nullptr;
        if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) {
            found = nullptr;
        }
        const std::lock_guard lock(lookup->mutex);
        lookup->addresses = found;
        lookup->done = true;
        lookup->finished.notify_all();
    }).detach();
    return lookup;
}

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

}  // namespace

TcpConnection::~TcpConnection() {
    close();
}

bool TcpConnection::connectTo(const QString& host, std::uint16_t port,
                              std::chrono::milliseconds bound) {
    close();
    const Clock::time_point deadline = Clock::now() + bound;
    const std::shared_ptr<Lookup> lookup = startLookup(host.toStdString(), std::to_string(port));
    std::unique_lock lock(lookup->mutex);
    if (!lookup->finished.wait_until(lock, deadline, [&] { return lookup->done; })) {
        failed = Failure::TimedOut;
        return false;
    }
    if (lookup->addresses == nullptr) {
        failed = Failure::Lookup;
        return false;
    }
    return connectToAny(lookup->addresses, deadline);
}

// Each address in turn, the first that takes the connection in time.
bool TcpConnection::connectToAny(const addrinfo* addresses, Clock::time_point deadline) {
    failed = Failure::Unreachable;
    for (const addrinfo* address = addresses; address != nullptr; address = address->ai_next) {
        fd = ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                      address->ai_protocol);
        if (fd < 0) {
            continue;
        }
        if (::connect(fd, address->ai_addr, address->ai_addrlen) != 0 && errno != EINPROGRESS) {
            noteError(errno);
            close();
            continue;
        }
        pollfd watched{fd, POLLOUT, 0};
        const int ready = ::poll(&watched, 1, remainingMs(deadline));
        int refusal = 0;
        socklen_t length = sizeof refusal;
        if (ready == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &refusal, &length) == 0 &&
            refusal == 0) {
            // Commands and keys are small: each goes out at once.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            keepAskingWhileQuiet();
            failed = Failure::None;
            return true;
        }
        close();
        if (ready == 0) {
            failed = Failure::TimedOut;
            return false;
        }
        noteError(refusal);
    }
    return false;
}

// A refusal from any address says the host is there; another reason counts
// only while no address has refused.
void TcpConnection::noteError(int reason) {
    if (reason == ECONNREFUSED) {
        failed = Failure::Refused;
    } else if (failed != Failure::Refused) {
        error = reason;
    }
}

// A rack's machine that goes away without closing (its power or its network
// gone) sends nothing more, which an idle terminal cannot tell from a quiet
// chip: the system asks the peer after 5 s of silence, every 2 s, and ends
// the connection after 3 unanswered asks, so the mode hears of it within
// about 11 s.
void TcpConnection::keepAskingWhileQuiet() {
    const int on = 1;
    const int idleSeconds = 5;
    const int intervalSeconds = 2;
    const int unanswered = 3;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, sizeof idleSeconds);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &intervalSeconds, sizeof intervalSeconds);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &unanswered, sizeof unanswered);
}

short TcpConnection::poll(short events, std::chrono::microseconds timeout) const {
    if (fd < 0) {
        return POLLNVAL;
    }
    pollfd watched{fd, events, 0};
    const timespec wait{static_cast<time_t>(timeout.count() / 1'000'000),
                        static_cast<long>(timeout.count() % 1'000'000) * 1000};
    return ::ppoll(&watched, 1, &wait, nullptr) == 1 ? watched.revents : 0;
}

std::ptrdiff_t TcpConnection::receive(std::uint8_t* buffer, std::size_t size) {
    if (fd < 0) {
        return Ended;
    }
    const ssize_t got = ::recv(fd, buffer, size, MSG_DONTWAIT);
    if (got > 0) {
        return got;
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return 0;
    }
    return Ended;
}

std::ptrdiff_t TcpConnection::send(const std::uint8_t* bytes, std::size_t size) {
    if (fd < 0) {
        return Ended;
    }
    const ssize_t sent = ::send(fd, bytes, size, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent >= 0) {
        return sent;
    }
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : Ended;
}

void TcpConnection::close() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}
