#pragma once

// Why a run of a mode, or a wait inside it, was told to end.
enum class StopCause {
    None,
    // The user pressed the run's own stop button (Cancel, Close File).
    Cancelled,
    // The user closed the mode (Close, Close Spy), or its channel closed.
    Closed,
    // The user ended an open-ended run (Close File): what it took is kept.
    Finished,
    // The window is closing.
    WindowClosing,
    // The board stopped answering a queue query or a read.
    LinkFailed,
};

// The one stop signal of a run: whoever ends the run requests it, and the
// run's loop ends at its next check. A run nested in another (a transfer in
// the terminal's connection) also stops when the outer run does. The first
// cause requested is kept: it is what the run reports.
class StopToken {
  public:
    StopToken() = default;
    explicit StopToken(const StopToken* outer) : outer(outer) {}

    void request(StopCause why) {
        if (cause == StopCause::None) {
            cause = why;
        }
    }
    // A new run starts with nothing requested.
    void clear() { cause = StopCause::None; }

    bool requested() const {
        return cause != StopCause::None || (outer != nullptr && outer->requested());
    }
    explicit operator bool() const { return requested(); }
    // This run's own cause, or the outer run's when only that one stopped.
    StopCause why() const {
        return cause != StopCause::None || outer == nullptr ? cause : outer->why();
    }

  private:
    const StopToken* outer = nullptr;
    StopCause cause = StopCause::None;
};
