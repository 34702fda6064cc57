// Flashes a full 64 KiB image into the simulated board through the window, on
// the real clock, and prints the time taken as a ratio to the wire limit of
// the same exchange.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <ctime>

#include "BenchWindow.h"
#include "Form1Ui.h"
#include "ScriptedDialogs.h"
#include "SimBackend.h"
#include "SystemClock.h"
#include "TForm1.h"

namespace {

constexpr double BitsPerByte = 10.0;
constexpr int ImageSize = 65536;
constexpr int Blocks = ImageSize / 128;

double wireSeconds(double bytes, double baudRate) {
    return bytes * BitsPerByte / baudRate;
}

// The least the exchange can take: each synchronisation byte out and its echo
// back, the speed change and its pause, then per block the header, its
// answer, the data and its answer, one after the other.
double wireLimitSeconds() {
    const double slow = 115'200;
    const double fast = 1'000'000;
    const double syncBytes = 2 + 2;
    return wireSeconds(syncBytes + 6, slow) + 1.0 + wireSeconds(syncBytes, fast) +
           wireSeconds(Blocks * (4 + 1 + 128 + 1), fast);
}

QString writeImage(const QTemporaryDir& dir) {
    QByteArray image(ImageSize, '\0');
    for (int i = 0; i < ImageSize; ++i) {
        image[i] = static_cast<char>((i * 13 + i / 256) & 0xFF);
    }
    const QString path = dir.filePath(QStringLiteral("bench.rom"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size()) {
        return {};
    }
    return path;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    BenchWindow bench;
    ScriptedDialogs& dialogs = bench.dialogs;

    QTemporaryDir dir;
    const QString path = writeImage(dir);
    if (path.isEmpty()) {
        std::fprintf(stderr, "cannot write the image\n");
        return 1;
    }
    Ui::Form1& f = bench.form();
    f.Edit1->setText(path);

    QElapsedTimer timer;
    timer.start();
    const std::clock_t processorAtStart = std::clock();
    QTest::mouseClick(f.Button2, Qt::LeftButton);
    const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const double processor = static_cast<double>(std::clock() - processorAtStart) / CLOCKS_PER_SEC;

    const bool flashed = dialogs.informations.size() == 1 &&
                         f.Memo1->toPlainText().endsWith(QLatin1String("Complete"));
    const double limit = wireLimitSeconds();
    std::printf("flash 64 KiB: %.3f s, wire limit %.3f s, ratio %.3f (target at most 1.2)%s\n",
                elapsed, limit, elapsed / limit, flashed ? "" : "  -- RUN FAILED");
    int syncWrites = 0;
    for (const QByteArray& write : bench.board().writes(ChannelId::A)) {
        syncWrites += write.size() == 1 ? 1 : 0;
    }
    std::printf("synchronisation bytes written: %d\n", syncWrites);
    std::printf("processor, the simulated board included: %.0f %% of a core\n",
                100.0 * processor / elapsed);
    return flashed ? 0 : 1;
}
