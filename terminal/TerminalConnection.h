#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "ControlLines.h"
#include "HxTypes.h"

class Clock;
class ControlGroups;
class DeviceLink;
class ModeLoop;
class QComboBox;
class QPushButton;
class QRadioButton;
class QWidget;
class TerminalDisplay;
struct ModeFlags;

// The window's controls that the terminal connection reads and switches.
struct TerminalControls {
    QComboBox& ComboBox1;
    QComboBox& ComboBox2;
    QPushButton& Button4;
    QPushButton& Button6;
    QPushButton& Button7;
    QRadioButton& RadioButton1;
    QRadioButton& RadioButton2;
    QRadioButton& RadioButton3;
    QRadioButton& RadioButton4;
    QRadioButton& RadioButton5;
    QRadioButton& RadioButton6;
    QRadioButton& RadioButton7;
    QWidget& GroupBox1;
    QWidget& GroupBox2;
};

// The link to the chip's monitor over channel A and the board controls beside
// it: opening and closing the link with its receive loop, the baud-rate change
// at both ends, the reset and run lines through channel B, suspend and resume
// of the monitor, and the DTR and RTS lines of channel A.
//
// Selecting a radio button from here runs that button's handler through the
// window's connection, exactly when the selection changes.
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

    TerminalConnection(Services services, TerminalControls controls);

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

    void SetupTerminalPort(std::uint32_t baudRate);
    void ChangeTerminalBaud(std::uint32_t baudRate);
    // One pass of the receive loop; the number of bytes it showed.
    std::uint32_t ReceivePass();

  private:
    void driveChipLines(const std::function<void()>& pattern);
    bool deviceChosen();
    std::optional<std::uint32_t> chosenBaudRate();
    void openChannelB();
    bool openChannelA();
    void showOpenControls();
    void showClosedControls();
    void receiveLoop();
    void applyLineSettings(std::uint32_t baudRate);
    void stageShown(std::uint8_t b);
    void driveChannelA(DriverStatus (DeviceLink::*line)());
    void log(const QString& text);
    void tellBoardControlMissing();

    Services services;
    TerminalControls controls;
    ControlLines lines;
    bool boardControlMissingTold = false;
    // A queue query failed during this connection: the board has gone away.
    bool linkFailed = false;
};
