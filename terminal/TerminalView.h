#pragma once

#include <QString>
#include <cstdint>

// The Terminal Mode page as the terminal connection sees it: what it reads
// from the page and the states it shows there. The window implements it with
// its named controls; a connection run without a window gives its own.
class TerminalView {
  public:
    virtual ~TerminalView() = default;

    // The board chosen in the port chooser; empty for none.
    virtual QString chosenBoard() const = 0;
    // The text of the "Baud Rate" box, as typed or chosen.
    virtual QString baudRateText() const = 0;
    // "Command Mode" is selected: the chip's DTR line is held low.
    virtual bool commandModeChosen() const = 0;

    // The link runs at this rate now (the chip was reset to its start rate).
    virtual void showBaudRate(std::uint32_t baudRate) = 0;
    // Channel A is open: Open off, Close on, the port chooser locked.
    virtual void showOpening() = 0;
    // The connection runs: the board's controls and mode groups on.
    virtual void showOpen() = 0;
    virtual void showClosed() = 0;
    // Suspend sent: Resume on, Suspend off; and back.
    virtual void showSuspended() = 0;
    virtual void showResumed() = 0;
    // Selecting runs the selection's own handler, as a click would, and only
    // when the selection changes.
    virtual void selectRun() = 0;
    virtual void selectRtsEnabled() = 0;
};
