#pragma once

#include <QString>
#include <cstdint>

#include "ProgressMeter.h"

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
    bool running() const { return meter.running(); }
    void show(std::uint64_t done);
    // Ends the line, so that the next message starts on a line of its own.
    void finish();

  private:
    ProgressMeter meter;
    QString what;
    bool shown;
    bool open = false;
};
