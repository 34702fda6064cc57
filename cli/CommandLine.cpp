#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>

#include "BoardPorts.h"
#include "ConsoleDialogs.h"
#include "ConsoleProgrammerView.h"
#include "ConsoleProgress.h"
#include "ConsoleText.h"
#include "DeviceLink.h"
#include "DriverContext.h"
#include "ExitStatus.h"
#include "ModeFlags.h"
#include "Programmer.h"
#include "SerialBackend.h"
#include "SimBackend.h"
#include "SystemClock.h"

namespace {

const QString UsageText = QStringLiteral(
    "Usage: tarvik-control [--serial-port PATH]...\n"
    "       tarvik-control COMMAND [OPTIONS] [ARGUMENTS]\n"
    "\n"
    "With no command, opens the window; --serial-port also lists the serial\n"
    "device at PATH (repeatable). A command does its job without the window\n"
    "and needs no display.\n"
    "\n"
    "Commands:\n"
    "  list [--json]   the boards and ports the program reaches, one per line:\n"
    "                  the name --port takes, a tab, what it is\n"
    "  flash IMAGE     rewrite Tarvik's flash from a ROM image of at most 65536\n"
    "                  bytes through its boot loader\n"
    "\n"
    "Options:\n"
    "  --port NAME     the board: a name from list, or a serial device path;\n"
    "                  needed unless exactly one real board is attached (sim is\n"
    "                  the simulated evaluation board, sim-spy the spy board)\n"
    "  --quiet         no progress line on standard error\n"
    "  -h, --help      this text\n"
    "  -v, --version   the program's version\n"
    "\n"
    "Results go to standard output, messages to standard error.\n"
    "\n"
    "Exit status:\n"
    "  0  done\n"
    "  1  the board or the job failed: the ERROR line says how\n"
    "  2  the command line is wrong\n"
    "  3  the port cannot be found or opened");

const QStringList Commands = {QStringLiteral("list"), QStringLiteral("flash")};

bool isHelp(const QString& argument) {
    return argument == QLatin1String("-h") || argument == QLatin1String("--help");
}

bool isVersion(const QString& argument) {
    return argument == QLatin1String("-v") || argument == QLatin1String("--version");
}

// What every command runs on: the real clock, a driver context with the
// simulated boards and the computer's serial ports, the link and dialogs
// that speak on standard error.
struct Session {
    explicit Session(const QString& port) {
        drivers.registry().install(std::make_shared<SimBackend>(clock));
        // A device path the system does not list is reached as an extra port.
        const QStringList extra =
            port.startsWith(QLatin1Char('/')) ? QStringList{port} : QStringList{};
        drivers.registry().install(std::make_shared<SerialBackend>(extra));
    }

    SystemClock clock;
    DriverContext drivers;
    ConsoleDialogs dialogs;
    std::unique_ptr<DeviceLink> link = std::make_unique<DeviceLink>(dialogs);
};

int usageError(const QString& text) {
    PrintError(QStringLiteral("ERROR : ") + text);
    PrintError(QStringLiteral("Run tarvik-control --help for the commands and options."));
    return UsageError;
}

int listBoards(Session& session, bool json) {
    const std::vector<ListedBoard> boards = ListBoards(*session.link);
    if (!json) {
        for (const ListedBoard& board : boards) {
            PrintResult(board.port + QLatin1Char('\t') + board.description);
        }
        return Succeeded;
    }
    QJsonArray list;
    for (const ListedBoard& board : boards) {
        list.append(QJsonObject{{QStringLiteral("port"), board.port},
                                {QStringLiteral("board"), board.board},
                                {QStringLiteral("description"), board.description},
                                {QStringLiteral("simulated"), board.simulated}});
    }
    PrintResult(QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)));
    return Succeeded;
}

// The board --port names, with both of its channels free to open.
std::optional<QString> reachableBoard(Session& session, const QString& port, int& status) {
    const PortChoice choice = ChoosePort(*session.link, port);
    if (!choice.board) {
        PrintError(choice.problem);
        status = PortUnavailable;
        return std::nullopt;
    }
    DeviceLink& link = *session.link;
    link.ChooseBoard(choice.board->board);
    if (!link.OpenChannelA()) {
        PrintError(QStringLiteral("ERROR : cannot open ") + link.ChannelAName);
        status = PortUnavailable;
        return std::nullopt;
    }
    link.CloseChannelA();
    return choice.board->board;
}

int flashImage(Session& session, const QString& port, const QString& image, bool quiet) {
    int status = Succeeded;
    const std::optional<QString> board = reachableBoard(session, port, status);
    if (!board) {
        return status;
    }
    ConsoleProgress progress(session.clock, QStringLiteral("flash"), quiet);
    ConsoleProgrammerView view(*board, image, progress);
    ModeFlags flags;
    Programmer programmer(view, *session.link, session.dialogs, session.clock, flags, view);
    programmer.RunProgramming();
    return programmer.flashed() ? Succeeded : JobFailed;
}

int runCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption json(QStringLiteral("json"));
    parser.addOptions({port, quiet, json});
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText());
    }
    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    Session session(parser.value(port));
    if (command == QLatin1String("list")) {
        if (positional.size() != 1) {
            return usageError(QStringLiteral("list takes no arguments"));
        }
        return listBoards(session, parser.isSet(json));
    }
    if (positional.size() != 2) {
        return usageError(QStringLiteral("flash takes one argument, the ROM image"));
    }
    return flashImage(session, parser.value(port), positional.at(1), parser.isSet(quiet));
}

}  // namespace

bool IsCommandLineRun(int argc, char* argv[]) {
    if (argc < 2) {
        return false;
    }
    const QString first = QString::fromLocal8Bit(argv[1]);
    return Commands.contains(first) || isHelp(first) || isVersion(first);
}

int RunCommandLine(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvik-control"));
    QStringList arguments = QCoreApplication::arguments();
    const QString first = arguments.value(1);
    if (isHelp(first)) {
        PrintResult(UsageText);
        return Succeeded;
    }
    if (isVersion(first)) {
        PrintResult(QStringLiteral("tarvik-control %1").arg(QStringLiteral(TARVIK_VERSION)));
        return Succeeded;
    }
    return runCommand(arguments);
}
