#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// Where one channel of a board in a rack is served: a host (a name, an IPv4
// address, or an IPv6 address, given in brackets) and an RFC 2217 port.
struct RemoteEndpoint {
    QString host;
    std::uint16_t port = 0;

    // HOST:PORT, an IPv6 address in brackets.
    QString toText() const;

    friend bool operator==(const RemoteEndpoint&, const RemoteEndpoint&) = default;
};

// A board reached over the network: its name on the port list, channel A's
// port and, for a dual-channel bridge, channel B's. Written as
// NAME=HOST:PORT_A[,HOST:PORT_B].
struct RemoteBoard {
    // "NAME B" must fit a 49-character description.
    static constexpr int LongestName = 47;

    QString name;
    RemoteEndpoint channelA;
    std::optional<RemoteEndpoint> channelB;

    QString toText() const;
    // HOST:PORT_A[,HOST:PORT_B], the text after "NAME=".
    QString portsText() const;

    friend bool operator==(const RemoteBoard&, const RemoteBoard&) = default;
};

// The board a NAME=HOST:PORT_A[,HOST:PORT_B] text gives, or why there is none.
struct RemoteBoardParse {
    std::optional<RemoteBoard> board;
    QString problem;
};
RemoteBoardParse ParseRemoteBoard(const QString& text);

// The boards of several texts, one board per text; a name given twice, or
// already taken by the boards the program lists, is a problem too.
struct RemoteBoardsParse {
    std::vector<RemoteBoard> boards;
    QString problem;
};
RemoteBoardsParse ParseRemoteBoards(const QStringList& texts, const QStringList& takenNames = {});

QStringList RemoteBoardTexts(const std::vector<RemoteBoard>& boards);
