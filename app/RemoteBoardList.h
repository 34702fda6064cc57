#pragma once

#include <QStringList>
#include <memory>
#include <vector>

#include "RemoteBoard.h"

class RemoteBackend;

// The boards in a rack the window lists, all through the one remote backend:
// those the user keeps (edited from File > Remote Boards…, remembered between
// runs) and those the command line gives for this run only, which are neither
// edited nor remembered.
class RemoteBoardList {
  public:
    explicit RemoteBoardList(std::shared_ptr<RemoteBackend> backend);

    const std::vector<RemoteBoard>& kept() const { return keptBoards; }
    void setKept(std::vector<RemoteBoard> boards);
    void setForThisRun(std::vector<RemoteBoard> boards);

    // The names a kept board cannot have: those of every board the driver
    // lists now (the simulated boards, the serial ports, this run's remote
    // boards) but the kept boards themselves.
    QStringList takenNames() const;

  private:
    void handToBackend();

    std::shared_ptr<RemoteBackend> backend;
    std::vector<RemoteBoard> keptBoards;
    std::vector<RemoteBoard> forThisRun;
};
