#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>
#include <optional>

#include "BaudDivisor.h"
#include "BoardPorts.h"
#include "BridgeBaudRate.h"
#include "ConsoleDialogs.h"
#include "ConsoleProgrammerView.h"
#include "ConsoleProgress.h"
#include "ConsoleText.h"
#include "ControlGroups.h"
#include "DeviceLink.h"
#include "ExitStatus.h"
#include "ModeFlags.h"
#include "MonitorCommands.h"
#include "Programmer.h"
#include "Session.h"
#include "SlaveCommands.h"
#include "SpyCommand.h"
#include "TerminalJob.h"

namespace {

const QString UsageText = QStringLiteral(
    "Usage: tarvik-control [--serial-port PATH]... [--remote NAME=HOST:PORT_A[,HOST:PORT_B]]...\n"
    "  or:  tarvik-control COMMAND [OPTIONS] [ARGUMENTS]\n"
    "\n"
    "With no command, opens the window; --serial-port also lists the serial\n"
    "device at PATH, --remote a board in a rack for that run (both\n"
    "repeatable). A command does its job without the window and needs no\n"
    "display.\n"
    "\n"
    "Commands:\n"
    "  list [--json]     the boards and ports the program reaches, one per line:\n"
    "                    the name --port takes, a tab, what it is\n"
    "  flash IMAGE       rewrite Tarvik's flash from a ROM image of at most 65536\n"
    "                    bytes through its boot loader\n"
    "  monitor LINE...   send each line to the monitor and print its answer up to\n"
    "                    the prompt; a failure answer (Bad Command, Command\n"
    "                    Failed, No Disk, Disk Full) ends it\n"
    "  disk ls           the names on the disk, one per line (a folder ends in /)\n"
    "  disk put FILE [NAME]  copy FILE to the disk, as NAME (default: its name)\n"
    "  disk get NAME [FILE]  copy NAME from the disk to FILE (default: NAME)\n"
    "  send FILE         send FILE's bytes to the chip as they are (Slave File\n"
    "                    I/O); prints the rate in bytes/s\n"
    "  capture FILE [--seconds S] [--quiet-seconds S]\n"
    "                    keep what the chip sends in FILE until S seconds have\n"
    "                    passed, nothing has come for S seconds, or Ctrl-C\n"
    "  spy [--seconds S] [--format text|csv] [--output FILE]\n"
    "                    listen to both directions of the chip's link (from\n"
    "                    --baud, default 9600, following the rate changes it\n"
    "                    sees) until S seconds have passed or Ctrl-C: as text,\n"
    "                    the HEX pane's lines (stamped bytes, the decoders'\n"
    "                    readings); as CSV, time_ms,kind,hex,text with kind\n"
    "                    command, answer or reading\n"
    "\n"
    "Options:\n"
    "  --port NAME       the board: a name from list, or a serial device path;\n"
    "                    needed unless exactly one real board is attached (sim is\n"
    "                    the simulated evaluation board, sim-spy the spy board)\n"
    "  --baud RATE       move the monitor and the link to RATE first, as Set does,\n"
    "                    and back to 9600, the monitor's start rate, at the end\n"
    "  --block N         copy in blocks of N bytes (put: WRF blocks of at most\n"
    "                    4096; get: OPR and RDF); without it the whole file at\n"
    "                    once (put: one WRF; get: RD)\n"
    "  --remote NAME=HOST:PORT_A[,HOST:PORT_B]\n"
    "                    a board in a rack, reached through RFC 2217 ports (as\n"
    "                    ser2net serves them): channel A's port and, for board\n"
    "                    control, channel B's; --port NAME then names it\n"
    "                    (repeatable)\n"
    "  --quiet           no progress line on standard error\n"
    "  -h, --help        print this help\n"
    "  -v, --version     print the program's version\n"
    "\n"
    "Results go to standard output, messages to standard error.\n"
    "\n"
    "Exit status:\n"
    "  0  done\n"
    "  1  the board or the job failed: the ERROR line says how\n"
    "  2  the command line is wrong\n"
    "  3  the port cannot be found or opened");

const QStringList Commands = {QStringLiteral("list"),    QStringLiteral("flash"),
                              QStringLiteral("monitor"), QStringLiteral("disk"),
                              QStringLiteral("send"),    QStringLiteral("capture"),
                              QStringLiteral("spy")};

bool isHelp(const QString& argument) {
    return argument == QLatin1String("-h") || argument == QLatin1String("--help");
}

bool isVersion(const QString& argument) {
    return argument == QLatin1String("-v") || argument == QLatin1String("--version");
}

int usageError(const QString& text) {
    PrintError(QStringLiteral("ERROR : ") + text);
    PrintError(QStringLiteral("Run tarvik-control --help for the commands and options."));
    return UsageError;
}

int listBoards(Session& session, bool json) {
    const std::vector<ListedBoard> boards = ListBoards(*session.link, session.remote->boards());
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
        PrintError(QStringLiteral("ERROR : cannot open ") + link.ChannelAName +
                   link.OpenProblemSuffix());
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
    NoControlGroups groups;
    Programmer programmer(view, *session.link, session.dialogs, session.clock, flags, groups);
    const std::int64_t startNs = session.clock.nanoseconds();
    programmer.RunProgramming();
    if (!programmer.flashed()) {
        return JobFailed;
    }
    PrintResult(RateLine(static_cast<std::uint64_t>(QFileInfo(image).size()),
                         session.clock.nanoseconds() - startNs));
    return Succeeded;
}

std::optional<std::uint32_t> numberOption(const QCommandLineParser& parser,
                                          const QCommandLineOption& option, bool& wrong) {
    if (!parser.isSet(option)) {
        return std::nullopt;
    }
    bool isNumber = false;
    const std::uint32_t value = parser.value(option).toUInt(&isNumber);
    wrong = !isNumber || value == 0;
    return value;
}

// The monitor's jobs: the board --port names, the rate and block size.
int runMonitorJob(Session& session, const QCommandLineParser& parser, const QString& port,
                  std::optional<std::uint32_t> baudRate, std::optional<std::uint32_t> block,
                  const CaptureEnd& end, bool quiet) {
    const PortChoice choice = ChoosePort(*session.link, port);
    if (!choice.board) {
        PrintError(choice.problem);
        return PortUnavailable;
    }
    TerminalJob job(session, {choice.board->board, baudRate, block, quiet});
    const QStringList positional = parser.positionalArguments();
    const QString command = positional.at(0);
    if (command == QLatin1String("monitor")) {
        return job.run([&](TerminalJob& j) { return RunMonitorLines(j, positional.mid(1)); });
    }
    if (command == QLatin1String("send")) {
        return job.run([&](TerminalJob& j) { return SendToChip(j, positional.at(1)); });
    }
    if (command == QLatin1String("capture")) {
        return job.run([&](TerminalJob& j) { return CaptureFromChip(j, positional.at(1), end); });
    }
    const QString action = positional.value(1);
    if (action == QLatin1String("ls")) {
        return job.run([](TerminalJob& j) { return ListDisk(j); });
    }
    if (action == QLatin1String("put")) {
        return job.run(
            [&](TerminalJob& j) { return PutOnDisk(j, positional.at(2), positional.value(3)); });
    }
    const QString local = positional.value(3, positional.at(2));
    return job.run(
        [&](TerminalJob& j) { return GetFromDisk(j, positional.at(2), local, block.has_value()); });
}

// What is wrong with the command's arguments, if anything.
QString argumentProblem(const QStringList& positional) {
    const QString command = positional.value(0);
    const qsizetype count = positional.size();
    if (command == QLatin1String("list")) {
        return count == 1 ? QString() : QStringLiteral("list takes no arguments");
    }
    if (command == QLatin1String("flash")) {
        return count == 2 ? QString() : QStringLiteral("flash takes one argument, the ROM image");
    }
    if (command == QLatin1String("monitor")) {
        return count >= 2 ? QString() : QStringLiteral("monitor takes the lines to send");
    }
    if (command == QLatin1String("spy")) {
        return count == 1 ? QString() : QStringLiteral("spy takes no arguments");
    }
    if (command == QLatin1String("send") || command == QLatin1String("capture")) {
        return count == 2 ? QString() : QStringLiteral("%1 takes one file").arg(command);
    }
    const QString action = positional.value(1);
    if (action == QLatin1String("ls")) {
        return count == 2 ? QString() : QStringLiteral("disk ls takes no arguments");
    }
    if (action == QLatin1String("put") || action == QLatin1String("get")) {
        return count == 3 || count == 4
                   ? QString()
                   : QStringLiteral("disk %1 takes one or two names").arg(action);
    }
    return QStringLiteral("disk takes ls, put or get");
}

int runCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption baud(QStringLiteral("baud"), QString(), QStringLiteral("RATE"));
    const QCommandLineOption block(QStringLiteral("block"), QString(), QStringLiteral("N"));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QString(), QStringLiteral("S"));
    const QCommandLineOption quietSeconds(QStringLiteral("quiet-seconds"), QString(),
                                          QStringLiteral("S"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("FORMAT"));
    const QCommandLineOption output(QStringLiteral("output"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption remote(QStringLiteral("remote"), QString(),
                                    QStringLiteral("NAME=HOST:PORT_A[,HOST:PORT_B]"));
    parser.addOptions(
        {port, baud, block, seconds, quietSeconds, quiet, json, format, output, remote});
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText());
    }
    const QStringList positional = parser.positionalArguments();
    if (const QString problem = argumentProblem(positional); !problem.isEmpty()) {
        return usageError(problem);
    }
    bool wrongBaud = false;
    bool wrongBlock = false;
    const std::optional<std::uint32_t> baudRate = numberOption(parser, baud, wrongBaud);
    const std::optional<std::uint32_t> blockSize = numberOption(parser, block, wrongBlock);
    const bool spying = positional.at(0) == QLatin1String("spy");
    const bool rateUnusable =
        baudRate && (spying ? *baudRate < LowestBridgeBaud || *baudRate > HighestBridgeBaud
                            : !BaudDivisorBytes(*baudRate));
    if (wrongBaud || rateUnusable) {
        return usageError(
            QStringLiteral("\"%1\" is not a rate the monitor can run at").arg(parser.value(baud)));
    }
    if (wrongBlock) {
        return usageError(QStringLiteral("--block takes a whole number of bytes, not \"%1\"")
                              .arg(parser.value(block)));
    }
    CaptureEnd end;
    for (const auto& [option, value] :
         {std::pair{&seconds, &end.seconds}, std::pair{&quietSeconds, &end.quietSeconds}}) {
        if (!parser.isSet(*option)) {
            continue;
        }
        bool isNumber = false;
        *value = parser.value(*option).toDouble(&isNumber);
        if (!isNumber || **value <= 0) {
            return usageError(QStringLiteral("--%1 takes a number of seconds, not \"%2\"")
                                  .arg(option->names().constFirst(), parser.value(*option)));
        }
    }
    RemoteBoardsParse remoteBoards =
        ParseRemoteBoards(parser.values(remote), {QStringLiteral("sim"), QStringLiteral("sim-spy"),
                                                  QLatin1String(SimBackend::EvalBoardName),
                                                  QLatin1String(SimBackend::SpyBoardName)});
    if (!remoteBoards.problem.isEmpty()) {
        return usageError(QStringLiteral("--remote: ") + remoteBoards.problem);
    }
    Session session(parser.value(port), std::move(remoteBoards.boards));
    const QString command = positional.at(0);
    if (command == QLatin1String("list")) {
        return listBoards(session, parser.isSet(json));
    }
    if (command == QLatin1String("flash")) {
        return flashImage(session, parser.value(port), positional.at(1), parser.isSet(quiet));
    }
    if (spying) {
        const QString formatName = parser.value(format);
        if (!formatName.isEmpty() && formatName != QLatin1String("text") &&
            formatName != QLatin1String("csv")) {
            return usageError(
                QStringLiteral("--format takes text or csv, not \"%1\"").arg(formatName));
        }
        const PortChoice choice = ChoosePort(*session.link, parser.value(port));
        if (!choice.board) {
            PrintError(choice.problem);
            return PortUnavailable;
        }
        return RunSpy(session, {choice.board->board, baudRate.value_or(9600), end.seconds,
                                formatName == QLatin1String("csv") ? SpyRecord::Format::Csv
                                                                   : SpyRecord::Format::Text,
                                parser.value(output)});
    }
    return runMonitorJob(session, parser, parser.value(port), baudRate, blockSize, end,
                         parser.isSet(quiet));
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
