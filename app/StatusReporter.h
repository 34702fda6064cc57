#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The link as the window's status bar names it.
struct LinkStatus {
    // The port chooser's board; empty for none.
    QString board;
    // Channel A's rate while it is open; else the rate the terminal would
    // open at, as its box reads.
    QString baudRate;
    bool open = false;
    // The mode that runs ("Terminal", "Spy", "Programming"); empty for none.
    QString mode;
    // The Terminal Mode indicators as they read: mode, board, interface and
    // acknowledge; empty while another mode runs.
    QString commandOrData;
    QString chip;
    QString interfaceState;
    QString acknowledge;
};

// Where the window reports what goes on beyond its pages: the main window's
// status bar. A window built alone has none.
class StatusReporter {
  public:
    virtual ~StatusReporter() = default;

    virtual void showLink(const LinkStatus& link) = 0;
    // A job that moves bytes has begun: a flash, a disk copy, a slave send or
    // receive.
    virtual void startProgress(const QString& job) = 0;
    // Its bytes so far, of its whole when that is known.
    virtual void showProgress(std::uint64_t done, std::optional<std::uint64_t> total) = 0;
    virtual void endProgress() = 0;
};
