#include "RemoteBoard.h"

#include <QRegularExpression>

namespace {

// HOST:PORT, with an IPv6 address in brackets.
std::optional<RemoteEndpoint> parseEndpoint(const QString& text, QString& problem) {
    static const QRegularExpression form(
        QStringLiteral(R"(^(?:\[([0-9A-Fa-f:.]+)\]|([^\s:\[\]]+)):(\d{1,5})$)"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch()) {
        problem = QStringLiteral("\"%1\" is not HOST:PORT").arg(text.trimmed());
        return std::nullopt;
    }
    const uint port = match.captured(3).toUInt();
    if (port == 0 || port > 65535) {
        problem = QStringLiteral("%1 is not a TCP port (1 to 65535)").arg(match.captured(3));
        return std::nullopt;
    }
    const QString host = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
    return RemoteEndpoint{host, static_cast<std::uint16_t>(port)};
}

}  // namespace

QString RemoteEndpoint::toText() const {
    const QString shown = host.contains(QLatin1Char(':')) ? u'[' + host + u']' : host;
    return shown + u':' + QString::number(port);
}

QString RemoteBoard::portsText() const {
    return channelB ? channelA.toText() + u',' + channelB->toText() : channelA.toText();
}

QString RemoteBoard::toText() const {
    return name + u'=' + portsText();
}

RemoteBoardParse ParseRemoteBoard(const QString& text) {
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 0) {
        return {std::nullopt,
                QStringLiteral("\"%1\" is not NAME=HOST:PORT_A[,HOST:PORT_B]").arg(text)};
    }
    const QString name = text.left(equals).trimmed();
    if (name.isEmpty()) {
        return {std::nullopt, QStringLiteral("\"%1\" gives the board no name").arg(text)};
    }
    if (name.size() > RemoteBoard::LongestName) {
        return {std::nullopt, QStringLiteral("the name \"%1\" is longer than %2 characters")
                                  .arg(name)
                                  .arg(RemoteBoard::LongestName)};
    }
    const QStringList ports = text.mid(equals + 1).split(QLatin1Char(','));
    if (ports.size() > 2) {
        return {std::nullopt,
                QStringLiteral("board %1 has %2 ports: it takes one or two (channels A and B)")
                    .arg(name)
                    .arg(ports.size())};
    }
    RemoteBoard board{name, {}, std::nullopt};
    QString problem;
    const std::optional<RemoteEndpoint> a = parseEndpoint(ports.at(0), problem);
    if (!a) {
        return {std::nullopt, QStringLiteral("board %1: %2").arg(name, problem)};
    }
    board.channelA = *a;
    if (ports.size() == 2) {
        board.channelB = parseEndpoint(ports.at(1), problem);
        if (!board.channelB) {
            return {std::nullopt, QStringLiteral("board %1: %2").arg(name, problem)};
        }
    }
    return {board, {}};
}

RemoteBoardsParse ParseRemoteBoards(const QStringList& texts, const QStringList& takenNames) {
    RemoteBoardsParse result;
    QStringList names = takenNames;
    for (const QString& text : texts) {
        RemoteBoardParse parsed = ParseRemoteBoard(text);
        if (!parsed.board) {
            return {{}, parsed.problem};
        }
        if (names.contains(parsed.board->name)) {
            return {{},
                    QStringLiteral("the name %1 is taken: each board needs a name of its own")
                        .arg(parsed.board->name)};
        }
        names.append(parsed.board->name);
        result.boards.push_back(*parsed.board);
    }
    return result;
}

QStringList RemoteBoardTexts(const std::vector<RemoteBoard>& boards) {
    QStringList texts;
    for (const RemoteBoard& board : boards) {
        texts.append(board.toText());
    }
    return texts;
}
