#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// A terminal program's end of the pty: the slave opened raw, at any rate,
// standard or not.
class SlaveLine {
  public:
    explicit SlaveLine(const QString& path);
    ~SlaveLine();
    SlaveLine(const SlaveLine&) = delete;
    SlaveLine& operator=(const SlaveLine&) = delete;

    bool isOpen() const { return fd >= 0; }
    void close();
    // Raw, 8N1, at the rate; a rate without a Bxxx constant goes as BOTHER.
    bool setRate(std::uint32_t rate);
    bool write(const QByteArray& bytes);
    // What arrives until the bytes end with suffix or the time-out passes.
    QByteArray readUntil(const QByteArray& suffix, int timeoutMs);
    // What arrives until count bytes have come or the time-out passes.
    QByteArray readCount(qsizetype count, int timeoutMs);
    // Everything that arrives within the time.
    QByteArray readFor(int milliseconds);
    // True once the line reports a hang-up (POLLHUP, end of file or EIO).
    bool hangsUpWithin(int timeoutMs);

  private:
    template <typename Done>
    QByteArray readWhile(int timeoutMs, Done&& done);

    int fd = -1;
};
