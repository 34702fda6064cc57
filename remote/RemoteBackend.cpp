#include "RemoteBackend.h"

#include <algorithm>

#include "Rfc2217PortIo.h"
#include "SerialChannel.h"

RemoteBackend::RemoteBackend(std::vector<RemoteBoard> boards,
                             std::chrono::milliseconds connectBound)
    : connectBound(connectBound) {
    setBoards(std::move(boards));
}

void RemoteBackend::setBoards(std::vector<RemoteBoard> boards) {
    configured = std::move(boards);
    listed.clear();
    for (const RemoteBoard& board : configured) {
        listed.push_back({(board.name + QStringLiteral(" A")).toStdString(), board.channelA});
        if (board.channelB) {
            listed.push_back({(board.name + QStringLiteral(" B")).toStdString(), *board.channelB});
        }
    }
}

DriverStatus RemoteBackend::deviceCount(std::uint32_t& count) {
    count = static_cast<std::uint32_t>(listed.size());
    return hx::Ok;
}

DriverStatus RemoteBackend::deviceDescription(std::uint32_t index, std::string& description) {
    if (index >= listed.size()) {
        return hx::DeviceNotFound;
    }
    description = listed[index].description;
    return hx::Ok;
}

// A remote port is a serial port at the other end of the connection: the
// serial channel's rules (the bit mode's patterns on RTS and DTR among them)
// apply to it as they are.
DriverStatus RemoteBackend::open(const std::string& description,
                                 std::unique_ptr<BridgeChannel>& channel) {
    const auto found = std::find_if(listed.begin(), listed.end(),
                                    [&](const Listed& l) { return l.description == description; });
    if (found == listed.end()) {
        return hx::DeviceNotFound;
    }
    auto io = std::make_unique<Rfc2217PortIo>();
    if (!io->connectTo(found->endpoint, connectBound)) {
        problem = io->problem().toStdString();
        return io->lookupFailed() ? hx::DeviceNotFound : hx::DeviceNotOpened;
    }
    channel = std::make_unique<SerialChannel>(std::move(io));
    return hx::Ok;
}
