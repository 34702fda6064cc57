#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>

#include "MemorySeries.h"
#include "PaneLimit.h"

class BenchWindow;

// Part one of the soak: the terminal open on the simulated evaluation board,
// both ends set to 3,000,000 baud and the chip in data mode, as a user would
// set them, while the chip streams to the program for the given time. The
// chip is given the stream in parts as it sends them, so the simulated side
// never holds more than two parts of it. When the time is up the chip sends
// what it still has, the program reads it, and Close is pressed.
class TerminalSoak {
  public:
    TerminalSoak(BenchWindow& bench, double streamSeconds, double sampleSeconds);

    // Opens the terminal and returns once Close has ended its loop.
    void run();
    void print() const;

  private:
    enum class Phase { SigningOn, SettingRate, EnteringDataMode, Streaming, Draining, Closed };

    void tick();
    void waitForSignOn();
    void waitForRate();
    void startStream();
    void stream();
    void drain();
    bool channelQuiet() const;
    void close(const char* failure);
    double streamedSeconds() const;
    void printHexPaneCheck() const;

    BenchWindow& bench;
    double streamSeconds;
    MemorySeries memory;
    PaneLimit asciiLimit;
    PaneLimit hexLimit;
    QTimer timer;
    Phase phase = Phase::SigningOn;
    QElapsedTimer phaseClock;
    QElapsedTimer streamClock;
    const char* failure = nullptr;

    std::uint64_t given = 0;
    std::uint64_t takenAtStart = 0;
    double processorAtStart = 0;
    int quietTicks = 0;

    // At the stop.
    double wallSeconds = 0;
    double processorUsed = 0;
    std::uint64_t stillInChip = 0;
    std::uint32_t waitingInChannel = 0;
    std::uint64_t readByProgram = 0;
    std::uint64_t overruns = 0;
};
