// Moves a 4 MiB file through every transfer path of the open terminal at
// 3,000,000 baud, on the real clock and offscreen, as a user would start
// each one, and prints for each the bytes moved over the wire time (as a
// ratio to the wire rate) and the processor share the program took.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <functional>

#include "BenchWindow.h"
#include "DeviceLink.h"
#include "EvalBoard.h"
#include "Form1Ui.h"
#include "HxDriver.h"
#include "LoopSession.h"
#include "ScriptedDialogs.h"
#include "SimBackend.h"
#include "SystemClock.h"
#include "TForm1.h"

namespace {

constexpr double LinkBaud = 3'000'000;
constexpr double BitsPerByte = 10.0;
constexpr int FileSize = 4 * 1024 * 1024;
const QString FileName = QStringLiteral("BENCH.BIN");

QByteArray benchFile() {
    QByteArray bytes(FileSize, '\0');
    for (int i = 0; i < FileSize; ++i) {
        bytes[i] = static_cast<char>((i * 131 + i / 509) & 0xFF);
    }
    return bytes;
}

struct Bench {
    Ui::Form1& form;
    ScriptedDialogs& dialogs;
    EvalBoard& board;
    DeviceLink& link;
    QTemporaryDir& dir;
    QByteArray original;

    // Runs one path and prints its figures; the check says whether the file
    // arrived whole.
    void measure(const char* name, const std::function<void()>& start,
                 const std::function<bool()>& arrivedWhole) {
        QElapsedTimer timer;
        timer.start();
        const std::clock_t processorAtStart = std::clock();
        start();
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        const double processor =
            static_cast<double>(std::clock() - processorAtStart) / CLOCKS_PER_SEC;
        const double wireSeconds = FileSize * BitsPerByte / LinkBaud;
        std::printf("  %-22s %6.2f s, wire %5.2f s: ratio %.3f, processor %3.0f %%%s\n", name,
                    seconds, wireSeconds, wireSeconds / seconds, 100.0 * processor / seconds,
                    arrivedWhole() ? "" : "  -- FILE DIFFERS");
    }

    QString local(const QString& relative) const { return dir.filePath(relative); }

    bool nothingQueued() const {
        std::uint32_t waiting = 0;
        return HX_GetQueueStatus(link.HandleA, &waiting) == hx::Ok && waiting == 0;
    }

    QByteArray localBytes(const QString& relative) const {
        QFile file(local(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QByteArray diskBytes() const {
        const auto bytes = board.disk().get(FileName.toStdString());
        return bytes ? QByteArray(reinterpret_cast<const char*>(bytes->data()),
                                  static_cast<qsizetype>(bytes->size()))
                     : QByteArray();
    }

    void sendWhole() {
        form.CheckBox1->setChecked(true);
        dialogs.answerOpen(local(FileName));
        QTest::mouseClick(form.Button5, Qt::LeftButton);
    }

    void receive(QPushButton* button, const QString& into, int block) {
        form.CheckBox2->setChecked(block == 0);
        form.Edit3->setText(QString::number(block));
        dialogs.answerSave(local(into));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Slave send: the chip only records in data mode, so that no echo floods
    // the terminal afterwards. The page's own figure is printed beside.
    void slaveSend() {
        board.setDataEcho(false);
        board.clearDataReceived();
        dialogs.answerOpen(local(FileName));
        QTest::mouseClick(form.Button13, Qt::LeftButton);
    }

    // Slave receive: the chip streams the file once the receive has begun;
    // "Close File" is pressed as soon as the last byte is in.
    void slaveReceive() {
        QTimer chip;
        chip.setInterval(1);
        bool streaming = false;
        QObject::connect(&chip, &QTimer::timeout, [&] {
            if (!streaming && form.Button14->text() == QLatin1String("Close File")) {
                streaming = board.sendInDataMode(original);
            } else if (streaming && board.chipBacklog() == 0 && nothingQueued()) {
                QTest::mouseClick(form.Button14, Qt::LeftButton);
            }
        });
        dialogs.answerSave(local(QStringLiteral("slave/") + FileName));
        chip.start();
        QTest::mouseClick(form.Button14, Qt::LeftButton);
        chip.stop();
    }

    // The last bytes of a send are still crossing the wire when it returns.
    bool sentWhole() {
        QElapsedTimer waited;
        waited.start();
        while (board.dataReceived().size() < original.size() && waited.elapsed() < 2000) {
            QThread::msleep(1);
            board.advance();
        }
        return board.dataReceived() == original;
    }

    void runSlavePaths() {
        measure(
            "slave send", [&] { slaveSend(); }, [&] { return sentWhole(); });
        std::printf("  %-22s %s bytes/s shown by the page\n", "", qPrintable(form.Label22->text()));
        measure(
            "slave receive", [&] { slaveReceive(); },
            [&] { return localBytes(QStringLiteral("slave/") + FileName) == original; });
    }

    void runDiskPaths() {
        measure(
            "WRF whole file", [&] { sendWhole(); }, [&] { return diskBytes() == original; });
        measure(
            "RD", [&] { receive(form.Button8, QStringLiteral("rd/") + FileName, 0); },
            [&] { return localBytes(QStringLiteral("rd/") + FileName) == original; });
        measure(
            "RDF whole file", [&] { receive(form.Button9, QStringLiteral("rdf/") + FileName, 0); },
            [&] { return localBytes(QStringLiteral("rdf/") + FileName) == original; });
        measure(
            "RDF in 4096 blocks",
            [&] { receive(form.Button9, QStringLiteral("blocks/") + FileName, 4096); },
            [&] { return localBytes(QStringLiteral("blocks/") + FileName) == original; });
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    BenchWindow benchWindow;
    Ui::Form1& form = benchWindow.form();

    QTemporaryDir dir;
    for (const char* folder : {"rd", "rdf", "blocks", "slave"}) {
        QDir(dir.path()).mkdir(QString::fromLatin1(folder));
    }
    Bench bench{form, benchWindow.dialogs, benchWindow.board(), benchWindow.window->link(),
                dir,  benchFile()};
    QFile file(bench.local(FileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(bench.original) != FileSize) {
        std::fprintf(stderr, "cannot write the file to send\n");
        return 1;
    }
    file.close();

    std::printf("transfers of %d bytes at 3,000,000 baud (target ratio at least 0.95):\n",
                FileSize);
    LoopSession session(form);
    session.waitFor([&] { return form.Memo2->toPlainText().contains(QStringLiteral("D:\\>")); })
        .step([&] { benchWindow.setTerminalRate(3'000'000); },
              [&] { return benchWindow.board().chipBaudRate() == 3'000'000; })
        .step([&] { bench.runDiskPaths(); })
        .step([&] { QTest::mouseClick(form.RadioButton4, Qt::LeftButton); },
              [&] { return form.Label12->text() == QLatin1String("ACK"); })
        .step([&] { bench.runSlavePaths(); });
    session.run();
    const bool errors = form.Memo2->toPlainText().contains(QStringLiteral("ERROR"));
    if (errors || !session.completed()) {
        std::printf("  -- the session did not complete cleanly\n");
        for (const QString& line : form.Memo2->toPlainText().split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("ERROR"))) {
                std::printf("  %s\n", qPrintable(line));
            }
        }
        return 1;
    }
    return 0;
}
