#include "TerminalSoak.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdio>

#include "BenchWindow.h"
#include "DeviceLink.h"
#include "EvalBoard.h"
#include "Form1Ui.h"
#include "HxDriver.h"
#include "ProcessFigures.h"
#include "TerminalDisplay.h"
#include "TerminalStream.h"

namespace {

constexpr std::uint32_t LinkBaud = 3'000'000;
constexpr double BytesPerSecond = LinkBaud / 10.0;
constexpr int TickMs = 20;
constexpr int LineBytes = TerminalDisplay::HexLineBytes;
// A part of the stream: whole HEX lines, a second of the wire or so.
constexpr std::size_t PartBytes = 16 * 1024 * LineBytes;
// Each step of the set-up, and the last bytes after the stream, get this long.
constexpr qint64 StepLimitMs = 20'000;
// Nothing left anywhere for this many ticks in a row: the last byte is read.
constexpr int QuietTicksAtEnd = 5;

QByteArray byteArrayOf(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

}  // namespace

TerminalSoak::TerminalSoak(BenchWindow& bench, double streamSeconds, double sampleSeconds)
    : bench(bench),
      streamSeconds(streamSeconds),
      memory(sampleSeconds),
      asciiLimit(*bench.form().Memo2),
      hexLimit(*bench.form().Memo3, TerminalDisplay::HexPaneLineLimit) {
    timer.setInterval(TickMs);
    QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
}

void TerminalSoak::run() {
    phaseClock.start();
    timer.start();
    QTest::mouseClick(bench.form().Button6, Qt::LeftButton);
    timer.stop();
}

void TerminalSoak::tick() {
    asciiLimit.check();
    hexLimit.check();
    switch (phase) {
        case Phase::SigningOn:
            waitForSignOn();
            break;
        case Phase::SettingRate:
            waitForRate();
            break;
        case Phase::EnteringDataMode:
            startStream();
            break;
        case Phase::Streaming:
            stream();
            break;
        case Phase::Draining:
            drain();
            break;
        case Phase::Closed:
            break;
    }
}

void TerminalSoak::waitForSignOn() {
    if (bench.form().Memo2->toPlainText().contains(QStringLiteral("D:\\>"))) {
        phase = Phase::SettingRate;
        phaseClock.start();
        bench.setTerminalRate(LinkBaud);
    } else if (phaseClock.elapsed() > StepLimitMs) {
        close("the monitor did not sign on");
    }
}

void TerminalSoak::waitForRate() {
    if (bench.board().chipBaudRate() == LinkBaud) {
        phase = Phase::EnteringDataMode;
        phaseClock.start();
        QTest::mouseClick(bench.form().RadioButton4, Qt::LeftButton);
    } else if (phaseClock.elapsed() > StepLimitMs) {
        close("the chip did not take 3,000,000 baud");
    }
}

// The chip takes bytes to send only once it has seen data mode; the stream
// starts with nothing else left to read, so every byte read after is its own.
void TerminalSoak::startStream() {
    EvalBoard& board = bench.board();
    if (board.chipBacklog() == 0 && channelQuiet()) {
        takenAtStart = board.takenByReads(ChannelId::A);
        if (board.sendInDataMode(byteArrayOf(terminalStream(0, PartBytes)))) {
            given = PartBytes;
            phase = Phase::Streaming;
            streamClock.start();
            processorAtStart = processorSeconds();
            memory.sampleIfDue(0, false);
            return;
        }
    }
    if (phaseClock.elapsed() > StepLimitMs) {
        close("the chip did not enter data mode");
    }
}

void TerminalSoak::stream() {
    EvalBoard& board = bench.board();
    const double seconds = streamedSeconds();
    memory.sampleIfDue(seconds, asciiLimit.reached() && hexLimit.reached());
    if (seconds >= streamSeconds) {
        phase = Phase::Draining;
        phaseClock.start();
        return;
    }
    if (board.chipBacklog() < PartBytes) {
        board.sendInDataMode(byteArrayOf(terminalStream(given, PartBytes)));
        given += PartBytes;
    }
}

void TerminalSoak::drain() {
    quietTicks = bench.board().chipBacklog() == 0 && channelQuiet() ? quietTicks + 1 : 0;
    if (quietTicks >= QuietTicksAtEnd) {
        close(nullptr);
    } else if (phaseClock.elapsed() > StepLimitMs) {
        close("the last bytes were not read");
    }
}

bool TerminalSoak::channelQuiet() const {
    std::uint32_t waiting = 0;
    return HX_GetQueueStatus(bench.window->link().HandleA, &waiting) == hx::Ok && waiting == 0;
}

void TerminalSoak::close(const char* why) {
    EvalBoard& board = bench.board();
    failure = why;
    if (streamClock.isValid()) {
        wallSeconds = streamedSeconds();
        processorUsed = processorSeconds() - processorAtStart;
        memory.add({wallSeconds, residentMegabytes(), asciiLimit.reached() && hexLimit.reached()});
    }
    stillInChip = board.chipBacklog();
    HX_GetQueueStatus(bench.window->link().HandleA, &waitingInChannel);
    readByProgram = board.takenByReads(ChannelId::A) - takenAtStart;
    overruns = board.overrunCount(ChannelId::A);
    phase = Phase::Closed;
    timer.stop();
    QTest::mouseClick(bench.form().Button7, Qt::LeftButton);
}

double TerminalSoak::streamedSeconds() const {
    return static_cast<double>(streamClock.nsecsElapsed()) / 1e9;
}

void TerminalSoak::print() const {
    std::printf("terminal soak: the chip streaming in data mode at %u baud for %g min\n", LinkBaud,
                streamSeconds / 60.0);
    if (failure != nullptr) {
        std::printf("  -- the run did not complete: %s\n", failure);
    }
    if (!bench.dialogs.errors.isEmpty()) {
        std::printf("  dialogs shown: %s\n",
                    qPrintable(bench.dialogs.errors.join(QStringLiteral("; "))));
    }
    if (wallSeconds <= 0) {
        return;
    }
    const std::uint64_t sent = given - stillInChip;
    const auto lost = static_cast<long long>(sent) - static_cast<long long>(waitingInChannel) -
                      static_cast<long long>(readByProgram);
    std::printf(
        "  the chip was given %llu bytes and still held %llu at the stop: it sent %llu\n"
        "  the program read %llu, %u waited in channel A's queue: %lld lost, overruns %llu "
        "(target 0 and 0)\n",
        static_cast<unsigned long long>(given), static_cast<unsigned long long>(stillInChip),
        static_cast<unsigned long long>(sent), static_cast<unsigned long long>(readByProgram),
        waitingInChannel, lost, static_cast<unsigned long long>(overruns));
    std::printf("  %.1f s from the first byte to the last read: ratio to the wire rate %.3f\n",
                wallSeconds, static_cast<double>(readByProgram) / (wallSeconds * BytesPerSecond));
    std::printf("  processor, the simulated board included: %.0f %% of a core\n",
                100.0 * processorUsed / wallSeconds);
    printHexPaneCheck();
    memory.print();
}

// Counts back from the pane's last line how many of its lines are the
// stream's own lines, in order.
void TerminalSoak::printHexPaneCheck() const {
    const LinePane& hex = *bench.form().Memo3;
    std::uint64_t lines = readByProgram / LineBytes;
    std::uint64_t matching = 0;
    for (int line = hex.lineCount() - 1; line >= 0 && lines > 0; --line, ++matching) {
        --lines;
        const std::vector<std::uint8_t> bytes = terminalStream(lines * LineBytes, LineBytes);
        if (hex.lineText(line) != hexPaneLine(bytes.data(), LineBytes)) {
            break;
        }
    }
    std::printf("  HEX pane: %d lines, the last %llu of them the stream's last lines in order\n",
                hex.lineCount(), static_cast<unsigned long long>(matching));
}
