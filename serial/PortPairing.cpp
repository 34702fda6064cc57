#include "PortPairing.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "HxTypes.h"

namespace {

// Room for the name in a description, after the channel suffix " A".
constexpr qsizetype nameLength = hx::DescriptionBufferSize - 1 - 2;

struct Board {
    QString name;
    // Told apart from another board of the same name by this, in brackets.
    QString serialNumber;
    QString busPath;
    std::vector<PortFacts> channels;
};

using DeviceKey = std::tuple<std::uint16_t, std::uint16_t, QString, QString>;

DeviceKey deviceOf(const UsbFacts& usb) {
    return {usb.vendorId, usb.productId, usb.serialNumber, usb.busPath};
}

QString usbName(const UsbFacts& usb) {
    if (!usb.product.isEmpty()) {
        return usb.product;
    }
    return QStringLiteral("USB %1:%2")
        .arg(usb.vendorId, 4, 16, QLatin1Char('0'))
        .arg(usb.productId, 4, 16, QLatin1Char('0'));
}

// The tag is what tells the board apart, so the cut falls on the name.
QString fitted(const QString& name, const QString& tag = {}) {
    if (tag.isEmpty()) {
        return name.left(nameLength);
    }
    const QString bracketed = QStringLiteral("[") + tag + QStringLiteral("]");
    const qsizetype room = std::max<qsizetype>(0, nameLength - bracketed.size() - 1);
    return (name.left(room) + QLatin1Char(' ') + bracketed).left(nameLength);
}

Board loneBoard(const PortFacts& port) {
    const QString name =
        port.usb ? fitted(usbName(*port.usb), port.portName) : fitted(port.systemLocation);
    return {name, {}, {}, {port}};
}

std::vector<Board> boardsOf(const std::vector<PortFacts>& ports) {
    // Each device's interfaces, in the order of their numbers.
    std::map<DeviceKey, std::map<int, PortFacts>> devices;
    std::vector<Board> boards;
    for (const PortFacts& port : ports) {
        if (port.usb && !port.usb->busPath.isEmpty()) {
            devices[deviceOf(*port.usb)].emplace(port.usb->interfaceNumber, port);
        } else {
            boards.push_back(loneBoard(port));
        }
    }
    for (const auto& [key, interfaces] : devices) {
        const PortFacts& first = interfaces.begin()->second;
        if (interfaces.size() == 1) {
            boards.push_back(loneBoard(first));
            continue;
        }
        Board board{fitted(usbName(*first.usb)), first.usb->serialNumber, first.usb->busPath, {}};
        for (const auto& [number, port] : interfaces) {
            board.channels.push_back(port);
        }
        boards.push_back(std::move(board));
    }
    return boards;
}

// Opening is by exact description, so a name that two boards share would
// leave the second one out of reach.
void tellApart(std::vector<Board>& boards) {
    std::map<QString, std::vector<Board*>> byName;
    for (Board& board : boards) {
        byName[board.name].push_back(&board);
    }
    for (auto& [name, sharing] : byName) {
        if (sharing.size() < 2) {
            continue;
        }
        std::map<QString, int> serialUses;
        for (const Board* board : sharing) {
            ++serialUses[board->serialNumber];
        }
        for (Board* board : sharing) {
            const bool serialTells =
                !board->serialNumber.isEmpty() && serialUses[board->serialNumber] == 1;
            board->name = fitted(name, serialTells ? board->serialNumber : board->busPath);
        }
    }
}

}  // namespace

std::vector<ListedChannel> pairPorts(const std::vector<PortFacts>& ports) {
    std::vector<Board> boards = boardsOf(ports);
    tellApart(boards);
    std::stable_sort(boards.begin(), boards.end(),
                     [](const Board& a, const Board& b) { return a.name < b.name; });
    std::vector<ListedChannel> listed;
    for (const Board& board : boards) {
        char channel = 'A';
        for (const PortFacts& port : board.channels) {
            listed.push_back(
                {(board.name + QLatin1Char(' ') + QLatin1Char(channel++)).toStdString(), port});
        }
    }
    return listed;
}
