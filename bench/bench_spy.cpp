// Listens to the simulated spy board's link on the real clock, offscreen, as
// a user would: the Spy Mode page with "Track Commands" and "Show Time"
// checked, Open Spy, while the board's host moves the link from 9600 to
// 3,000,000 baud with the extended set's SBD and then streams text lines in
// both directions at once. Close Spy is pressed once the link has run at the
// high rate for the chosen time. Prints the bytes the link carried in each
// direction against the bytes the program read from each channel, the
// overruns, the processor share, the resident memory over the run and what
// the panes hold at the end.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <vector>

#include "BenchWindow.h"
#include "Form1Ui.h"
#include "NewLinePaints.h"
#include "ProcessFigures.h"
#include "ScriptedDialogs.h"
#include "SimBackend.h"
#include "SpyBoard.h"
#include "SpyTraffic.h"
#include "TForm1.h"

namespace {

constexpr std::uint32_t LinkBaud = SpyTrafficBaud;
constexpr int SampleEveryMs = 2000;
// The longest the link may take to reach the high rate before the run gives up.
constexpr double RateChangeLimitSeconds = 10.0;

struct Figures {
    double runSeconds = 0;
    double fastSeconds = 0;  // of the run, with the link at 3,000,000 baud
    double processorSeconds = 0;
    double simulatorSeconds = 0;  // of it, inside the simulated board
    int newLinePaints = 0;        // of the HEX pane
    std::vector<double> megabytes;
    bool closedByWatch = false;
    bool reachedRate = false;
};

// Watches the capture from inside its loop and presses Close Spy once the
// link has run long enough at the high rate.
class CaptureWatch {
  public:
    CaptureWatch(BenchWindow& bench, double fastSeconds, Figures& figures)
        : bench(bench),
          form(bench.form()),
          board(bench.spyBoard()),
          fastSeconds(fastSeconds),
          figures(figures),
          paints(*form.RichEdit2) {
        timer.setInterval(50);
        QObject::connect(&timer, &QTimer::timeout, [this] { check(); });
    }

    void start() {
        run.start();
        cpuAtStart = processorSeconds();
        simulatorAtStart = bench.simulatorSeconds();
        paints.start();
        figures.megabytes.push_back(residentMegabytes());
        timer.start();
    }

    // What the run took, whether the watch or something else ended it.
    void finish() {
        timer.stop();
        figures.runSeconds = seconds(run);
        figures.processorSeconds = processorSeconds() - cpuAtStart;
        figures.simulatorSeconds = bench.simulatorSeconds() - simulatorAtStart;
        figures.newLinePaints = paints.count();
        figures.fastSeconds = fast.isValid() ? seconds(fast) : 0;
    }

  private:
    static double seconds(const QElapsedTimer& t) {
        return static_cast<double>(t.nsecsElapsed()) / 1e9;
    }

    void check() {
        if (!fast.isValid() && board.linkRate() == LinkBaud) {
            fast.start();
            figures.reachedRate = true;
        }
        if (run.elapsed() >= nextSampleMs) {
            figures.megabytes.push_back(residentMegabytes());
            nextSampleMs += SampleEveryMs;
        }
        const bool longEnough = fast.isValid() && seconds(fast) >= fastSeconds;
        const bool rateNeverCame = !fast.isValid() && seconds(run) > RateChangeLimitSeconds;
        if (longEnough || rateNeverCame) {
            finish();
            figures.megabytes.push_back(residentMegabytes());
            figures.closedByWatch = true;
            QTest::mouseClick(form.Button11, Qt::LeftButton);
        }
    }

    BenchWindow& bench;
    Ui::Form1& form;
    SpyBoard& board;
    double fastSeconds;
    Figures& figures;
    QTimer timer;
    QElapsedTimer run;
    QElapsedTimer fast;
    double cpuAtStart = 0;
    double simulatorAtStart = 0;
    NewLinePaints paints;
    qint64 nextSampleMs = SampleEveryMs;
};

}  // namespace

int main(int argc, char* argv[]) {
    useOffscreenUnlessPlatformChosen();
    QApplication application(argc, argv);
    const double fastSeconds = argc > 1 ? std::stod(argv[1]) : 20.0;

    BenchWindow bench(SimBackend::SpyBoardName);
    Ui::Form1& form = bench.form();
    SpyBoard& board = bench.spyBoard();
    // Enough stream that the link is still busy when Close Spy is pressed.
    board.setScript(spyTrafficScript(fastSeconds + 10.0));
    showSpyPage(form);

    Figures figures;
    CaptureWatch watch(bench, fastSeconds, figures);
    watch.start();
    QTest::mouseClick(form.Button10, Qt::LeftButton);
    if (!figures.closedByWatch) {
        watch.finish();
    }

    std::printf("spy capture of both directions, 9600 then %u baud on the link\n", LinkBaud);
    if (!figures.closedByWatch) {
        std::printf("  the capture ended by itself after %.2f s%s\n", figures.runSeconds,
                    bench.dialogs.errors.isEmpty() ? "" : " (driver errors were shown)");
    }
    std::printf("  run %.2f s, %.2f s of it with the link at %u baud%s\n", figures.runSeconds,
                figures.fastSeconds, LinkBaud,
                figures.reachedRate ? "" : " (the link never reached that rate)");
    std::printf("  spy followed the baud change: %s (Baud Rate box \"%s\")\n",
                form.ComboBox3->currentText() == QString::number(LinkBaud) ? "yes" : "NO",
                qPrintable(form.ComboBox3->currentText()));
    printSpyDirection("channel A, what the chip transmits", board, ChannelId::A);
    printSpyDirection("channel B, what the chip receives", board, ChannelId::B);
    const std::uint64_t carried = board.carried(ChannelId::A) + board.carried(ChannelId::B);
    if (figures.runSeconds > 0 && carried > 0) {
        std::printf(
            "  processor, the simulated board included: %.0f %% of a core (%.3f s per "
            "MiB carried)\n",
            100.0 * figures.processorSeconds / figures.runSeconds,
            figures.processorSeconds / (static_cast<double>(carried) / (1024.0 * 1024.0)));
        std::printf(
            "  of it waiting in the simulated board %.0f %%, the program %.0f %% (target at most "
            "12 %%)\n",
            100.0 * figures.simulatorSeconds / figures.runSeconds,
            100.0 * (figures.processorSeconds - figures.simulatorSeconds) / figures.runSeconds);
        std::printf("  the HEX pane's view moved on %.1f times a second (target at least 20)\n",
                    figures.newLinePaints / figures.runSeconds);
    }
    std::printf("  resident memory every %d s:", SampleEveryMs / 1000);
    for (double megabytes : figures.megabytes) {
        std::printf(" %.1f", megabytes);
    }
    std::printf(" MiB\n");
    std::printf("  lines at the end: ASCII pane (RichEdit1) %d, HEX pane (RichEdit2) %d\n",
                form.RichEdit1->lineCount(), form.RichEdit2->lineCount());
    if (!bench.dialogs.errors.isEmpty()) {
        std::printf("  dialogs shown: %s\n",
                    qPrintable(bench.dialogs.errors.join(QStringLiteral("; "))));
    }
    return 0;
}
