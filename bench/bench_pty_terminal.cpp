// Terminal Mode reading the simulated board through the serial backend, the
// board served on a pseudo-terminal by tarvik-sim-pty --stream: the port
// chooser shows the pty's path, Open at 3,000,000 baud, and the bytes the HEX
// pane shows are counted while the receive loop runs inside the click. The
// loop ends (Close) once every byte is shown or nothing new came for 2 s.
// Offscreen, unless QT_QPA_PLATFORM names a platform (xcb on a display).
//
// Prints one line of figures for bench/pty_compare.sh, which runs the server
// and puts this beside a common terminal program on the same stream: the
// bytes shown, the time and processor time to the last of them, how often a
// second the HEX pane painted new lines, and the peak resident memory.
//
//   bench_pty_terminal SLAVE_PATH [STREAM_BYTES]
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "BenchWindow.h"
#include "DriverRegistry.h"
#include "Form1Ui.h"
#include "NewLinePaints.h"
#include "ProcessFigures.h"
#include "SerialBackend.h"

namespace {

constexpr int QuietEndMs = 2000;
constexpr int CountIntervalMs = 50;
constexpr int HexCharsPerByte = 3;  // "4A "

// Bytes in the HEX lines added since the last call. The pane drops its
// oldest lines, so the count walks back from its newest line.
qint64 countNewHexBytes(const LinePane& hex, qint64& linesCounted) {
    const qint64 added = hex.linesAdded() - linesCounted;
    linesCounted = hex.linesAdded();
    qint64 bytes = 0;
    const int first = std::max<qint64>(0, hex.lineCount() - added);
    for (int line = first; line < hex.lineCount(); ++line) {
        bytes += hex.lineText(line).size() / HexCharsPerByte;
    }
    return bytes;
}

// Messages of the terminal in the ASCII pane before the stream fills it.
void printTerminalMessages(const LinePane& ascii) {
    for (int line = 0; line < std::min(ascii.lineCount(), 8); ++line) {
        const QString text = ascii.lineText(line);
        if (text.startsWith("Opening") || text.startsWith("Opened") ||
            text.startsWith("Board control") || text.startsWith("ERROR")) {
            std::printf("  terminal said: %s\n", qPrintable(text));
        }
    }
}

struct Figures {
    qint64 shown = 0;
    // From Open to the last byte shown; Open starts the quiet before the first.
    double seconds = 0;
    double processorSeconds = 0;
    bool complete = false;
    int newLinePaints = 0;
};

class CountWatch {
  public:
    CountWatch(Ui::Form1& form, qint64 expected, Figures& figures)
        : form(form), expected(expected), figures(figures), paints(*form.Memo3) {
        timer.setInterval(CountIntervalMs);
        QObject::connect(&timer, &QTimer::timeout, [this] { check(); });
    }

    void start() {
        clock.start();
        processorAtStart = processorSeconds();
        paints.start();
        timer.start();
    }

  private:
    void check() {
        if (!messagesPrinted) {
            printTerminalMessages(*form.Memo2);
            messagesPrinted = true;
        }
        const qint64 added = countNewHexBytes(*form.Memo3, linesCounted);
        const double now = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (added > 0) {
            figures.shown += added;
            figures.seconds = now;
            figures.processorSeconds = processorSeconds() - processorAtStart;
            figures.newLinePaints = paints.count();
        }
        figures.complete = figures.shown >= expected;
        if (figures.complete || now - figures.seconds > QuietEndMs / 1000.0) {
            timer.stop();
            QTest::mouseClick(form.Button7, Qt::LeftButton);
        }
    }

    Ui::Form1& form;
    qint64 expected;
    Figures& figures;
    QTimer timer;
    QElapsedTimer clock;
    double processorAtStart = 0;
    bool messagesPrinted = false;
    qint64 linesCounted = 0;
    NewLinePaints paints;
};

}  // namespace

int main(int argc, char* argv[]) {
    useOffscreenUnlessPlatformChosen();
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_pty_terminal SLAVE_PATH [STREAM_BYTES]\n");
        return 2;
    }
    const QString slavePath = QString::fromLocal8Bit(argv[1]);
    const qint64 expected = argc > 2 ? std::stoll(argv[2]) : 8 * 1024 * 1024;

    // Listed beside the simulated boards, as the program's --serial-port does.
    BenchWindow bench(slavePath.toLocal8Bit().constData(),
                      std::make_shared<SerialBackend>(QStringList{slavePath}));
    Ui::Form1& form = bench.form();
    if (form.ComboBox1->currentText() != slavePath) {
        std::fprintf(stderr, "the port chooser does not list %s\n", qPrintable(slavePath));
        return 1;
    }
    form.ComboBox2->setEditText(QStringLiteral("3000000"));

    Figures figures;
    CountWatch watch(form, expected, figures);
    watch.start();
    QTest::mouseClick(form.Button6, Qt::LeftButton);

    for (const QString& text : bench.dialogs.errors + bench.dialogs.informations) {
        std::printf("  dialog: %s\n", qPrintable(text));
    }
    std::printf(
        "reader=tarvik-control bytes=%lld seconds=%.3f cpu=%.3f complete=%s paints=%.1f "
        "peak_mib=%.1f\n",
        static_cast<long long>(figures.shown), figures.seconds, figures.processorSeconds,
        figures.complete ? "yes" : "no",
        figures.seconds > 0 ? figures.newLinePaints / figures.seconds : 0.0,
        peakResidentMegabytes());
    return 0;
}
