#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "RemoteBoard.h"

class DeviceLink;

// A board as the command line names it: the name --port takes, and what it is.
struct ListedBoard {
    QString port;
    QString board;  // its name on the driver's list (the window's port chooser)
    QString description;
    bool simulated = false;
};

// Every board the driver lists now. The simulated ones go by short names;
// the boards in a rack are told by where they are served.
std::vector<ListedBoard> ListBoards(DeviceLink& link,
                                    const std::vector<RemoteBoard>& remoteBoards = {});

// --port names one of the simulated boards, by its short or listed name.
bool NamesSimulatedBoard(const QString& port);

// The board --port names, by its port name, its listed name or (for a
// device path given as an extra serial port) its path; with no --port, the
// one real board attached. An explanation when there is none.
struct PortChoice {
    std::optional<ListedBoard> board;
    QString problem;
};
PortChoice ChoosePort(DeviceLink& link, const QString& requested);
