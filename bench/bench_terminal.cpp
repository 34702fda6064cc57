// Measures the open terminal on the real clock, offscreen: first 10 s with
// nothing arriving (the processor share of an idle connection), then a large
// file streamed from the simulated chip's disk at 3,000,000 baud as a user
// would ask for it (Set 3000000, RD typed into the ASCII pane): how the HEX
// pane keeps up with the wire, the processor time it costs and the memory in
// use once the pane has reached its line bound and again later.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <vector>

#include "BenchWindow.h"
#include "EvalBoard.h"
#include "Form1Ui.h"
#include "NewLinePaints.h"
#include "ProcessFigures.h"
#include "ScriptedDialogs.h"
#include "SimBackend.h"
#include "SystemClock.h"
#include "TForm1.h"
#include "TerminalStream.h"

namespace {

constexpr double LinkBaud = 3'000'000;
constexpr double BitsPerByte = 10.0;
constexpr int HexLineBound = 100'000;
constexpr int HexBytesPerLine = 16;
const QString PromptHexLine = QStringLiteral("44 3A 5C 3E 0D ");

// A size of whole lines keeps the closing prompt on a line of its own.
std::vector<std::uint8_t> streamFile(std::size_t lines) {
    return terminalStream(0, lines * HexBytesPerLine);
}

// The file's last line followed by the monitor's prompt ends the stream.
bool streamEnded(const LinePane& pane, const QString& fileLastLine) {
    const int last = pane.lineCount() - 1;
    return last >= 1 && pane.lineText(last) == PromptHexLine &&
           pane.lineText(last - 1) == fileLastLine;
}

constexpr int IdleMilliseconds = 10'000;

struct Figures {
    double idleProcessorShare = 0;
    double streamSeconds = 0;
    double processorSeconds = 0;
    double megabytesBefore = 0;  // the terminal open, before the stream
    double megabytesAtBound = -1;
    std::vector<double> megabytesLater;
    bool completed = false;
    int newLinePaints = 0;
    double simulatorSeconds = 0;  // of the processor time, inside the simulated board
};

// Watches the stream from inside the receive loop, then presses Close.
class StreamWatch {
  public:
    StreamWatch(BenchWindow& bench, QString fileLastLine, double limitSeconds, Figures& figures)
        : bench(bench),
          form(bench.form()),
          fileLastLine(std::move(fileLastLine)),
          limitSeconds(limitSeconds),
          figures(figures),
          paints(*form.Memo3) {
        timer.setInterval(50);
        QObject::connect(&timer, &QTimer::timeout, [this] { check(); });
    }

    void start() {
        clock.start();
        cpuAtStart = processorSeconds();
        simulatorAtStart = bench.simulatorSeconds();
        paints.start();
        timer.start();
    }

  private:
    void check() {
        const LinePane& hex = *form.Memo3;
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (figures.megabytesAtBound < 0 && hex.lineCount() >= HexLineBound) {
            figures.megabytesAtBound = residentMegabytes();
        } else if (figures.megabytesAtBound >= 0 && ++ticks % 40 == 0) {
            figures.megabytesLater.push_back(residentMegabytes());
        }
        const bool done = streamEnded(hex, fileLastLine);
        if (done || elapsed > limitSeconds) {
            figures.completed = done;
            figures.streamSeconds = elapsed;
            figures.processorSeconds = processorSeconds() - cpuAtStart;
            figures.newLinePaints = paints.count();
            figures.simulatorSeconds = bench.simulatorSeconds() - simulatorAtStart;
            figures.megabytesLater.push_back(residentMegabytes());
            timer.stop();
            QTest::mouseClick(form.Button7, Qt::LeftButton);
        }
    }

    BenchWindow& bench;
    Ui::Form1& form;
    QString fileLastLine;
    double limitSeconds;
    Figures& figures;
    QTimer timer;
    QElapsedTimer clock;
    double cpuAtStart = 0;
    double simulatorAtStart = 0;
    int ticks = 0;
    NewLinePaints paints;
};

}  // namespace

int main(int argc, char* argv[]) {
    useOffscreenUnlessPlatformChosen();
    QApplication application(argc, argv);
    // 8 MiB by default: about 28 s of wire time, the last three quarters of
    // it with the HEX pane at its bound.
    const std::size_t lines = argc > 1 ? std::stoul(argv[1]) : 524'288;
    std::vector<std::uint8_t> file = streamFile(lines);
    const double streamBytes = static_cast<double>(file.size()) + 5;  // and the prompt
    const QString fileLastLine =
        hexPaneLine(file.data() + file.size() - HexBytesPerLine, HexBytesPerLine);

    BenchWindow bench;
    // The simulated disk keeps the one copy of the file.
    bench.board().disk().put("STREAM.BIN", std::move(file));
    ScriptedDialogs& dialogs = bench.dialogs;
    Ui::Form1& form = bench.form();

    const double wireSeconds = streamBytes * BitsPerByte / LinkBaud;
    Figures figures;
    StreamWatch watch(bench, fileLastLine, wireSeconds * 3 + 10, figures);
    const auto startStream = [&] {
        bench.setTerminalRate(3'000'000);
        QTest::keyClicks(form.Memo2, QStringLiteral("RD STREAM.BIN"));
        watch.start();
        QTest::keyClick(form.Memo2, Qt::Key_Return);
    };
    // The sign-on has long been shown when the idle measurement starts.
    double idleStartProcessor = 0;
    QElapsedTimer idleClock;
    QTimer::singleShot(500, [&] {
        idleStartProcessor = processorSeconds();
        figures.megabytesBefore = residentMegabytes();
        idleClock.start();
        QTimer::singleShot(IdleMilliseconds, [&] {
            const double wall = static_cast<double>(idleClock.nsecsElapsed()) / 1e9;
            figures.idleProcessorShare = (processorSeconds() - idleStartProcessor) / wall;
            startStream();
        });
    });
    QTest::mouseClick(form.Button6, Qt::LeftButton);

    const double megabytes = streamBytes / (1024.0 * 1024.0);
    std::printf("terminal open and idle for %d s: %.2f %% of a core (target at most 2 %%)\n",
                IdleMilliseconds / 1000, 100.0 * figures.idleProcessorShare);
    std::printf("terminal stream at 3,000,000 baud: %.1f MiB, %zu HEX lines\n", megabytes, lines);
    std::printf("  completed: %s%s\n", figures.completed ? "yes" : "NO",
                dialogs.errors.isEmpty() ? "" : " (driver errors were shown)");
    std::printf("  wire time %.2f s, shown in %.2f s: ratio to the wire rate %.3f\n", wireSeconds,
                figures.streamSeconds, wireSeconds / figures.streamSeconds);
    std::printf("  processor, the simulated board included: %.3f s per MiB (%.0f %% of a core)\n",
                figures.processorSeconds / megabytes,
                100.0 * figures.processorSeconds / figures.streamSeconds);
    std::printf(
        "  of it waiting in the simulated board %.0f %%, the program %.0f %%\n",
        100.0 * figures.simulatorSeconds / figures.streamSeconds,
        100.0 * (figures.processorSeconds - figures.simulatorSeconds) / figures.streamSeconds);
    std::printf(
        "  resident memory before the stream %.1f MiB, at the %d-line bound %.1f MiB "
        "(target at most 60)\n",
        figures.megabytesBefore, HexLineBound, figures.megabytesAtBound);
    std::printf("  resident memory later:");
    for (double later : figures.megabytesLater) {
        std::printf(" %.1f", later);
    }
    std::printf(" MiB\n");
    std::printf("  the HEX pane's view moved on %.1f times a second (target at least 20)\n",
                figures.newLinePaints / figures.streamSeconds);
    std::printf("  HEX pane lines at the end: %d, overruns on channel A: %llu\n",
                form.Memo3->lineCount(),
                static_cast<unsigned long long>(bench.board().overrunCount(ChannelId::A)));
    return 0;
}
