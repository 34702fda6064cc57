#pragma once

#include <chrono>
#include <vector>

#include "DriverBackend.h"
#include "RemoteBoard.h"

// Boards in a rack, reached over the network through RFC 2217 ports: each
// board is listed as "NAME A" and, when it has a second port, "NAME B".
// Listing reads only the configuration and never waits on the network; a
// channel's connection is made when it opens, within connectBound.
class RemoteBackend : public DriverBackend {
  public:
    static constexpr std::chrono::milliseconds DefaultConnectBound{5000};

    explicit RemoteBackend(std::vector<RemoteBoard> boards = {},
                           std::chrono::milliseconds connectBound = DefaultConnectBound);

    // Channels already open stay open on their connections.
    void setBoards(std::vector<RemoteBoard> boards);
    const std::vector<RemoteBoard>& boards() const { return configured; }

    DriverStatus deviceCount(std::uint32_t& count) override;
    DriverStatus deviceDescription(std::uint32_t index, std::string& description) override;
    DriverStatus open(const std::string& description,
                      std::unique_ptr<BridgeChannel>& channel) override;
    std::string openProblem() const override { return problem; }

  private:
    struct Listed {
        std::string description;
        RemoteEndpoint endpoint;
    };

    std::vector<RemoteBoard> configured;
    std::vector<Listed> listed;
    std::chrono::milliseconds connectBound;
    std::string problem;
};
