// Every mode and path against every fault the simulated boards can inject,
// through the window as a user meets it: the path must end within a bound,
// say what happened in its own pane, clear its flags, close the channels it
// opened, give back its controls, and leave no local file half-written under
// the name the user chose.
#include <sys/resource.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <memory>

#include "DeviceLink.h"
#include "EvalBoard.h"
#include "Form1Ui.h"
#include "LoopSession.h"
#include "SpyBoard.h"
#include "TForm1.h"
#include "TestFiles.h"
#include "WindowFixture.h"

namespace {

enum class Path {
    Programmer,
    TerminalOpen,
    TerminalReceive,
    Set,
    SendWhole,
    SendBlocks,
    ReceiveRd,
    ReceiveRdfWhole,
    ReceiveRdfBlocks,
    SlaveSend,
    SlaveReceive,
    Spy,
};

enum class Fault {
    Unplugged,
    ChipSilent,
    ShortWrite,
    RefusedBlock,
    NoDisk,
    DiskFull,
    UnwritableFile,
    WindowClosed,
    WrongRate,
};

// A path ends by itself within this much of the board's time after the fault:
// the longest is a 10,000-byte send at 9600 baud struck as it starts, whose
// data take 10.4 s on the wire before the wait for the answer can begin, and
// that wait bears 7.3 s of silence.
constexpr std::int64_t EndBoundMs = 22'000;
const QByteArray OlderFile("an older file");
const QString Prompt = QStringLiteral("D:\\>");

bool receives(Path path) {
    return path == Path::ReceiveRd || path == Path::ReceiveRdfWhole ||
           path == Path::ReceiveRdfBlocks || path == Path::SlaveReceive;
}

bool slave(Path path) {
    return path == Path::SlaveSend || path == Path::SlaveReceive;
}

// Faults that are there before the path starts; the others strike once the
// path has moved some bytes.
bool presentFromTheStart(Path path, Fault fault) {
    switch (fault) {
        case Fault::Unplugged:
        case Fault::ChipSilent:
        case Fault::WindowClosed:
            return path == Path::TerminalOpen;
        case Fault::ShortWrite:
            // A receive writes nothing once its commands are out.
            return path == Path::Set || (receives(path) && !slave(path));
        default:
            return true;
    }
}

// What a user can reach: every button, edit, chooser and group, with whether
// it is on and what it reads.
QStringList controlStates(QWidget& window) {
    QStringList states;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
        } else if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w) &&
                   !qobject_cast<QGroupBox*>(w)) {
            continue;
        }
        states << w->objectName() +
                      (w->isEnabled() ? QStringLiteral(" on ") : QStringLiteral(" off ")) + text;
    }
    return states;
}

// A process file-size limit, so that the local file refuses bytes part of
// the way through; writes past it fail instead of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

}  // namespace

class FaultMatrixTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void everyFaultEndsCleanly_data();
    void everyFaultEndsCleanly();

  private:
    SimBoard& board();
    std::uint64_t traffic();
    void strike();
    void watchForStrike(std::uint64_t afterBytes);
    void startPath();
    void runProgrammer();
    void runTerminal();
    void runSpy();
    void runInsideTerminal(LoopSession& session);
    QString paneText();
    QString target() const { return dir->filePath(QStringLiteral("LOG.TXT")); }

    std::unique_ptr<WindowFixture> fixture;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FileSizeLimit> sizeLimit;
    Path path = Path::Programmer;
    Fault fault = Fault::Unplugged;
    QTimer striker;
    QTimer stopper;
    std::uint64_t trafficAtArming = 0;
    std::uint64_t strikeAfter = 0;
    bool firstWait = false;
    std::int64_t struckAtMs = -1;
    std::int64_t endedAtMs = -1;
    QStringList controlsBefore;
    QStringList controlsAfter;
};

void FaultMatrixTest::init() {
    fixture = std::make_unique<WindowFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    striker.setInterval(0);
    stopper.setInterval(0);
    struckAtMs = -1;
    endedAtMs = -1;
}

void FaultMatrixTest::cleanup() {
    striker.stop();
    striker.disconnect();
    stopper.stop();
    stopper.disconnect();
    sizeLimit.reset();
    fixture.reset();
    dir.reset();
}

SimBoard& FaultMatrixTest::board() {
    if (path == Path::Spy) {
        return fixture->spyBoard();
    }
    return fixture->evalBoard();
}

// Bytes the program has read from channel A and written to it.
std::uint64_t FaultMatrixTest::traffic() {
    std::uint64_t written = 0;
    for (const QByteArray& write : board().writes(ChannelId::A)) {
        written += static_cast<std::uint64_t>(write.size());
    }
    return written + board().takenByReads(ChannelId::A) + board().takenByReads(ChannelId::B);
}

void FaultMatrixTest::strike() {
    struckAtMs = fixture->clock.milliseconds();
    switch (fault) {
        case Fault::Unplugged:
            board().unplug();
            break;
        case Fault::ChipSilent:
            fixture->evalBoard().setChipSilent(true);
            break;
        case Fault::ShortWrite:
            board().writeShortOnce(ChannelId::A, 0);
            break;
        case Fault::RefusedBlock:
            fixture->evalBoard().bootLoaderFaults().blockAnswer = 0x05;
            break;
        case Fault::NoDisk:
            fixture->evalBoard().disk().setPresent(false);
            break;
        case Fault::DiskFull:
            fixture->evalBoard().disk().setCapacity(fixture->evalBoard().disk().usedBytes() + 3000);
            break;
        case Fault::UnwritableFile:
            sizeLimit = std::make_unique<FileSizeLimit>(2000);
            break;
        case Fault::WindowClosed:
            fixture->window().close();
            break;
        case Fault::WrongRate:
            if (path == Path::Spy) {
                fixture->spyBoard().setScript(defaultSpyScript(), 57600);
            } else if (path == Path::Set) {
                // The chip misses the rate change Set asks for.
                fixture->evalBoard().setChipOffRate(fixture->evalBoard().chipBaudRate());
            } else {
                fixture->evalBoard().setChipOffRate(path == Path::Programmer ? 115200 : 57600);
            }
            break;
    }
}

// Strikes from inside whatever loop the path runs, once it has moved the
// given number of bytes; a fault there from the start strikes at once.
void FaultMatrixTest::watchForStrike(std::uint64_t afterBytes) {
    if (presentFromTheStart(path, fault)) {
        strike();
        return;
    }
    trafficAtArming = traffic();
    strikeAfter = firstWait ? 1 : afterBytes;
    striker.start();
}

QString FaultMatrixTest::paneText() {
    Ui::Form1& f = fixture->form();
    switch (path) {
        case Path::Programmer:
            return f.Memo1->toPlainText();
        case Path::Spy:
            return f.RichEdit1->toPlainText() + QLatin1Char('\n') + f.RichEdit2->toPlainText();
        default:
            return f.Memo2->toPlainText();
    }
}

void FaultMatrixTest::runProgrammer() {
    Ui::Form1& f = fixture->form();
    const QString rom = dir->filePath(QStringLiteral("image.rom"));
    QVERIFY(writeFile(rom, patterned(16384, 31, 97)));
    f.PageControl1->setCurrentWidget(f.TabSheet1);
    fixture->dialogs.answerOpen(rom);
    QTest::mouseClick(f.Button1, Qt::LeftButton);
    controlsBefore = controlStates(fixture->window());
    watchForStrike(4000);
    QTest::mouseClick(f.Button2, Qt::LeftButton);
    endedAtMs = fixture->clock.milliseconds();
}

void FaultMatrixTest::runSpy() {
    Ui::Form1& f = fixture->form();
    QVERIFY(fixture->pickSpyBoard());
    f.PageControl1->setCurrentWidget(f.TabSheet3);
    controlsBefore = controlStates(fixture->window());
    LoopSession session = LoopSession::spy(f);
    session.step(
        [&] { watchForStrike(300); },
        [&] { return struckAtMs >= 0 && fixture->clock.milliseconds() > struckAtMs + 3000; });
    session.run();
    endedAtMs = fixture->clock.milliseconds();
    QVERIFY(session.completed() || !fixture->window().flags().SpyOpen);
}

void FaultMatrixTest::runTerminal() {
    Ui::Form1& f = fixture->form();
    f.PageControl1->setCurrentWidget(f.TabSheet2);
    LoopSession session(f);
    if (path == Path::TerminalOpen || path == Path::TerminalReceive) {
        // Closed after a first connection: before any, the port chooser's
        // rule leaves Suspend and Resume on.
        LoopSession first(f);
        first.waitFor([&] { return f.Memo2->toPlainText().contains(Prompt); });
        first.run();
        QVERIFY(first.completed());
        controlsBefore = controlStates(fixture->window());
    }
    if (path == Path::TerminalOpen) {
        watchForStrike(0);
        const std::int64_t start = fixture->clock.milliseconds();
        session.waitFor([&, start] { return fixture->clock.milliseconds() > start + 3000; });
    } else {
        session.waitFor([&] { return f.Memo2->toPlainText().contains(Prompt); });
        runInsideTerminal(session);
    }
    session.run();
    // A terminal that lost its board says so and waits for Close.
    if (f.Button7->isEnabled()) {
        QTest::mouseClick(f.Button7, Qt::LeftButton);
    }
    if (path == Path::TerminalOpen || path == Path::TerminalReceive) {
        endedAtMs = fixture->clock.milliseconds();
        controlsAfter = controlStates(fixture->window());
    }
    QVERIFY2(session.completed() || fault == Fault::Unplugged || fault == Fault::WindowClosed,
             qPrintable(QString::number(session.stepsDone())));
}

void FaultMatrixTest::runInsideTerminal(LoopSession& session) {
    Ui::Form1& f = fixture->form();
    if (slave(path)) {
        session.step([&] { QTest::mouseClick(f.RadioButton4, Qt::LeftButton); },
                     [&] { return f.Label12->text() == QLatin1String("ACK"); });
    }
    session.step(
        [&] {
            if (path != Path::TerminalReceive) {
                controlsBefore = controlStates(fixture->window());
            }
            switch (path) {
                case Path::TerminalReceive:
                    watchForStrike(60);
                    QTest::keyClicks(f.Memo2, QStringLiteral("DIR"));
                    QTest::keyClick(f.Memo2, Qt::Key_Return);
                    return;
                case Path::Set:
                    watchForStrike(0);
                    f.ComboBox2->setEditText(QStringLiteral("115200"));
                    QTest::mouseClick(f.Button3, Qt::LeftButton);
                    break;
                case Path::SendWhole:
                case Path::SendBlocks: {
                    const QString source = dir->filePath(QStringLiteral("ROUND.BIN"));
                    QVERIFY(writeFile(source, patterned(10000, 31, 97)));
                    f.CheckBox1->setChecked(path == Path::SendWhole);
                    fixture->dialogs.answerOpen(source);
                    watchForStrike(4000);
                    QTest::mouseClick(f.Button5, Qt::LeftButton);
                    break;
                }
                case Path::SlaveSend: {
                    const QString source = dir->filePath(QStringLiteral("ROUND.BIN"));
                    QVERIFY(writeFile(source, patterned(10000, 31, 97)));
                    fixture->dialogs.answerOpen(source);
                    watchForStrike(4000);
                    QTest::mouseClick(f.Button13, Qt::LeftButton);
                    break;
                }
                case Path::SlaveReceive:
                    fixture->evalBoard().sendInDataMode(patterned(10000, 31, 97));
                    fixture->dialogs.answerSave(target());
                    watchForStrike(4000);
                    // The receive ends with its button, once the fault has had
                    // its time.
                    stopper.start();
                    QTest::mouseClick(f.Button14, Qt::LeftButton);
                    break;
                default:
                    f.CheckBox2->setChecked(path != Path::ReceiveRdfBlocks);
                    f.Edit3->setText(QStringLiteral("1000"));
                    fixture->dialogs.answerSave(target());
                    watchForStrike(3000);
                    QTest::mouseClick(path == Path::ReceiveRd ? f.Button8 : f.Button9,
                                      Qt::LeftButton);
                    break;
            }
            endedAtMs = fixture->clock.milliseconds();
            controlsAfter = controlStates(fixture->window());
        },
        [&] {
            // A terminal that lost its board has ended its loop.
            return struckAtMs >= 0 && fixture->clock.milliseconds() > struckAtMs + 2000;
        });
    if (path == Path::Set && fault == Fault::ShortWrite) {
        // Both ends kept their rate: the monitor still answers.
        session.step(
            [&] {
                QTest::keyClicks(f.Memo2, QStringLiteral("FWV"));
                QTest::keyClick(f.Memo2, Qt::Key_Return);
            },
            [&] {
                return f.Memo2->toPlainText()
                    .split(QLatin1Char('\n'))
                    .contains(QStringLiteral("Tarvik Monitor 1.0"));
            });
    }
}

void FaultMatrixTest::everyFaultEndsCleanly_data() {
    QTest::addColumn<int>("pathColumn");
    QTest::addColumn<int>("faultColumn");
    // What the path's pane says; empty: no line of it starts with "ERROR".
    QTest::addColumn<QString>("says");
    // The fault strikes at the path's first wait for the chip (after its first
    // byte) instead of part of the way through.
    QTest::addColumn<bool>("atFirstWait");
    struct Cell {
        Fault fault;
        const char* says;
        bool atFirstWait = false;
    };
    struct Row {
        std::vector<std::pair<const char*, Path>> paths;
        std::vector<Cell> cells;
    };
    const char* const syncFailed = "ERROR : failed to Sync to Tarvik";
    const char* const noAnswerForBlock = "ERROR : no answer from Tarvik for block at 0x";
    const char* const loopEnded =
        "ERROR : the board stopped answering: the connection has ended; it opens again by "
        "itself when the board is back, or press Close";
    const char* const sendStopped =
        "ERROR : Tarvik stopped taking data: ROUND.BIN on Tarvik's disk is incomplete";
    // A silent chip or a garbled wire give a terminal nothing to go by: it
    // shows what comes, and Close ends it.
    const std::vector<Row> rows{
        {{{"programmer", Path::Programmer}},
         {{Fault::Unplugged, noAnswerForBlock},
          {Fault::ChipSilent, noAnswerForBlock},
          {Fault::ShortWrite, noAnswerForBlock},
          {Fault::RefusedBlock, "ERROR : Tarvik refused block at 0x0000 (answer 0x05)"},
          {Fault::WindowClosed,
           "ERROR : the window was closed: programming stopped before the block at 0x"},
          {Fault::WrongRate, syncFailed},
          {Fault::Unplugged, syncFailed, true},
          {Fault::ChipSilent, syncFailed, true},
          {Fault::WindowClosed,
           "ERROR : the window was closed before Tarvik was in step: nothing was sent", true}}},
        {{{"terminal open", Path::TerminalOpen}},
         {{Fault::Unplugged, "ERROR : failed to open Tarvik Eval Board A"},
          {Fault::ChipSilent, ""},
          {Fault::WrongRate, ""}}},
        {{{"terminal receive", Path::TerminalReceive}},
         {{Fault::Unplugged, loopEnded},
          {Fault::ChipSilent, ""},
          {Fault::WindowClosed, ""},
          {Fault::WrongRate, ""}}},
        {{{"set", Path::Set}},
         {{Fault::Unplugged, loopEnded},
          {Fault::ChipSilent, ""},
          {Fault::ShortWrite,
           "ERROR : the board took only 0 of the 8 bytes of the SBD line: the link stays at "
           "9600 baud"},
          {Fault::WrongRate, ""}}},
        {{{"send whole", Path::SendWhole}, {"send blocks", Path::SendBlocks}},
         {{Fault::Unplugged, sendStopped},
          {Fault::ChipSilent,
           "ERROR : no answer from Tarvik to WRF: ROUND.BIN on Tarvik's disk may be incomplete"},
          {Fault::ShortWrite, sendStopped},
          {Fault::NoDisk,
           "ERROR : Tarvik answered \"No Disk\" to OPW ROUND.BIN: nothing was "
           "written to Tarvik's disk"},
          {Fault::DiskFull,
           "ERROR : Tarvik answered \"Disk Full\" to WRF: ROUND.BIN on "
           "Tarvik's disk may be incomplete"},
          {Fault::WindowClosed,
           "ERROR : the transfer was cancelled: ROUND.BIN on Tarvik's disk is incomplete"},
          {Fault::WrongRate,
           "ERROR : no answer from Tarvik to OPW ROUND.BIN: nothing was "
           "written to Tarvik's disk"},
          {Fault::Unplugged,
           "ERROR : the link failed during OPW ROUND.BIN: nothing was written to Tarvik's disk",
           true},
          {Fault::ChipSilent,
           "ERROR : no answer from Tarvik to OPW ROUND.BIN: nothing was written to Tarvik's disk",
           true},
          {Fault::WindowClosed,
           "ERROR : the transfer was cancelled: nothing was written to Tarvik's disk", true}}},
        {{{"receive RD", Path::ReceiveRd},
          {"receive RDF whole", Path::ReceiveRdfWhole},
          {"receive RDF blocks", Path::ReceiveRdfBlocks}},
         {{Fault::Unplugged, "ERROR : the link failed during LOG.TXT: nothing was saved to "},
          {Fault::ChipSilent, "ERROR : Tarvik stopped sending after "},
          // The D of DIR is lost.
          {Fault::ShortWrite,
           "ERROR : Tarvik answered \"Bad Command\" to DIR LOG.TXT: "
           "nothing was saved to "},
          {Fault::NoDisk,
           "ERROR : Tarvik answered \"No Disk\" to DIR LOG.TXT: nothing was saved to "},
          {Fault::UnwritableFile, "(File too large): nothing was saved to "},
          {Fault::WindowClosed, "ERROR : the transfer was cancelled: nothing was saved to "},
          {Fault::WrongRate,
           "ERROR : no answer from Tarvik to DIR LOG.TXT: nothing was "
           "saved to "},
          {Fault::Unplugged, "ERROR : the link failed during DIR LOG.TXT: nothing was saved to ",
           true},
          {Fault::ChipSilent, "ERROR : no answer from Tarvik to DIR LOG.TXT: nothing was saved to ",
           true},
          {Fault::WindowClosed, "ERROR : the transfer was cancelled: nothing was saved to ",
           true}}},
        // Raw data has no answer to miss: a silent or garbling chip is no
        // fault of a slave send, and a slave receive keeps what came.
        {{{"slave send", Path::SlaveSend}},
         {{Fault::Unplugged, "ERROR : Tarvik stopped taking data after 4096 of 10000 bytes"},
          {Fault::ShortWrite, "ERROR : Tarvik stopped taking data after 4096 of 10000 bytes"},
          {Fault::WindowClosed, "ERROR : the send was cancelled after 4096 of 10000 bytes"}}},
        {{{"slave receive", Path::SlaveReceive}},
         {{Fault::Unplugged, "ERROR : the link failed: nothing was saved to "},
          {Fault::UnwritableFile, "(File too large): nothing was saved to "},
          {Fault::WindowClosed,
           "ERROR : the receive ended with the channel closed: nothing was saved to "}}},
        {{{"spy", Path::Spy}},
         {{Fault::Unplugged, "ERROR : the board stopped answering: capture ended"},
          {Fault::WindowClosed, ""},
          {Fault::WrongRate, ""}}},
    };
    const char* const faultNames[] = {"unplugged",       "chip silent",   "short write",
                                      "refused block",   "no disk",       "disk full",
                                      "unwritable file", "window closed", "wrong rate"};
    for (const Row& row : rows) {
        for (const auto& [pathName, rowPath] : row.paths) {
            for (const Cell& cell : row.cells) {
                const QByteArray name = QByteArray(pathName) + ", " + faultNames[int(cell.fault)] +
                                        (cell.atFirstWait ? " at the first wait" : "");
                QTest::newRow(name.constData()) << int(rowPath) << int(cell.fault)
                                                << QString::fromUtf8(cell.says) << cell.atFirstWait;
            }
        }
    }
}

void FaultMatrixTest::everyFaultEndsCleanly() {
    QFETCH(int, pathColumn);
    QFETCH(int, faultColumn);
    QFETCH(QString, says);
    QFETCH(bool, atFirstWait);
    firstWait = atFirstWait;
    path = static_cast<Path>(pathColumn);
    fault = static_cast<Fault>(faultColumn);
    QObject::connect(&striker, &QTimer::timeout, [this] {
        if (traffic() >= trafficAtArming + strikeAfter) {
            striker.stop();
            strike();
        }
    });
    QObject::connect(&stopper, &QTimer::timeout, [this] {
        Ui::Form1& f = fixture->form();
        if (struckAtMs >= 0 && fixture->clock.milliseconds() > struckAtMs + 3000 &&
            f.Button14->isEnabled() && f.Button14->text() != QLatin1String("Rcv File")) {
            stopper.stop();
            QTest::mouseClick(f.Button14, Qt::LeftButton);
        }
    });
    if (receives(path)) {
        QVERIFY(writeFile(target(), OlderFile));
    }
    if (path != Path::Spy) {
        QVERIFY(fixture->pickEvalBoard());
    }
    switch (path) {
        case Path::Programmer:
            runProgrammer();
            controlsAfter = controlStates(fixture->window());
            break;
        case Path::Spy:
            runSpy();
            controlsAfter = controlStates(fixture->window());
            break;
        default:
            runTerminal();
            break;
    }
    sizeLimit.reset();

    QVERIFY2(struckAtMs >= 0, "the fault never struck");
    QVERIFY2(endedAtMs - struckAtMs <= EndBoundMs,
             qPrintable(QStringLiteral("ended %1 ms after the fault").arg(endedAtMs - struckAtMs)));
    QStringList errors;
    for (const QString& line : paneText().split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("ERROR"))) {
            errors << line;
        }
    }
    if (says.isEmpty()) {
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('|'))));
    } else {
        QVERIFY2(!errors.filter(says).isEmpty(), qPrintable(paneText().right(600)));
    }
    const ModeFlags& flags = fixture->window().flags();
    QVERIFY(!flags.ProgrammingBusy && !flags.TerminalOpen && !flags.SpyOpen && !flags.TransferBusy);
    QVERIFY(!fixture->window().link().ChannelAOpen && !fixture->window().link().ChannelBOpen);
    QVERIFY(!board().isOpen(ChannelId::A) && !board().isOpen(ChannelId::B));
    if (fault == Fault::WindowClosed) {
        // Nothing is asked of the channels the closing closed.
        QCOMPARE(fixture->dialogs.errors, QStringList());
    } else {
        QCOMPARE(controlsAfter, controlsBefore);
    }
    // The file chosen for a receive holds what it held; nothing is left
    // beside it.
    QStringList left = QDir(dir->path()).entryList(QDir::Files | QDir::Hidden);
    left.removeAll(QStringLiteral("ROUND.BIN"));
    left.removeAll(QStringLiteral("image.rom"));
    if (receives(path)) {
        QCOMPARE(left, QStringList{QStringLiteral("LOG.TXT")});
        QCOMPARE(fileBytes(target()), OlderFile);
    } else {
        QCOMPARE(left, QStringList());
    }
}

QTEST_MAIN(FaultMatrixTest)
#include "tst_fault_matrix.moc"
