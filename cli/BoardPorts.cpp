#include "BoardPorts.h"

#include <algorithm>
#include <array>

#include "DeviceLink.h"
#include "SimBackend.h"

namespace {

struct ShortName {
    const char* port;
    const char* board;
};

const std::array<ShortName, 2> SimulatedBoards{{
    {"sim", SimBackend::EvalBoardName},
    {"sim-spy", SimBackend::SpyBoardName},
}};

std::optional<QString> shortNameOf(const QString& board) {
    for (const ShortName& name : SimulatedBoards) {
        if (board == QLatin1String(name.board)) {
            return QString::fromLatin1(name.port);
        }
    }
    return std::nullopt;
}

}  // namespace

bool NamesSimulatedBoard(const QString& port) {
    return std::any_of(SimulatedBoards.begin(), SimulatedBoards.end(), [&](const ShortName& name) {
        return port == QLatin1String(name.port) || port == QLatin1String(name.board);
    });
}

namespace {

// "board in a rack at rack-pc:7000 and rack-pc:7001"
std::optional<QString> rackDescription(const QString& board,
                                       const std::vector<RemoteBoard>& remoteBoards) {
    for (const RemoteBoard& remote : remoteBoards) {
        if (remote.name != board) {
            continue;
        }
        const QString ports = remote.portsText();
        return remote.channelB ? QStringLiteral("board in a rack at %1").arg(ports)
                               : QStringLiteral(
                                     "board in a rack at %1, channel A only (no "
                                     "board control)")
                                     .arg(ports);
    }
    return std::nullopt;
}

}  // namespace

std::vector<ListedBoard> ListBoards(DeviceLink& link,
                                    const std::vector<RemoteBoard>& remoteBoards) {
    std::array<QString, DeviceLink::DeviceListSlots> descriptions;
    link.ListDescriptions(descriptions);
    std::vector<ListedBoard> boards;
    for (const QString& description : descriptions) {
        if (!IsChannelADescription(description)) {
            continue;
        }
        const QString board = StripChannelSuffix(description);
        const bool hasB = std::find(descriptions.begin(), descriptions.end(),
                                    board + QStringLiteral(" B")) != descriptions.end();
        const std::optional<QString> shortName = shortNameOf(board);
        ListedBoard listed;
        listed.port = shortName.value_or(board);
        listed.board = board;
        listed.simulated = shortName.has_value();
        listed.description =
            (shortName ? QStringLiteral("simulated board \"%1\"").arg(board)
             : rackDescription(board, remoteBoards) ? *rackDescription(board, remoteBoards)
             : hasB                                 ? QStringLiteral("board with channels A and B")
                    : QStringLiteral("port with channel A only (no board control)"));
        boards.push_back(listed);
    }
    return boards;
}

PortChoice ChoosePort(DeviceLink& link, const QString& requested) {
    const std::vector<ListedBoard> boards = ListBoards(link);
    if (!requested.isEmpty()) {
        for (const ListedBoard& board : boards) {
            if (board.port == requested || board.board == requested) {
                return {board, {}};
            }
        }
        return {std::nullopt,
                QStringLiteral("ERROR : no board or port \"%1\": `tarvik-control list` shows "
                               "the names --port takes")
                    .arg(requested)};
    }
    std::vector<ListedBoard> real;
    std::copy_if(boards.begin(), boards.end(), std::back_inserter(real),
                 [](const ListedBoard& board) { return !board.simulated; });
    if (real.size() == 1) {
        return {real.front(), {}};
    }
    return {std::nullopt,
            real.empty()
                ? QStringLiteral("ERROR : no board is attached: name one with --port (--port sim "
                                 "for the simulated board)")
                : QStringLiteral("ERROR : %1 boards are attached: name one with --port")
                      .arg(real.size())};
}
