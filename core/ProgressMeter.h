#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class Clock;

// A long job's figures as a person reads them: the bytes done of the whole,
// the rate and the time left at that rate. The command line's progress line
// and the window's status bar show the same figures, redrawn no more often
// than RedrawIntervalMs apart.
//
// The rate counts from the first report that moved bytes: a send's first
// bytes only fill the bridge's buffer, at once, whatever the link's rate.
class ProgressMeter {
  public:
    // Redrawing more often is noise and costs the job time.
    static constexpr std::int64_t RedrawIntervalMs = 200;

    explicit ProgressMeter(Clock& clock) : clock(clock) {}

    // A new job. A whole of nullopt is not known before the job ends (a
    // slave receive runs until the user closes it).
    void start(std::optional<std::uint64_t> total);
    // A whole learnt once the job has begun (a disk copy's, from the chip).
    void setTotal(std::optional<std::uint64_t> total) { whole = total; }
    void stop() { started = false; }
    bool running() const { return started; }

    // "2048 of 4096 bytes, 1000 bytes/s, 2 s left" (without a whole, "2048
    // bytes, 1000 bytes/s"; before the rate is known, the bytes alone), when
    // this report is worth a redraw: the first, one that completes the
    // whole, or one a redraw interval after the last one drawn.
    std::optional<QString> report(std::uint64_t done);

  private:
    struct Reading {
        std::uint64_t done = 0;
        std::int64_t ms = 0;
    };

    Clock& clock;
    bool started = false;
    std::optional<std::uint64_t> whole;
    std::optional<Reading> first;
    std::int64_t lastDrawnMs = -1;
};
