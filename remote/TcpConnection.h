#pragma once

#include <QString>
#include <chrono>
#include <cstddef>
#include <cstdint>

// One TCP connection, made within a bound (the host's name lookup included)
// and then used without blocking: every wait is a poll with its own bound.
class TcpConnection {
  public:
    // Unreachable: the system's reason is in systemError().
    enum class Failure { None, Lookup, Refused, Unreachable, TimedOut };
    // What a receive or a send found.
    static constexpr std::ptrdiff_t Ended = -1;

    TcpConnection() = default;
    ~TcpConnection();
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    bool connectTo(const QString& host, std::uint16_t port, std::chrono::milliseconds bound);
    Failure failure() const { return failed; }
    int systemError() const { return error; }
    bool isOpen() const { return fd >= 0; }

    // The poll events that came within the timeout (POLLIN, POLLOUT, POLLHUP...).
    short poll(short events, std::chrono::microseconds timeout) const;
    // Takes what is there now: a count (0 when nothing waits), or Ended once
    // the peer has closed or the connection failed.
    std::ptrdiff_t receive(std::uint8_t* buffer, std::size_t size);
    // Hands over what the system takes now: a count, or Ended.
    std::ptrdiff_t send(const std::uint8_t* bytes, std::size_t size);
    void close();

  private:
    bool connectToAny(const struct addrinfo* addresses,
                      std::chrono::steady_clock::time_point deadline);

    void noteError(int reason);
    void keepAskingWhileQuiet();

    int fd = -1;
    Failure failed = Failure::None;
    int error = 0;
};
