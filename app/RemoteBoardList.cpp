#include "RemoteBoardList.h"

#include "DeviceLink.h"
#include "DriverRegistry.h"
#include "RemoteBackend.h"

namespace {

// Each board once, as the port chooser names it: by its channel A.
QStringList listedBoardNames() {
    DriverRegistry& registry = DriverRegistry::instance();
    QStringList names;
    std::uint32_t count = 0;
    if (registry.deviceCount(count) != hx::Ok) {
        return names;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string description;
        if (registry.deviceDescription(i, description) != hx::Ok) {
            continue;
        }
        const QString text = QString::fromStdString(description);
        if (IsChannelADescription(text)) {
            names.append(StripChannelSuffix(text));
        }
    }
    return names;
}

}  // namespace

RemoteBoardList::RemoteBoardList(std::shared_ptr<RemoteBackend> backend)
    : backend(std::move(backend)) {}

void RemoteBoardList::setKept(std::vector<RemoteBoard> boards) {
    keptBoards = std::move(boards);
    handToBackend();
}

void RemoteBoardList::setForThisRun(std::vector<RemoteBoard> boards) {
    forThisRun = std::move(boards);
    handToBackend();
}

// One listing per kept board is its own; a second one under its name (a
// serial port named so since) stays taken.
QStringList RemoteBoardList::takenNames() const {
    QStringList names = listedBoardNames();
    for (const RemoteBoard& board : keptBoards) {
        names.removeOne(board.name);
    }
    return names;
}

void RemoteBoardList::handToBackend() {
    std::vector<RemoteBoard> boards = keptBoards;
    boards.insert(boards.end(), forThisRun.begin(), forThisRun.end());
    backend->setBoards(std::move(boards));
}
