#include "SpySoak.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "BenchWindow.h"
#include "Form1Ui.h"
#include "ProcessFigures.h"
#include "SimBackend.h"
#include "SpyBoard.h"
#include "SpyTraffic.h"

namespace {

constexpr int TickMs = 20;
constexpr double BytesPerSecond = SpyTrafficBaud / 10.0;
// The stretch of traffic the host repeats: whole lines of both directions.
constexpr double RepeatedSeconds = 2.0;
// The longest the link may take to reach the high rate before the run gives up.
constexpr qint64 RateChangeLimitMs = 10'000;

}  // namespace

SpySoak::SpySoak(BenchWindow& bench, double streamSeconds, double sampleSeconds)
    : bench(bench),
      streamSeconds(streamSeconds),
      memory(sampleSeconds),
      asciiLimit(*bench.form().RichEdit1),
      hexLimit(*bench.form().RichEdit2) {
    timer.setInterval(TickMs);
    QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
}

void SpySoak::run() {
    bench.choose(SimBackend::SpyBoardName);
    SpyScript script = spyTrafficScript(RepeatedSeconds);
    const std::size_t streaming = script.size() - 1;
    bench.spyBoard().setScript(std::move(script), spyStartRate, streaming);
    showSpyPage(bench.form());
    sinceOpen.start();
    timer.start();
    QTest::mouseClick(bench.form().Button10, Qt::LeftButton);
    timer.stop();
}

void SpySoak::tick() {
    asciiLimit.check();
    hexLimit.check();
    if (!fast.isValid() && bench.spyBoard().linkRate() == SpyTrafficBaud) {
        fast.start();
        processorAtFast = processorSeconds();
    }
    if (fast.isValid()) {
        memory.sampleIfDue(streamedSeconds(), panesFull());
    }
    const bool longEnough = fast.isValid() && streamedSeconds() >= streamSeconds;
    const bool rateNeverCame = !fast.isValid() && sinceOpen.elapsed() > RateChangeLimitMs;
    if (longEnough || rateNeverCame) {
        close();
    }
}

void SpySoak::close() {
    if (fast.isValid()) {
        fastSeconds = streamedSeconds();
        processorUsed = processorSeconds() - processorAtFast;
        memory.add({fastSeconds, residentMegabytes(), panesFull()});
    }
    closedByWatch = true;
    timer.stop();
    QTest::mouseClick(bench.form().Button11, Qt::LeftButton);
}

double SpySoak::streamedSeconds() const {
    return static_cast<double>(fast.nsecsElapsed()) / 1e9;
}

bool SpySoak::panesFull() const {
    return asciiLimit.reached() && hexLimit.reached();
}

void SpySoak::print() const {
    const SpyBoard& board = bench.spyBoard();
    const Ui::Form1& form = bench.form();
    std::printf("spy soak: both directions at %u baud for %g min\n", SpyTrafficBaud,
                streamSeconds / 60.0);
    if (!closedByWatch) {
        std::printf("  -- the capture ended by itself\n");
    }
    if (fastSeconds <= 0) {
        std::printf("  -- the link never reached %u baud\n", SpyTrafficBaud);
    }
    if (!bench.dialogs.errors.isEmpty()) {
        std::printf("  dialogs shown: %s\n",
                    qPrintable(bench.dialogs.errors.join(QStringLiteral("; "))));
    }
    std::printf("  spy followed the baud change: %s (Baud Rate box \"%s\")\n",
                form.ComboBox3->currentText() == QString::number(SpyTrafficBaud) ? "yes" : "NO",
                qPrintable(form.ComboBox3->currentText()));
    printSpyDirection("channel A, what the chip transmits", board, ChannelId::A);
    printSpyDirection("channel B, what the chip receives", board, ChannelId::B);
    for (const ChannelId id : {ChannelId::A, ChannelId::B}) {
        const auto unread = static_cast<long long>(board.carried(id)) -
                            static_cast<long long>(board.takenByReads(id)) -
                            static_cast<long long>(board.overrunCount(id));
        std::printf("  channel %c: %lld bytes carried and neither read nor overrun at the stop\n",
                    id == ChannelId::A ? 'A' : 'B', unread);
    }
    if (fastSeconds <= 0) {
        return;
    }
    const double carried =
        static_cast<double>(board.carried(ChannelId::A) + board.carried(ChannelId::B));
    std::printf("  %.1f s at %u baud: %.3f of both directions' wire rate carried\n", fastSeconds,
                SpyTrafficBaud, carried / (2 * BytesPerSecond * fastSeconds));
    std::printf("  processor, the simulated board included: %.0f %% of a core\n",
                100.0 * processorUsed / fastSeconds);
    memory.print();
    std::printf("  lines at the end: ASCII pane (RichEdit1) %d, HEX pane (RichEdit2) %d\n",
                form.RichEdit1->lineCount(), form.RichEdit2->lineCount());
}
