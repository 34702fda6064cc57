#pragma once

#include <QString>
#include <cstdint>

class Clock;

// The progress line of a long job on standard error, rewritten in place:
// bytes done of the whole, the rate, the time left. Shown only when standard
// error is a terminal and the user did not ask for quiet; a script reading
// standard error gets the messages alone.
class ConsoleProgress {
  public:
    ConsoleProgress(Clock& clock, QString what, bool quiet);
    ~ConsoleProgress();

    void start(std::uint64_t total);
    bool running() const { return started; }
    void show(std::uint64_t done);
    // Ends the line, so that the next message starts on a line of its own.
    void finish();

  private:
    Clock& clock;
    QString what;
    bool shown;
    bool open = false;
    bool started = false;
    std::uint64_t total = 0;
    std::int64_t startMs = 0;
    std::int64_t lastShownMs = -1;
};
