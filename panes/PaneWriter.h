#pragma once

#include <QColor>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <vector>

#include "LinePane.h"
#include "PaneLines.h"

class Clock;

// The one way lines get into a text pane. Lines are queued and go into the
// pane together: when a short interval has passed since the last time, when
// the producer asks for it, and before the pane is cleared. The order of
// lines in the pane is always the order in which they were queued, and the
// pane repaints once for all of them.
//
// The interval gives the view over 20 new pictures a second while the
// window's events are handled every 20 ms (the insertion comes with every
// second round of them).
//
// Every line in the pane is followed by a line break, so the pane always ends
// on an empty line where the user's typing goes, and a line ending in a
// carriage return shows as one line whatever batch it was inserted with.
class PaneWriter : public PaneLines {
  public:
    static constexpr std::int64_t InsertionIntervalMs = 30;

    static constexpr int Unbounded = 0;

    // How an emptied pane shows: at once, for a pane whose emptying must be
    // seen while its mode's loop runs (the terminal's ASCII pane), or with
    // the next lines, for a pane emptied many times a second (the spy's).
    enum class Emptying { RepaintAtOnce, WithNextLines };

    // With a line limit the pane keeps only the newest lines, dropping the
    // oldest as new ones come.
    PaneWriter(LinePane& pane, Clock& clock, int lineLimit = Unbounded,
               Emptying emptying = Emptying::RepaintAtOnce);

    // A line without a colour takes the pane's own text colour.
    void addLine(const QString& line, const QColor& colour = QColor()) override;
    void flushIfDue() override;
    void flush() override;
    // Queued lines go with the rest of the pane: they were written before it.
    void clear() override;

    int queuedLineCount() const { return queuedLines; }

  private:
    void insertQueued();

    LinePane& pane;
    Clock& clock;
    Emptying emptying;
    // Queued lines, consecutive lines of one colour in one run.
    std::vector<LinePane::ColouredLines> queued;
    int queuedLines = 0;
    std::int64_t lastInsertionMs = 0;
    // Lines queued by a producer that then goes quiet still reach the pane
    // as soon as the window processes its messages.
    QTimer pendingTimer;
};
