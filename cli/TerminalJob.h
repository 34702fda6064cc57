#pragma once

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

#include "ConsolePanes.h"
#include "ConsoleProgress.h"
#include "ConsoleTerminalView.h"
#include "ControlGroups.h"
#include "DiskTransfer.h"
#include "ModeFlags.h"
#include "ModeLoop.h"
#include "SlaveFileIo.h"
#include "TerminalConnection.h"
#include "TerminalDisplay.h"
#include "TransferChannel.h"

struct Session;

// A job for the chip's monitor, run as the window runs one: inside the
// terminal connection's loop, once the monitor has given its prompt (and
// the link has moved to the rate asked for), with the connection closed
// after it whatever happened.
class TerminalJob {
  public:
    struct Options {
        QString board;
        std::optional<std::uint32_t> baudRate;
        std::optional<std::uint32_t> block;
        bool quiet = false;
    };
    using Job = std::function<int(TerminalJob&)>;

    TerminalJob(Session& session, const Options& options);

    // The job's exit status; PortUnavailable when the connection could not
    // open, JobFailed when the monitor never prompted.
    int run(const Job& job);

    // Sends a line to the monitor as typed and reads its answer up to the
    // prompt; nothing, reported, when none came.
    std::optional<QByteArray> exchange(const QByteArray& line);

    DiskTransfer& disk() { return diskTransfer; }
    SlaveFileIo& slave() { return slaveIo; }
    TransferChannel& channel() { return transferChannel; }
    ModeFlags& flags() { return modeFlags; }
    TransferView& view() { return terminalView; }
    DeviceLink& link();

  private:
    int start(const Job& job);
    bool awaitPrompt();
    bool promptForEmptyLine();
    bool returnToStartRate();

    Session& session;
    Options options;
    ConsoleProgress progress;
    DroppedLines dropped;
    MessageLines messages;
    TerminalDisplay display{dropped, dropped, &messages};
    ModeFlags modeFlags;
    NoControlGroups groups;
    ModeLoop loop;
    ConsoleTerminalView terminalView;
    TerminalConnection connection;
    TransferChannel transferChannel;
    DiskTransfer diskTransfer;
    SlaveFileIo slaveIo;
    QTimer starter;
    // The job moved the monitor to the rate of --baud.
    bool rateMoved = false;
};
