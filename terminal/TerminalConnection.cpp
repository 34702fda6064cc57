#include "TerminalConnection.h"

#include <algorithm>
#include <utility>

#include "BaudDivisor.h"
#include "BridgeBaudRate.h"
#include "Clock.h"
#include "ControlGroups.h"
#include "DeviceLink.h"
#include "LineBytes.h"
#include "ModeFlags.h"
#include "ModeLoop.h"
#include "TerminalDisplay.h"
#include "TerminalView.h"

namespace {

constexpr std::array<std::uint8_t, 4> SetBaudCommand{'S', 'B', 'D', ' '};
constexpr std::array<std::uint8_t, 4> SuspendCommand{'S', 'U', 'M', CarriageReturn};
// The monitor answers a baud change at the old rate; the bridge follows only
// once the chip has switched.
constexpr int BaudChangePauseMs = 1000;
// How often the port listing is looked at while the board is gone: one
// listing, done between two window events, at a pace a user does not wait on.
constexpr int ReturnLookIntervalMs = 1000;

}  // namespace

TerminalConnection::TerminalConnection(Services services, TerminalView& view)
    : services(std::move(services)), view(view), lines(this->services.link) {
    returnWatch.setInterval(ReturnLookIntervalMs);
    returnWatch.callOnTimeout([this] { lookForReturnedBoard(); });
}

void TerminalConnection::open() {
    DeviceLink& link = services.link;
    if (!deviceChosen()) {
        return;
    }
    const std::optional<std::uint32_t> baudRate = chosenBaudRate();
    if (!baudRate) {
        return;
    }
    log(QStringLiteral("Opening Device : ") + link.ChannelAName);
    services.link.OpenChannelB();
    if (!openChannelA()) {
        return;
    }
    log(QStringLiteral("Opened OK"));
    boardControlMissingTold = false;
    if (!link.ChannelBOpen) {
        tellBoardControlMissing();
    }
    services.flags.TerminalStop.clear();
    linkFailed = false;
    SetupTerminalPort(*baudRate);
    view.showOpening();
    view.selectRun();
    lines.RunChip();
    link.SelectChannelA();
    view.showOpen();
    services.groups.DisableProgrammerControls();
    services.groups.DisableSpyControls();
    services.refreshStatus();
    services.flags.TerminalOpen = true;
    receiveLoop();
    services.flags.TerminalOpen = false;
}

bool TerminalConnection::openChannelA() {
    DeviceLink& link = services.link;
    if (!link.OpenChannelA()) {
        // Nothing of the connection is left behind, and the user is told why
        // nothing happened even when the board has simply gone away.
        log(QStringLiteral("ERROR : failed to open ") + link.ChannelAName +
            link.OpenProblemSuffix());
        link.CloseChannelB();
        return false;
    }
    return true;
}

void TerminalConnection::receiveLoop() {
    DeviceLink& link = services.link;
    services.loop.run(
        services.flags.TerminalStop, [this] { return ReceivePass(); },
        [&link] { return ModeLoop::IdleOn{link.ChannelAOpen ? link.HandleA : 0}; });
    services.display.flush();
    if (!linkFailed || services.flags.TerminalStop.why() != StopCause::LinkFailed) {
        return;
    }
    // A board still listed has not gone away: its connection broke (a board
    // in a rack whose server went down), and only the user knows when
    // trying again makes sense.
    if (boardListed()) {
        log(
            QStringLiteral("ERROR : the board stopped answering: the connection has ended; "
                           "press Close, then Open to connect again"));
        services.refreshStatus();
        return;
    }
    log(
        QStringLiteral("ERROR : the board stopped answering: the connection has ended; it "
                       "opens again by itself when the board is back, or press Close"));
    services.refreshStatus();
    returnWatch.start();
}

bool TerminalConnection::boardListed() {
    std::array<QString, DeviceLink::DeviceListSlots> listed;
    services.link.ListDescriptions(listed);
    return std::find(listed.begin(), listed.end(), services.link.ChannelAName) != listed.end();
}

// A board that comes back has been without power: its chip starts again at
// the monitor's start rate, which the reopened link uses.
void TerminalConnection::lookForReturnedBoard() {
    DeviceLink& link = services.link;
    // Closed since, by Close or the window's closing.
    if (!linkFailed || !link.ChannelAOpen) {
        returnWatch.stop();
        return;
    }
    if (!boardListed()) {
        return;
    }
    returnWatch.stop();
    log(QStringLiteral("%1 is back: the terminal opens again at %2 baud, the rate its monitor "
                       "starts at")
            .arg(link.SelectedDevice)
            .arg(MonitorStartBaudRate));
    close();
    view.showBaudRate(MonitorStartBaudRate);
    open();
}

std::uint32_t TerminalConnection::ReceivePass() {
    DeviceLink& link = services.link;
    // A handler run between two passes (Close, the window's closing) may have
    // closed channel A already: its handle must not be asked again.
    if (services.flags.TerminalStop || !link.ChannelAOpen) {
        return 0;
    }
    if (link.FetchQueueStatus() != hx::Ok) {
        services.flags.TerminalStop.request(StopCause::LinkFailed);
        linkFailed = true;
        return 0;
    }
    if (link.RxQueueCount == 0) {
        return 0;
    }
    const std::uint32_t count = link.ReadToBufferA(link.RxQueueCount);
    services.display.ShowReceivedBytes(link.ReadBufferA.data(), count);
    return count;
}

void TerminalConnection::close() {
    DeviceLink& link = services.link;
    boardControlMissingTold = false;
    services.flags.TerminalStop.request(StopCause::Closed);
    services.display.OutputLineDone = true;
    // A board that has gone away cannot close cleanly; its failure was
    // reported when the loop lost it.
    const auto failure =
        linkFailed ? DeviceLink::CloseFailure::Quiet : DeviceLink::CloseFailure::Reported;
    linkFailed = false;
    returnWatch.stop();
    if (link.ChannelAOpen) {
        link.CloseChannelA(failure);
        log(QStringLiteral("Device ") + link.SelectedDevice + QStringLiteral(" Closed"));
        view.showClosed();
    }
    services.groups.EnableProgrammerControls();
    services.groups.EnableSpyControls();
    services.refreshStatus();
    link.CloseChannelB(failure);
}

void TerminalConnection::SetupTerminalPort(std::uint32_t baudRate) {
    if (!services.link.ChannelAOpen) {
        return;
    }
    services.link.SelectChannelA();
    view.selectRtsEnabled();
    applyLineSettings(baudRate);
}

void TerminalConnection::set() {
    if (!services.link.ChannelAOpen) {
        return;
    }
    const std::optional<std::uint32_t> baudRate = chosenBaudRate();
    if (!baudRate) {
        return;
    }
    ChangeTerminalBaud(*baudRate);
    services.refreshStatus();
}

void TerminalConnection::ChangeTerminalBaud(std::uint32_t baudRate) {
    DeviceLink& link = services.link;
    const std::optional<DivisorBytes> divisor = BaudDivisorBytes(baudRate);
    if (!link.ChannelAOpen || !divisor) {
        return;
    }
    link.SelectChannelA();
    // Keys staged from the keyboard stay in the buffer and go out first.
    for (std::uint8_t b : SetBaudCommand) {
        stageShown(b);
    }
    for (std::uint8_t b : *divisor) {
        stageShown(b);
    }
    stageShown(CarriageReturn);
    const auto staged = static_cast<std::uint32_t>(link.WriteCountA);
    std::uint32_t written = 0;
    link.FlushBufferA(link.HandleA, link.WriteCountA, written);
    // A line cut short never reaches the monitor as SBD: the chip keeps its
    // rate, and the bridge must keep it too or every later byte garbles. The
    // rest of the line is dropped, not sent late in front of the next keys.
    if (written < staged) {
        link.DropStagedA();
        log(QStringLiteral("ERROR : the board took only %1 of the %2 bytes of the SBD line: "
                           "the link stays at %3 baud")
                .arg(written)
                .arg(staged)
                .arg(link.BaudRate));
        return;
    }
    services.clock.sleep(BaudChangePauseMs);
    applyLineSettings(baudRate);
}

// RTS is raised whatever the RTS buttons show: the chip must be able to
// answer at the new rate.
void TerminalConnection::applyLineSettings(std::uint32_t baudRate) {
    DeviceLink& link = services.link;
    link.RaiseRts();
    if (view.commandModeChosen()) {
        link.LowerDtr();
    } else {
        link.RaiseDtr();
    }
    link.ApplyLineSettings({.baudRate = baudRate, .flowControl = hx::FlowRtsCts});
}

void TerminalConnection::resetChip() {
    driveChipLines([this] {
        lines.HoldChipInReset();
        chipHeldInReset = true;
    });
}

void TerminalConnection::runChip() {
    bool restarted = false;
    driveChipLines([&] {
        lines.RunChip();
        restarted = std::exchange(chipHeldInReset, false);
    });
    if (restarted) {
        followChipRestart();
    }
}

// A chip let out of reset starts its monitor at the start rate, whatever
// rate Set had moved it to: the link follows it there (the box, and the
// bridge when the connection is open), or every later byte garbles.
void TerminalConnection::followChipRestart() {
    DeviceLink& link = services.link;
    const bool boxAtStartRate =
        BaudRateFromText(view.baudRateText()) == std::optional(MonitorStartBaudRate);
    const bool bridgeAtStartRate = !link.ChannelAOpen || link.BaudRate == MonitorStartBaudRate;
    if (boxAtStartRate && bridgeAtStartRate) {
        return;
    }
    view.showBaudRate(MonitorStartBaudRate);
    if (link.ChannelAOpen) {
        applyLineSettings(MonitorStartBaudRate);
    }
    log(QStringLiteral("Tarvik restarted from reset: its monitor runs at its start rate, and the "
                       "link follows it at %1 baud")
            .arg(MonitorStartBaudRate));
    services.refreshStatus();
}

bool TerminalConnection::restartMonitor() {
    bool restarted = false;
    driveChipLines([&] {
        lines.HoldChipInReset();
        lines.RunChip();
        restarted = true;
    });
    if (!restarted) {
        return false;
    }
    view.showBaudRate(MonitorStartBaudRate);
    SetupTerminalPort(MonitorStartBaudRate);
    services.refreshStatus();
    return true;
}

// Board control works whether or not the connection is open: channel B is
// opened for the pattern and closed again at once, leaving channel A current
// for the receive loop.
void TerminalConnection::driveChipLines(const std::function<void()>& pattern) {
    if (!deviceChosen()) {
        return;
    }
    services.link.OpenChannelB();
    if (!services.link.ChannelBOpen) {
        tellBoardControlMissing();
        services.link.SelectChannelA();
        return;
    }
    pattern();
    services.link.CloseChannelB();
    services.link.SelectChannelA();
    services.refreshStatus();
}

void TerminalConnection::suspend() {
    if (!deviceChosen()) {
        return;
    }
    if (!services.link.ChannelAOpen) {
        log(QStringLiteral("ERROR : Port must be open"));
        return;
    }
    services.link.DropStagedA();
    for (std::uint8_t b : SuspendCommand) {
        stageShown(b);
    }
    services.link.SendStagedA();
    view.showSuspended();
    services.refreshStatus();
}

void TerminalConnection::resume() {
    if (!services.link.ChannelAOpen) {
        log(QStringLiteral("ERROR : Port must be open"));
        return;
    }
    services.link.DropStagedA();
    stageShown(CarriageReturn);
    services.link.SendStagedA();
    view.showResumed();
    view.selectRun();
    services.refreshStatus();
}

void TerminalConnection::commandMode() {
    driveChannelA(&DeviceLink::LowerDtr);
}

void TerminalConnection::dataMode() {
    driveChannelA(&DeviceLink::RaiseDtr);
}

void TerminalConnection::enableRts() {
    driveChannelA(&DeviceLink::RaiseRts);
}

void TerminalConnection::disableRts() {
    driveChannelA(&DeviceLink::LowerRts);
}

void TerminalConnection::driveChannelA(DriverStatus (DeviceLink::*line)()) {
    DeviceLink& link = services.link;
    if (link.ChannelAOpen) {
        link.SelectChannelA();
        (link.*line)();
    }
    services.refreshStatus();
}

bool TerminalConnection::deviceChosen() {
    if (!services.link.ChooseBoard(view.chosenBoard())) {
        log(QStringLiteral("ERROR : You must select a device"));
        return false;
    }
    return true;
}

std::optional<std::uint32_t> TerminalConnection::chosenBaudRate() {
    const QString text = view.baudRateText();
    const std::optional<std::uint32_t> baudRate = BaudRateFromText(text);
    if (!baudRate || !BaudDivisorBytes(*baudRate)) {
        log(QStringLiteral("ERROR : \"%1\" is not a baud rate the link can run at").arg(text));
        return std::nullopt;
    }
    return baudRate;
}

// A port with one channel carries data only. Said once for each connection
// (the run line is driven at Open and again by its button's handler), and
// once between two connections.
void TerminalConnection::tellBoardControlMissing() {
    if (boardControlMissingTold) {
        return;
    }
    log(QStringLiteral("Board control not available: ") + services.link.ChannelBName +
        QStringLiteral(" is not there, so Reset and Run do nothing on this port"));
    boardControlMissingTold = true;
}

void TerminalConnection::stageShown(std::uint8_t b) {
    services.link.PutByteA(b);
    services.display.ShowTerminalByte(b);
}

void TerminalConnection::log(const QString& text) {
    services.display.TerminalLog(text);
}
