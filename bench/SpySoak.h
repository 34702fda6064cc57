#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include "MemorySeries.h"
#include "PaneLimit.h"

class BenchWindow;

// Part two of the soak: the spy board picked in the port chooser, the Spy
// Mode page with "Track Commands" and "Show Time", Open Spy, while the
// board's host moves the link to 3,000,000 baud with SBD and then streams in
// both directions for the given time. The host repeats a stretch of a few
// seconds of traffic, so the simulated side holds no more than that. Close
// Spy is pressed when the time is up.
class SpySoak {
  public:
    SpySoak(BenchWindow& bench, double streamSeconds, double sampleSeconds);

    // Opens the capture and returns once Close Spy has ended its loop.
    void run();
    void print() const;

  private:
    void tick();
    void close();
    double streamedSeconds() const;
    bool panesFull() const;

    BenchWindow& bench;
    double streamSeconds;
    MemorySeries memory;
    PaneLimit asciiLimit;
    PaneLimit hexLimit;
    QTimer timer;
    QElapsedTimer sinceOpen;
    QElapsedTimer fast;
    double processorAtFast = 0;
    bool closedByWatch = false;

    // At the stop.
    double fastSeconds = 0;
    double processorUsed = 0;
};
