#pragma once

#include <cstdint>
#include <functional>

#include "HxTypes.h"
#include "StopToken.h"

class Clock;

// How a bounded wait ended.
enum class WaitEnd {
    Done,
    // Nothing moved for longer than the wait's bound.
    TimedOut,
    // The run's stop token was set.
    Stopped,
    // A step reported a failure of the link.
    Failed,
};

// What one step of a wait achieved.
enum class Step {
    // What the wait waited for has happened.
    Done,
    // Bytes moved: a silence bound starts again.
    Progress,
    // Nothing this time: the loop sleeps in the idle wait.
    Nothing,
    // The link failed; the step has reported it.
    Failed,
};

// A wait's time limit: for a silence, restarted by every step that made
// progress, and a step that finds what the wait waits for always counts; for
// a deadline, counted from the wait's start however much came, and looked at
// before what the step found.
struct WaitBound {
    enum class Kind { Silence, Deadline };
    std::int64_t limitMs = 0;
    Kind kind = Kind::Silence;

    static WaitBound silence(std::int64_t ms) { return {ms, Kind::Silence}; }
    static WaitBound deadline(std::int64_t ms) { return {ms, Kind::Deadline}; }
};

// The loop every mode runs on: its passes over the link, the showing of
// queued pane lines, the window's events at one rate, the idle wait that
// keeps a quiet loop off the processor, and the end of the run at its stop
// token. Every wait for the board goes through await(), which bounds it.
//
// This is the one place in the modes where window events are processed:
// a click or a key is handled between two passes, never inside one.
class ModeLoop {
  public:
    // Events and pane lines at most this long apart while bytes keep
    // coming; a quiet loop handles them before each sleep in the idle wait,
    // so it answers a click or a key within one idle wait.
    static constexpr std::int64_t WindowEventIntervalMs = 20;

    // flushPanes shows the lines the mode's panes hold back, when due.
    ModeLoop(Clock& clock, std::function<void()> flushPanes = {});

    // Handles to sleep on when a pass found nothing; none means no sleep.
    struct IdleOn {
        HxHandle first = 0;
        HxHandle second = 0;
    };

    // Where a run handles the window's events: after each pass, or inside
    // it, where the pass calls keepAlive() itself (between counting what
    // waits and reading it, so that what waited before a click is still
    // taken).
    enum class Events { AfterPass, InPass };

    // Runs pass after pass until stop is requested. A pass returns how many
    // bytes it handled; after one that handled none the loop sleeps until
    // bytes arrive on the handles idleOn() names then (it may change from
    // pass to pass, as channels close).
    void run(const StopToken& stop, const std::function<std::uint32_t()>& pass,
             const std::function<IdleOn()>& idleOn, Events events = Events::AfterPass);

    // Repeats step until it is done, fails, stop is requested or the bound
    // is over, sleeping on idleOn's handles after a step that did nothing.
    WaitEnd await(const StopToken& stop, WaitBound bound, IdleOn idleOn,
                  const std::function<Step()>& step);

    // Between two steps of a longer job: the panes and the window's events,
    // when their interval is over.
    void keepAlive();
    // The same at once, whatever the interval: before a run returns.
    void keepAliveNow();

    Clock& clock() { return loopClock; }

  private:
    void sleepIdle(IdleOn idleOn);

    Clock& loopClock;
    std::function<void()> flushPanes;
    std::int64_t lastEventsMs = 0;
};
