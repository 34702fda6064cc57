#include "SpyCapture.h"

#include "BridgeBaudRate.h"
#include "Clock.h"
#include "ControlGroups.h"
#include "ControlLines.h"
#include "HxDriver.h"
#include "LineBytes.h"
#include "ModeFlags.h"
#include "SpyView.h"

namespace {

constexpr std::uint8_t LatencyMs = 16;

}  // namespace

QChar SpyVisibleChar(std::uint8_t b) {
    const bool visible = b == CarriageReturn || b == '$' || (b >= '0' && b <= ':') || b == '>' ||
                         (b >= 'A' && b <= 'Z') || b == '\\' || (b >= 'a' && b <= 'z');
    return QChar(visible ? b : '.');
}

SpyCapture::SpyCapture(Services services, SpyView& view, PaneLines& asciiPane, PaneLines& hexPane)
    : services(services),
      view(view),
      spyPanes(asciiPane, hexPane),
      commands({services.link, spyOptions, spyPanes}, *this),
      answers({services.link, spyOptions, spyPanes}),
      loop(services.clock, [this] { spyPanes.flushIfDue(); }) {}

void SpyCapture::open() {
    DeviceLink& link = services.link;
    if (!deviceChosen()) {
        return;
    }
    link.UseEventChar(CarriageReturn);
    answers.reset();
    commands.reset();

    spyPanes.SpyLog(QStringLiteral("Opening Device : ") + link.ChannelAName);
    const bool openedA = openChannel(&DeviceLink::OpenChannelA, &DeviceLink::SelectChannelA);
    spyPanes.SpyLog(QStringLiteral("Opening Device : ") + link.ChannelBName);
    const bool openedB =
        openedA && openChannel(&DeviceLink::OpenChannelB, &DeviceLink::SelectChannelB);
    if (!openedB) {
        // Half a spy hears one direction only: nothing is left open.
        spyPanes.SpyLog(QStringLiteral("ERROR : failed to open ") +
                        (openedA ? link.ChannelBName : link.ChannelAName) +
                        link.OpenProblemSuffix());
        if (openedA) {
            spyPanes.SpyLog(
                QStringLiteral("ERROR : Spy Mode listens on both channels of the "
                               "board, one for each direction: nothing was captured"));
        }
        link.CloseChannelA();
        return;
    }
    if (!ApplySpyPortSettings()) {
        link.CloseChannelA();
        link.CloseChannelB();
        return;
    }
    startCapture();
    captureLoop();
    endCapture();
}

bool SpyCapture::deviceChosen() {
    if (!services.link.ChooseBoard(view.boardName())) {
        spyPanes.SpyLog(QStringLiteral("ERROR : You must select a device"));
        return false;
    }
    return true;
}

bool SpyCapture::openChannel(bool (DeviceLink::*open)(), void (DeviceLink::*select)()) {
    DeviceLink& link = services.link;
    if (!(link.*open)()) {
        return false;
    }
    spyPanes.SpyLog(QStringLiteral("Opened OK"));
    (link.*select)();
    link.ApplyLatency(LatencyMs);
    link.ApplySpecialChars();
    return true;
}

bool SpyCapture::ApplySpyPortSettings() {
    DeviceLink& link = services.link;
    if (!link.ChannelAOpen && !link.ChannelBOpen) {
        return true;
    }
    const std::optional<std::uint32_t> baudRate = chosenBaudRate();
    if (!baudRate) {
        return false;
    }
    const DeviceLink::LineSettings settings{.baudRate = *baudRate, .flowControl = hx::FlowNone};
    if (link.ChannelAOpen) {
        link.SelectChannelA();
        link.ApplyLineSettings(settings);
    }
    if (link.ChannelBOpen) {
        link.SelectChannelB();
        // Out of the bit mode that drives the chip's lines in the other
        // modes; a channel already in serial mode takes this as it is.
        HX_SetBitMode(link.CurrentHandle, ControlLines::ControlLineMask, hx::BitModeReset);
        link.ApplyLineSettings(settings);
    }
    return true;
}

std::optional<std::uint32_t> SpyCapture::chosenBaudRate() {
    const QString text = view.baudRateText();
    const std::optional<std::uint32_t> baudRate = BaudRateFromText(text);
    if (!baudRate || *baudRate < LowestBridgeBaud || *baudRate > HighestBridgeBaud) {
        spyPanes.SpyLog(
            QStringLiteral("ERROR : \"%1\" is not a baud rate the bridge can run at").arg(text));
        return std::nullopt;
    }
    return baudRate;
}

void SpyCapture::startCapture() {
    services.flags.SpyStop.clear();
    linkFailed = false;
    view.showCaptureRunning(true);
    view.lockBoardChoice(true);
    services.groups.DisableProgrammerControls();
    services.groups.DisableTerminalControls();
    services.flags.SpyOpen = true;
    stamp.start(services.clock.timeOfDay());
}

void SpyCapture::captureLoop() {
    DeviceLink& link = services.link;
    loop.run(
        services.flags.SpyStop, [this] { return CapturePass(); },
        [&link] {
            return link.ChannelAOpen && link.ChannelBOpen
                       ? ModeLoop::IdleOn{link.HandleA, link.HandleB}
                       : ModeLoop::IdleOn{};
        });
    spyPanes.flush();
}

void SpyCapture::endCapture() {
    DeviceLink& link = services.link;
    view.showCaptureRunning(false);
    // The board that failed its queue query has gone away: its channels
    // cannot close cleanly, and the user has been told once already.
    const auto failure =
        linkFailed ? DeviceLink::CloseFailure::Quiet : DeviceLink::CloseFailure::Reported;
    link.CloseChannelA(failure);
    link.CloseChannelB(failure);
    view.lockBoardChoice(false);
    services.groups.EnableProgrammerControls();
    services.groups.EnableTerminalControls();
    services.flags.SpyOpen = false;
    if (linkFailed) {
        spyPanes.SpyLog(QStringLiteral("ERROR : the board stopped answering: capture ended"));
    }
}

void SpyCapture::close() {
    services.flags.SpyStop.request(StopCause::Closed);
}

std::uint32_t SpyCapture::CapturePass() {
    DeviceLink& link = services.link;
    const std::int64_t elapsed = stamp.elapsedAt(services.clock.timeOfDay());
    std::uint32_t countA = 0;
    std::uint32_t countB = 0;
    // A handler run between two passes may have closed a channel already
    // (the window's closing): its handle must not be asked again.
    if (link.ChannelAOpen) {
        link.SelectChannelA();
        countA = readChannel(&DeviceLink::ReadToBufferA);
    }
    if (link.ChannelBOpen) {
        link.SelectChannelB();
        countB = readChannel(&DeviceLink::ReadToBufferB);
    }
    ShowCapturedBytes(QString::number(elapsed), countA, countB);
    return countA + countB;
}

// Reads at most one buffer's worth; the rest of a longer queue waits for the
// next pass.
std::uint32_t SpyCapture::readChannel(std::uint32_t (DeviceLink::*read)(std::uint32_t)) {
    DeviceLink& link = services.link;
    if (link.FetchQueueStatus() != hx::Ok) {
        services.flags.SpyStop.request(StopCause::LinkFailed);
        linkFailed = true;
        return 0;
    }
    return link.RxQueueCount > 0 ? (link.*read)(link.RxQueueCount) : 0;
}

void SpyCapture::ShowCapturedBytes(const QString& timeText, std::uint32_t countA,
                                   std::uint32_t countB) {
    DeviceLink& link = services.link;
    spyPanes.emptyFullPanes();
    if (countB > 0) {
        showDirection(link.ReadBufferB, countB, timeText, SpyPanes::Red);
        if (spyOptions.TrackCommands) {
            commands.FeedCommandBytes(countB);
        }
    }
    if (countA > 0) {
        showDirection(link.ReadBufferA, countA, timeText, SpyPanes::Blue);
        if (spyOptions.TrackCommands) {
            answers.FeedAnswerBytes(countA);
        }
    }
}

void SpyCapture::showDirection(const std::array<std::uint8_t, DeviceLink::BufferSize>& bytes,
                               std::uint32_t count, const QString& timeText, const QColor& colour) {
    // ByteToHex's digits, without a string of its own for every byte.
    static constexpr char HexDigits[] = "0123456789ABCDEF";
    const QString prefix =
        view.showTime() ? QStringLiteral("Time=") + timeText + QStringLiteral(" :") : QString();
    QString asciiLine = prefix;
    QString hexLine = prefix;
    asciiLine.reserve(prefix.size() + static_cast<qsizetype>(count));
    hexLine.reserve(prefix.size() + static_cast<qsizetype>(count) * 3);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        hexLine += QLatin1Char(HexDigits[b >> 4]);
        hexLine += QLatin1Char(HexDigits[b & 0x0F]);
        hexLine += QLatin1Char(' ');
        asciiLine += SpyVisibleChar(b);
    }
    spyPanes.addDataLines(asciiLine, hexLine, colour);
}

void SpyCapture::clearWindows() {
    spyPanes.clear();
}

// The options are read back here whether or not the view's own handlers have
// done so already.
void SpyCapture::followCommandSet(bool extended) {
    view.showCommandSet(extended);
    RefreshSpyOptions();
}

void SpyCapture::followNumberInput(bool hex) {
    view.showNumberInput(hex);
    RefreshSpyOptions();
}

// An unknown divisor leaves the link's rate as it was, and it is applied
// again all the same.
void SpyCapture::followBaudRate(std::optional<std::uint32_t> rate) {
    // A divisor of no known rate leaves the link at the rate it runs at.
    view.showBaudRateText(QString::number(rate.value_or(services.link.BaudRate)));
    ApplySpyPortSettings();
}

void SpyCapture::RefreshSpyOptions() {
    spyOptions.TrackCommands = view.trackCommands();
    spyOptions.HexNumberInput = view.hexNumberInput();
    spyOptions.ExtendedCommandSet = view.extendedCommandSet();
}
