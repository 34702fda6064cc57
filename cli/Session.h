#pragma once

#include <QStringList>
#include <algorithm>
#include <memory>

#include "BoardPorts.h"
#include "BoardStore.h"
#include "ConsoleDialogs.h"
#include "DeviceLink.h"
#include "DriverContext.h"
#include "RemoteBackend.h"
#include "SerialBackend.h"
#include "SimBackend.h"
#include "SystemClock.h"

// What every command runs on: the real clock, a driver context with the
// simulated boards, the computer's serial ports and the boards in a rack
// given with --remote, and the link and dialogs that speak on standard error.
struct Session {
    Session(const QString& port, std::vector<RemoteBoard> remoteBoards) {
        drivers.registry().install(
            std::make_shared<SimBackend>(clock, BoardStore::standardFolder()));
        const bool remotePort =
            std::any_of(remoteBoards.begin(), remoteBoards.end(),
                        [&](const RemoteBoard& board) { return board.name == port; });
        remote = std::make_shared<RemoteBackend>(std::move(remoteBoards));
        drivers.registry().install(remote);
        // Each opening of a channel lists the ports again, a scan of the
        // system's ttys that takes tens of milliseconds: a job on a simulated
        // or remote board does without it.
        if (NamesSimulatedBoard(port) || remotePort) {
            return;
        }
        // A device path the system does not list is reached as an extra port.
        const QStringList extra =
            port.startsWith(QLatin1Char('/')) ? QStringList{port} : QStringList{};
        drivers.registry().install(std::make_shared<SerialBackend>(extra));
    }

    SystemClock clock;
    DriverContext drivers;
    std::shared_ptr<RemoteBackend> remote;
    ConsoleDialogs dialogs;
    std::unique_ptr<DeviceLink> link = std::make_unique<DeviceLink>(dialogs);
};
