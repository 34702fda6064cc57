#include "TerminalJob.h"

#include "ExitStatus.h"
#include "LineBytes.h"
#include "Session.h"

namespace {

// How long a sign-on may keep the link quiet before the monitor is taken
// to be running already.
constexpr std::int64_t SignOnQuietMs = 500;

}  // namespace

TerminalJob::TerminalJob(Session& session, const Options& options)
    : session(session),
      options(options),
      progress(session.clock, QStringLiteral("copy"), options.quiet),
      loop(session.clock, [this] { display.flushIfDue(); }),
      terminalView(options.board, options.block, progress),
      connection({*session.link, modeFlags, groups, display, session.clock, loop, [] {}},
                 terminalView),
      transferChannel(*session.link, display, modeFlags, loop),
      diskTransfer({*session.link, modeFlags, transferChannel, display, session.dialogs,
                    session.clock, terminalView},
                   [this] { return connection.restartMonitor(); }),
      slaveIo({*session.link, modeFlags, transferChannel, display, session.dialogs, session.clock,
               terminalView}) {
    starter.setSingleShot(true);
    starter.setInterval(0);
}

DeviceLink& TerminalJob::link() {
    return *session.link;
}

int TerminalJob::run(const Job& job) {
    // The job starts from inside the connection's loop, at its first pass
    // of events; a connection that never opens never runs it.
    int status = PortUnavailable;
    starter.callOnTimeout([&] {
        status = start(job);
        if (rateMoved && !returnToStartRate() && status == Succeeded) {
            status = JobFailed;
        }
        connection.close();
    });
    starter.start();
    connection.open();
    starter.stop();
    return status;
}

int TerminalJob::start(const Job& job) {
    if (!awaitPrompt()) {
        return JobFailed;
    }
    if (options.baudRate) {
        connection.ChangeTerminalBaud(*options.baudRate);
        // The monitor's answer to SBD came at the old rate: what counts is
        // a prompt at the new one.
        if (link().BaudRate != *options.baudRate || !promptForEmptyLine()) {
            display.TerminalLog(QStringLiteral("ERROR : Tarvik's monitor did not answer at %1 baud")
                                    .arg(*options.baudRate));
            return JobFailed;
        }
        rateMoved = true;
    }
    return job(*this);
}

// The next run, like the monitor after a reset, starts at the start rate:
// a board left at the job's rate would not answer it.
bool TerminalJob::returnToStartRate() {
    const std::uint32_t startRate = TerminalConnection::MonitorStartBaudRate;
    // A prompt first: SBD must begin a line of its own, whatever the job
    // (a send of raw bytes, say) left in the monitor's line.
    if (link().ChannelAOpen && !modeFlags.TerminalStop.requested() && promptForEmptyLine()) {
        connection.ChangeTerminalBaud(startRate);
        if (link().BaudRate == startRate && promptForEmptyLine()) {
            return true;
        }
    }
    display.TerminalLog(
        QStringLiteral("ERROR : Tarvik's monitor did not come back to %1 baud: it may still run at "
                       "%2 baud, which the next run must give with --baud")
            .arg(startRate)
            .arg(*options.baudRate));
    return false;
}

// The monitor signs on when the chip starts, within moments of the port
// opening on a board just powered; one already running says nothing until
// it is asked for its prompt with an empty line.
bool TerminalJob::awaitPrompt() {
    QByteArray answer;
    if (transferChannel.AwaitPrompt(answer, SignOnQuietMs) == TransferEnd::Done ||
        promptForEmptyLine()) {
        return true;
    }
    display.TerminalLog(
        QStringLiteral("ERROR : Tarvik's monitor gave no prompt: nothing was done"));
    return false;
}

bool TerminalJob::promptForEmptyLine() {
    transferChannel.showWaiting();
    transferChannel.SendCommandByte(CarriageReturn);
    QByteArray answer;
    return transferChannel.AwaitPrompt(answer) == TransferEnd::Done;
}

std::optional<QByteArray> TerminalJob::exchange(const QByteArray& line) {
    transferChannel.showWaiting();
    for (const char c : line) {
        transferChannel.SendCommandByte(static_cast<std::uint8_t>(c));
    }
    transferChannel.SendCommandByte(CarriageReturn);
    QByteArray answer;
    if (transferChannel.AwaitPrompt(answer) != TransferEnd::Done) {
        display.TerminalLog(QStringLiteral("ERROR : no answer from Tarvik to ") +
                            QString::fromLatin1(line));
        return std::nullopt;
    }
    return answer;
}
