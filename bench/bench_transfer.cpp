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
#include <cstdio>
#include <ctime>
#include <functional>

#include "DriverRegistry.h"
#include "EvalBoard.h"
#include "Form1Ui.h"
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
    SystemClock clock;
    auto backend = std::make_shared<SimBackend>(clock);
    DriverRegistry::instance().install(backend);
    ScriptedDialogs dialogs;
    TForm1 window(clock, dialogs);
    window.show();
    Ui::Form1& form = window.form();
    form.ComboBox1->showPopup();
    form.ComboBox1->setCurrentIndex(form.ComboBox1->findText(SimBackend::EvalBoardName));
    form.ComboBox1->hidePopup();

    QTemporaryDir dir;
    for (const char* folder : {"rd", "rdf", "blocks"}) {
        QDir(dir.path()).mkdir(QString::fromLatin1(folder));
    }
    Bench bench{form, dialogs, backend->evalBoard(), dir, benchFile()};
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
        .step(
            [&] {
                form.ComboBox2->setEditText(QStringLiteral("3000000"));
                QTest::mouseClick(form.Button3, Qt::LeftButton);
            },
            [&] { return backend->evalBoard().chipBaudRate() == 3'000'000; })
        .step([&] { bench.runDiskPaths(); });
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
