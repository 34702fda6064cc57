#pragma once

#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

#include "ControlLines.h"
#include "HxTypes.h"

class Clock;
class ControlGroups;
class DeviceLink;
class ModeLoop;
class TerminalDisplay;
class TerminalView;
struct ModeFlags;

// The link to the chip's monitor over channel A and the board controls beside
// it: opening and closing the link with its receive loop, the baud-rate change
// at both ends, the reset and run lines through channel B, suspend and resume
// of the monitor, and the DTR and RTS lines of channel A.
//
// Selecting a control of the page from here (the view's select...) runs that
// control's handler, exactly when the selection changes.
class TerminalConnection {
  public:
    // The rate the monitor starts at, after power-up and after every reset.
    static constexpr std::uint32_t MonitorStartBaudRate = 9600;

    struct Services {
        DeviceLink& link;
        ModeFlags& flags;
        ControlGroups& groups;
        TerminalDisplay& display;
        Clock& clock;
        ModeLoop& loop;
        std::function<void()> refreshStatus;
    };

    TerminalConnection(Services services, TerminalView& view);

    // Runs the receive loop until Close, the window's closing or a failed
    // queue-status query: it returns only when the connection has stopped.
    void open();
    void close();
    void set();
    void resetChip();
    void runChip();
    // Resets and runs the chip, and the bridge follows it to its start rate:
    // the one way back to a monitor stuck in a command (the rest of a WRF's
    // data it still waits for). False when there is no board control.
    bool restartMonitor();
    void suspend();
    void resume();
    void commandMode();
    void dataMode();
    void enableRts();
    void disableRts();

    // The board went away under the open connection (a queue query failed)
    // and the connection has not been closed or reopened since.
    bool linkLost() const { return linkFailed; }

    void SetupTerminalPort(std::uint32_t baudRate);
    void ChangeTerminalBaud(std::uint32_t baudRate);
    // One pass of the receive loop; the number of bytes it showed.
    std::uint32_t ReceivePass();

  private:
    void driveChipLines(const std::function<void()>& pattern);
    bool deviceChosen();
    std::optional<std::uint32_t> chosenBaudRate();
    bool openChannelA();
    void receiveLoop();
    void applyLineSettings(std::uint32_t baudRate);
    void stageShown(std::uint8_t b);
    void driveChannelA(DriverStatus (DeviceLink::*line)());
    void log(const QString& text);
    void tellBoardControlMissing();
    void followChipRestart();
    void lookForReturnedBoard();
    bool boardListed();

    Services services;
    TerminalView& view;
    ControlLines lines;
    bool boardControlMissingTold = false;
    // A queue query failed during this connection: the board has gone away.
    bool linkFailed = false;
    // The last pattern driven was the reset: the next run restarts the chip.
    bool chipHeldInReset = false;
    // While the link is lost: looks for the board in the port listing.
    QTimer returnWatch;
};
