#pragma once

#include <QString>

// What the spy capture reads from its page and switches on it. The window
// shows it in the Spy Mode page's controls; a capture run without a window
// can keep it anywhere else. The capture copies the three options into
// SpyOptions at each refresh, and reads the rest when it needs them.
class SpyView {
  public:
    virtual ~SpyView() = default;

    // The board the port chooser names: its channels are opened.
    virtual QString boardName() const = 0;
    // The baud rate box as typed: it need not hold a rate at all.
    virtual QString baudRateText() const = 0;
    virtual bool showTime() const = 0;
    virtual bool trackCommands() const = 0;
    virtual bool hexNumberInput() const = 0;
    virtual bool extendedCommandSet() const = 0;

    // Open Spy off and Close Spy on while a capture runs; the reverse after.
    virtual void showCaptureRunning(bool running) = 0;
    // The port chooser is locked while a capture runs: a relisted chooser
    // would switch the running capture's controls and offer boards to modes
    // that cannot start beside it.
    virtual void lockBoardChoice(bool locked) = 0;

    // The link switched: the view shows what the capture follows.
    virtual void showCommandSet(bool extended) = 0;
    virtual void showNumberInput(bool hex) = 0;
    virtual void showBaudRateText(const QString& text) = 0;
};
