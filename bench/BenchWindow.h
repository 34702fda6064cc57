#pragma once

#include <cstdint>
#include <memory>

#include "DriverContext.h"
#include "MeteredBackend.h"
#include "ScriptedDialogs.h"
#include "SimBackend.h"
#include "SystemClock.h"
#include "TForm1.h"

namespace Ui {
class Form1;
}

// Benchmarks run offscreen unless QT_QPA_PLATFORM names a platform (xcb on a
// display, to count what a real display costs). Before the QApplication.
void useOffscreenUnlessPlatformChosen();

// The program's window on the real clock with the simulated boards behind
// the driver, a board picked in the port chooser (the evaluation board unless
// a benchmark names another), as every benchmark runs it. The dialogs record
// every message and answer only the paths a benchmark queues: nothing waits
// for a user.
class BenchWindow {
  public:
    // A backend given is listed before the simulated boards.
    explicit BenchWindow(const char* boardName = SimBackend::EvalBoardName,
                         std::shared_ptr<DriverBackend> listedFirst = nullptr);

    Ui::Form1& form() { return window->form(); }
    // Picks the board in the port chooser, as a user does.
    void choose(const char* boardName);
    // Types the rate into the terminal's Baud Rate box and presses Set: the
    // program moves the chip's monitor and then channel A to it.
    void setTerminalRate(std::uint32_t baudRate);
    EvalBoard& board() { return backend->evalBoard(); }
    SpyBoard& spyBoard() { return backend->spyBoard(); }
    // Processor seconds the simulated boards took so far in the driver's
    // waits (MeteredBackend): the rest of the process's time is the program's.
    double simulatorSeconds() const { return meter->seconds(); }

    DriverContext drivers;
    SystemClock clock;
    std::shared_ptr<SimBackend> backend;
    std::shared_ptr<MeteredBackend> meter;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> window;
};
