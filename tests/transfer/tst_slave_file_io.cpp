// Slave File I/O end to end: in data mode a user sends a file's raw bytes to
// the chip and stores what the chip sends; the tests compare the bytes on
// both sides and what the page shows.
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "EvalBoard.h"
#include "Form1Ui.h"
#include "LoopSession.h"
#include "SlaveFileIo.h"
#include "TForm1.h"
#include "TestFiles.h"
#include "WindowFixture.h"

namespace {}  // namespace

class SlaveFileIoTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void throughput_data();
    void throughput();
    void sendShowsTheProgressAndTheRateOnTheWire_data();
    void sendShowsTheProgressAndTheRateOnTheWire();
    void receiveKeepsEveryByteUntilCloseFile();
    void keysTypedDuringRcvFileReachTheChip_data();
    void keysTypedDuringRcvFileReachTheChip();
    void cancelledDialogsChangeNothing();
    void needsTheTerminalOpen();

  private:
    // Opens the terminal (in data mode unless told), runs the steps, closes.
    void inTerminal(const std::function<void(LoopSession&)>& steps, bool dataMode = true);
    // A step that runs "Rcv File" into path; each pass of the receive that
    // processes window events asks closeNow, and "Close File" is pressed
    // when it says so, or after a minute on the board's clock.
    void receiveUntil(LoopSession& session, const QString& path,
                      const std::function<bool()>& closeNow);
    QString local(const QString& name) { return dir->filePath(name); }

    std::unique_ptr<WindowFixture> fixture;
    std::unique_ptr<QTemporaryDir> dir;
};

void SlaveFileIoTest::init() {
    fixture = std::make_unique<WindowFixture>();
    QVERIFY(fixture->pickEvalBoard());
    dir = std::make_unique<QTemporaryDir>();
}

void SlaveFileIoTest::cleanup() {
    fixture.reset();
    dir.reset();
}

void SlaveFileIoTest::inTerminal(const std::function<void(LoopSession&)>& steps, bool dataMode) {
    Ui::Form1& f = fixture->form();
    LoopSession session(f);
    session.waitFor([&] { return f.Memo2->toPlainText().contains(QStringLiteral("D:\\>")); });
    if (dataMode) {
        session.step([&] { QTest::mouseClick(f.RadioButton4, Qt::LeftButton); },
                     [&] { return f.Label12->text() == QLatin1String("ACK"); });
    }
    steps(session);
    session.run();
    QVERIFY2(session.completed(), qPrintable(QString::number(session.stepsDone())));
}

void SlaveFileIoTest::receiveUntil(LoopSession& session, const QString& path,
                                   const std::function<bool()>& closeNow) {
    session.step([this, path, closeNow] {
        Ui::Form1& f = fixture->form();
        QTimer passes;
        passes.setInterval(0);
        const std::int64_t giveUp = fixture->clock.peekNanoseconds() + 60'000'000'000;
        connect(&passes, &QTimer::timeout, this, [&] {
            if (fixture->window().flags().TransferBusy &&
                (closeNow() || fixture->clock.peekNanoseconds() > giveUp)) {
                QTest::mouseClick(f.Button14, Qt::LeftButton);
            }
        });
        fixture->dialogs.answerSave(path);
        passes.start();
        QTest::mouseClick(f.Button14, Qt::LeftButton);
    });
}

void SlaveFileIoTest::throughput_data() {
    QTest::addColumn<qulonglong>("bytes");
    QTest::addColumn<int>("elapsed");
    QTest::addColumn<qulonglong>("figure");
    QTest::newRow("10000 in 2500 ms") << 10000ull << 2500 << 4000ull;
    QTest::newRow("700000 in 70 s") << 700000ull << 70000 << 10000ull;
    QTest::newRow("within a millisecond") << 5000ull << 0 << 5000000ull;
    QTest::newRow("empty") << 0ull << 0 << 0ull;
}

void SlaveFileIoTest::throughput() {
    QFETCH(qulonglong, bytes);
    QFETCH(int, elapsed);
    QFETCH(qulonglong, figure);
    QCOMPARE(SlaveThroughput(bytes, elapsed), figure);
}

void SlaveFileIoTest::sendShowsTheProgressAndTheRateOnTheWire_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("ctsLow");
    QTest::addColumn<QList<int>>("progress");
    QTest::newRow("10000") << 10000 << false << QList<int>{40, 81, 100, 0};
    QTest::newRow("27") << 27 << false << QList<int>{100, 0};
    QTest::newRow("empty") << 0 << false << QList<int>{100, 0};
    // The bytes never leave the bridge: no rate, and the pane says why.
    QTest::newRow("27, the chip's CTS low") << 27 << true << QList<int>{100, 0};
}

// Every byte goes out unchanged in writes of 4096; the page shows the
// progress, "Sending", then the rate once the last byte has left the bridge,
// and "Done".
void SlaveFileIoTest::sendShowsTheProgressAndTheRateOnTheWire() {
    QFETCH(int, size);
    QFETCH(bool, ctsLow);
    QFETCH(QList<int>, progress);
    Ui::Form1& f = fixture->form();
    EvalBoard& board = fixture->evalBoard();
    board.setDataEcho(false);
    board.setChipCtsLow(ctsLow);
    const QByteArray content = patterned(size, 59);
    const QString path = local(QStringLiteral("slave.bin"));
    QVERIFY(writeFile(path, content));
    QList<int> seen;
    connect(f.ProgressBar2, &QProgressBar::valueChanged, this, [&](int value) { seen << value; });
    QString statusWhileSending;
    connect(f.ProgressBar2, &QProgressBar::valueChanged, this,
            [&] { statusWhileSending = f.Label23->text(); });

    inTerminal([&](LoopSession& session) {
        session.step([&] {
            fixture->dialogs.answerOpen(path);
            QTest::mouseClick(f.Button13, Qt::LeftButton);
        });
    });
    QCOMPARE(seen, progress);
    QCOMPARE(statusWhileSending, QStringLiteral("Sending ") + path);
    QCOMPARE(f.Label23->text(), ctsLow ? QStringLiteral("Failed") : QStringLiteral("Done"));
    // The wire carries 960 bytes a second at 9600 baud.
    bool isNumber = false;
    const qulonglong figure = f.Label22->text().toULongLong(&isNumber);
    QVERIFY2(ctsLow ? f.Label22->text().isEmpty() : isNumber && figure <= 960,
             qPrintable(f.Label22->text()));
    QCOMPARE(f.Memo2->toPlainText().contains(QStringLiteral("did not report the last bytes")),
             ctsLow);
    QCOMPARE(board.dataReceived(), ctsLow ? QByteArray() : content);
    QCOMPARE(f.Button13->text(), QStringLiteral("Send File"));
}

// What the chip sends goes into the file exactly, up to the pass that
// handles "Close File": the bytes that pass saw waiting before the click go
// in, those that came later are the terminal's again.
void SlaveFileIoTest::receiveKeepsEveryByteUntilCloseFile() {
    Ui::Form1& f = fixture->form();
    EvalBoard& board = fixture->evalBoard();
    const QByteArray content = patterned(10000, 59);
    const QString path = local(QStringLiteral("received.bin"));
    QString captionWhileReceiving;
    QString statusWhileReceiving;
    std::uint64_t readBefore = 0;
    qsizetype readAtClose = 0;
    qsizetype arrivedAtClose = 0;
    bool gap = false;
    inTerminal([&](LoopSession& session) {
        receiveUntil(session, path, [&] {
            const auto read = qsizetype(board.takenByReads(ChannelId::A) - readBefore);
            if (readBefore == 0) {
                captionWhileReceiving = f.Button14->text();
                statusWhileReceiving = f.Label23->text();
                readBefore = board.takenByReads(ChannelId::A);
                return !board.sendInDataMode(content);
            }
            if (!gap) {
                // The next pass finds 20 ms of bytes waiting before its events.
                gap = read >= 5000;
                fixture->clock.advance(gap ? 20'000'000 : 0);
                return false;
            }
            readAtClose = read;
            arrivedAtClose = content.size() - qsizetype(board.chipBacklog());
            // More bytes arrive before that pass reads.
            fixture->clock.advance(100'000'000);
            return board.sendInDataMode("LATE\r");
        });
        session.waitFor([&] { return f.Memo2->toPlainText().contains(QStringLiteral("LATE")); });
    });
    QCOMPARE(captionWhileReceiving, QStringLiteral("Close File"));
    QCOMPARE(statusWhileReceiving, QStringLiteral("Receiving ") + path);
    const QByteArray saved = fileBytes(path);
    QVERIFY(saved.size() > readAtClose);
    QVERIFY(saved.size() <= arrivedAtClose);
    QCOMPARE(saved, content.left(saved.size()));
    QCOMPARE(f.Button14->text(), QStringLiteral("Rcv File"));
    QCOMPARE(f.Label23->text(), QStringLiteral("Done"));
}

void SlaveFileIoTest::keysTypedDuringRcvFileReachTheChip_data() {
    QTest::addColumn<bool>("dataMode");
    // Typed before "Rcv File" | typed while it runs.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("captured");
    const QByteArray version("\rTarvik Monitor 1.0\rD:\\>\r");
    QTest::newRow("data mode: the echo") << true << "|hello" << QByteArray("hello\r");
    QTest::newRow("command mode: the answer") << false << "|FWV" << version;
    QTest::newRow("a line begun before") << false << "FW|V" << version;
}

// Keys typed during "Rcv File" go out at Enter as when nothing runs, and the
// chip's answer lands in the file.
void SlaveFileIoTest::keysTypedDuringRcvFileReachTheChip() {
    QFETCH(bool, dataMode);
    QFETCH(QString, typed);
    QFETCH(QByteArray, captured);
    const QStringList keys = typed.split(QLatin1Char('|'));
    Ui::Form1& f = fixture->form();
    EvalBoard& board = fixture->evalBoard();
    const QString path = local(QStringLiteral("captured.bin"));
    // The sign-on has been read, so this is never 0 once set.
    std::uint64_t readBefore = 0;
    inTerminal(
        [&](LoopSession& session) {
            session.step([&] { QTest::keyClicks(f.Memo2, keys[0]); });
            receiveUntil(session, path, [&] {
                if (readBefore == 0) {
                    readBefore = board.takenByReads(ChannelId::A);
                    QTest::keyClicks(f.Memo2, keys[1]);
                    QTest::keyClick(f.Memo2, Qt::Key_Return);
                }
                return board.takenByReads(ChannelId::A) >= readBefore + captured.size();
            });
        },
        dataMode);
    const std::vector<QByteArray>& writes = board.writes(ChannelId::A);
    QCOMPARE(QList<QByteArray>(writes.begin(), writes.end()),
             QList<QByteArray>{keys.join(QString()).toLatin1() + '\r'});
    QCOMPARE(fileBytes(path), captured);
}

void SlaveFileIoTest::cancelledDialogsChangeNothing() {
    Ui::Form1& f = fixture->form();
    inTerminal([&](LoopSession& session) {
        session.step([&] {
            QTest::mouseClick(f.Button14, Qt::LeftButton);
            QTest::mouseClick(f.Button13, Qt::LeftButton);
        });
    });
    QCOMPARE(f.Button14->text(), QStringLiteral("Rcv File"));
    QCOMPARE(f.Label23->text(), QString());
    QCOMPARE(fixture->dialogs.saveFilters.size(), 1);
    QCOMPARE(fixture->dialogs.openFilters, QStringList{QStringLiteral("*.*|*.*")});
}

// With the terminal closed there is no channel to move data on: the page
// says so instead of asking for a file.
void SlaveFileIoTest::needsTheTerminalOpen() {
    Ui::Form1& f = fixture->form();
    QTest::mouseClick(f.Button13, Qt::LeftButton);
    QTest::mouseClick(f.Button14, Qt::LeftButton);
    const QString refusal =
        QStringLiteral("ERROR : Slave File I/O works over the open terminal: press Open first");
    QCOMPARE(f.Memo2->toPlainText().split(QLatin1Char('\n')).count(refusal), 2);
    QCOMPARE(fixture->dialogs.openFilters.size() + fixture->dialogs.saveFilters.size(), 0);
    QCOMPARE(f.Button14->text(), QStringLiteral("Rcv File"));
}

QTEST_MAIN(SlaveFileIoTest)
#include "tst_slave_file_io.moc"
