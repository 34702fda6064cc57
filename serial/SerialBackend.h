#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "DriverBackend.h"
#include "PortPairing.h"

// The computer's serial ports as a driver backend: a dual-channel USB bridge
// is one board with channels A and B, every other port a board with channel
// A only (see pairPorts). Device paths the system does not list, such as a
// pseudo-terminal, can be given; each is listed as its path followed by " A".
// The ports are looked up afresh each time the devices are counted.
class SerialBackend : public DriverBackend {
  public:
    explicit SerialBackend(QStringList extraPaths = {}, QString sysfsRoot = "/sys");

    DriverStatus deviceCount(std::uint32_t& count) override;
    DriverStatus deviceDescription(std::uint32_t index, std::string& description) override;
    DriverStatus open(const std::string& description,
                      std::unique_ptr<BridgeChannel>& channel) override;

  private:
    void refresh();
    const ListedChannel* find(const std::string& description) const;

    QStringList extraPaths;
    QString sysfsRoot;
    std::vector<ListedChannel> listed;
};
