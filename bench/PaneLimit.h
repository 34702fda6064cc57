#pragma once

#include <limits>

class LinePane;

// Whether a pane has met its line limit yet: a pane bounded to a count of
// lines holds that many; a pane that empties itself once it has taken its
// limit (counted by the program, not in the pane's lines) has fallen back
// from the lines it held. Until every pane has, a long run's memory is still
// growing with them and says nothing about a leak.
class PaneLimit {
  public:
    static constexpr int EmptiedWhenFull = std::numeric_limits<int>::max();

    explicit PaneLimit(const LinePane& pane, int boundLines = EmptiedWhenFull);

    // Looked at often enough to see the pane before it empties.
    void check();
    bool reached() const { return hasReached; }

  private:
    const LinePane& pane;
    int boundLines;
    int mostLines = 0;
    bool hasReached = false;
};
