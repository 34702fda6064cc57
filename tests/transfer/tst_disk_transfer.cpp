// Disk Transfer end to end: a user opens the terminal on the simulated board,
// sends files to the chip's disk and fetches them back through every path;
// the tests compare the bytes on both sides, the exact command lines on the
// wire, and what the window says when a copy cannot be made.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "EvalBoard.h"
#include "Form1Ui.h"
#include "LoopSession.h"
#include "ScriptedBackend.h"
#include "TForm1.h"
#include "TestFiles.h"
#include "WindowFixture.h"

namespace {

const QString FileName = QStringLiteral("ROUND.BIN");

QByteArray diskBytes(EvalBoard& board, const QString& name) {
    const auto bytes = board.disk().get(name.toStdString());
    if (!bytes) {
        return QByteArray("<missing>");
    }
    return QByteArray(reinterpret_cast<const char*>(bytes->data()),
                      static_cast<qsizetype>(bytes->size()));
}

QByteArray line(const char* word, const QByteArray& parameter) {
    return QByteArray(word) + ' ' + parameter + '\r';
}

// A count as the monitor reads it: four bytes, most significant first.
QByteArray count(std::uint32_t n) {
    QByteArray bytes;
    for (const int shift : {24, 16, 8, 0}) {
        bytes.append(static_cast<char>((n >> shift) & 0xFF));
    }
    return bytes;
}

}  // namespace

class DiskTransferTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void roundTrips_data();
    void roundTrips();
    void sendWritesTheExactLines_data();
    void sendWritesTheExactLines();
    void receiveWritesTheExactLines_data();
    void receiveWritesTheExactLines();
    void onlyCommandBytesReachThePanes();

    void failuresAreReportedAndLeaveNoFile_data();
    void failuresAreReportedAndLeaveNoFile();
    void answersAreJudgedByWhatSuccessLooksLike_data();
    void answersAreJudgedByWhatSuccessLooksLike();
    void refusedBeforeAnyByte_data();
    void refusedBeforeAnyByte();
    void windowStaysAliveDuringASlowSend();
    void cancelEndsTheCopyCleanly();

  private:
    // Opens the terminal at 3,000,000 baud, runs the steps, closes.
    void inSession(const std::function<void(LoopSession&)>& steps);
    void send(const QString& path, int blockSize);
    void receive(const QString& path, bool rd, int blockSize);
    QString local(const QString& relative);
    // Channel A's writes since the last call, joined.
    QByteArray written();
    QStringList errorLines() const;

    std::unique_ptr<WindowFixture> fixture;
    std::unique_ptr<QTemporaryDir> dir;
    std::size_t writesSeen = 0;
};

void DiskTransferTest::init() {
    fixture = std::make_unique<WindowFixture>();
    QVERIFY(fixture->pickEvalBoard());
    // Long enough at 3,000,000 baud for a test to step in while it arrives.
    const QByteArray mid = patterned(200'000);
    fixture->evalBoard().disk().put("MID.BIN", std::vector<std::uint8_t>(mid.begin(), mid.end()));
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("back")));
    writesSeen = 0;
}

void DiskTransferTest::cleanup() {
    fixture.reset();
    dir.reset();
}

QString DiskTransferTest::local(const QString& relative) {
    return dir->filePath(relative);
}

void DiskTransferTest::inSession(const std::function<void(LoopSession&)>& steps) {
    Ui::Form1& f = fixture->form();
    EvalBoard& board = fixture->evalBoard();
    LoopSession session(f);
    session.waitFor([&] { return f.Memo2->toPlainText().contains(QStringLiteral("D:\\>")); })
        .step(
            [&] {
                f.ComboBox2->setEditText(QStringLiteral("3000000"));
                QTest::mouseClick(f.Button3, Qt::LeftButton);
            },
            [&] { return board.chipBaudRate() == 3'000'000; })
        .step([&] { written(); });
    steps(session);
    session.run();
    QVERIFY2(session.completed(), qPrintable(QString::number(session.stepsDone())));
}

// Block size 0: the whole file after one WRF.
void DiskTransferTest::send(const QString& path, int blockSize) {
    Ui::Form1& f = fixture->form();
    f.CheckBox1->setChecked(blockSize == 0);
    f.Edit2->setText(QString::number(blockSize));
    fixture->dialogs.answerOpen(path);
    QTest::mouseClick(f.Button5, Qt::LeftButton);
}

void DiskTransferTest::receive(const QString& path, bool rd, int blockSize) {
    Ui::Form1& f = fixture->form();
    f.CheckBox2->setChecked(blockSize == 0);
    f.Edit3->setText(QString::number(blockSize));
    fixture->dialogs.answerSave(path);
    QTest::mouseClick(rd ? f.Button8 : f.Button9, Qt::LeftButton);
}

QByteArray DiskTransferTest::written() {
    const auto& writes = fixture->evalBoard().writes(ChannelId::A);
    QByteArray all;
    for (; writesSeen < writes.size(); ++writesSeen) {
        all += writes[writesSeen];
    }
    return all;
}

QStringList DiskTransferTest::errorLines() const {
    return fixture->form()
        .Memo2->toPlainText()
        .split(QLatin1Char('\n'))
        .filter(QStringLiteral("ERROR"));
}

// Every send path and every receive path, each file from the computer to
// the disk and back, byte for byte. Block size 1 moves one byte per WRF
// line: it is kept to the smaller files.
void DiskTransferTest::roundTrips_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("writeBlock");
    QTest::addColumn<bool>("readWithRd");
    QTest::addColumn<int>("readBlock");
    const int sizes[] = {0, 1, 127, 128, 4095, 4096, 4097, 65536, 1 << 20};
    for (const int size : sizes) {
        const QByteArray s = QByteArray::number(size);
        QTest::newRow("WRF whole, RD " + s) << size << 0 << true << 0;
        QTest::newRow("WRF 512, RDF whole " + s) << size << 512 << false << 0;
        QTest::newRow("WRF 4096, RDF 512 " + s) << size << 4096 << false << 512;
        if (size <= 4097) {
            QTest::newRow("WRF 1, RDF 4096 " + s) << size << 1 << false << 4096;
        }
    }
}

void DiskTransferTest::roundTrips() {
    QFETCH(int, size);
    QFETCH(int, writeBlock);
    QFETCH(bool, readWithRd);
    QFETCH(int, readBlock);
    const QByteArray original = patterned(size);
    const QString source = local(FileName);
    QVERIFY(writeFile(source, original));
    const QString copy = local(QStringLiteral("back/") + FileName);

    inSession([&](LoopSession& session) {
        session.step([&] { send(source, writeBlock); }).step([&] {
            receive(copy, readWithRd, readBlock);
        });
    });
    QCOMPARE(errorLines(), QStringList());
    QCOMPARE(diskBytes(fixture->evalBoard(), FileName), original);
    QCOMPARE(fileBytes(copy), original);
}

void DiskTransferTest::sendWritesTheExactLines_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("block");
    QTest::addColumn<QList<int>>("wrfCounts");
    QTest::addColumn<QList<int>>("chunks");
    QTest::newRow("70000 whole") << 70000 << 0 << QList<int>{70000}
                                 << (QList<int>(17, 4096) << 368);
    QTest::newRow("empty whole") << 0 << 0 << QList<int>{0} << QList<int>();
    QTest::newRow("1000 in 512") << 1000 << 512 << QList<int>{512, 488} << QList<int>{512, 488};
    QTest::newRow("100 in 512") << 100 << 512 << QList<int>{100} << QList<int>{100};
}

// OPW, then each WRF line a byte per write and its data in one write per
// chunk (whole file) or block, then CLF, for the name after the last
// separator of the path.
void DiskTransferTest::sendWritesTheExactLines() {
    QFETCH(int, size);
    QFETCH(int, block);
    QFETCH(QList<int>, wrfCounts);
    QFETCH(QList<int>, chunks);
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("data")));
    const QString source = local(QStringLiteral("data/LOG.TXT"));
    const QByteArray content = patterned(size);
    QVERIFY(writeFile(source, content));

    // Keys typed without Enter are dropped, not sent in front of OPW.
    inSession([&](LoopSession& session) {
        session.step([&] {
            QTest::keyClicks(fixture->form().Memo2, QStringLiteral("xy"));
            send(source, block);
        });
    });

    QList<QByteArray> expected;
    const auto addLine = [&](const QByteArray& text) {
        for (const char c : text) {
            expected << QByteArray(1, c);
        }
    };
    qsizetype offset = 0;
    const auto addChunk = [&](int n) {
        expected << content.mid(offset, n);
        offset += n;
    };
    addLine(line("OPW", "LOG.TXT"));
    for (qsizetype i = 0; i < wrfCounts.size(); ++i) {
        addLine(line("WRF", count(static_cast<std::uint32_t>(wrfCounts[i]))));
        if (block != 0) {
            addChunk(chunks[i]);
        }
    }
    if (block == 0) {
        for (const int n : chunks) {
            addChunk(n);
        }
    }
    addLine(line("CLF", "LOG.TXT"));
    const auto& all = fixture->evalBoard().writes(ChannelId::A);
    const QList<QByteArray> writes(all.begin() + static_cast<std::ptrdiff_t>(writesSeen),
                                   all.end());
    QCOMPARE(writes, expected);
    QCOMPARE(errorLines(), QStringList());
    QCOMPARE(diskBytes(fixture->evalBoard(), QStringLiteral("LOG.TXT")), content);
}

void DiskTransferTest::receiveWritesTheExactLines_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("rd");
    QTest::addColumn<int>("block");
    QTest::addColumn<QList<int>>("rdfCounts");
    QTest::newRow("RD") << "LOG.TXT" << true << 0 << QList<int>();
    // The chip answers DIR with the name in capitals; RD asks for that.
    QTest::newRow("RD, name saved in lower case") << "log.txt" << true << 0 << QList<int>();
    QTest::newRow("size bytes 0D 0D") << "EDGE.BIN" << true << 0 << QList<int>();
    QTest::newRow("RDF whole") << "LOG.TXT" << false << 0 << QList<int>{10000};
    QTest::newRow("RDF in 4096") << "LOG.TXT" << false << 4096 << QList<int>{4096, 4096, 1808};
    QTest::newRow("smaller than a block") << "LOG.TXT" << false << 20000 << QList<int>{10000};
    QTest::newRow("empty, RD") << "EMPTY.TXT" << true << 0 << QList<int>();
    QTest::newRow("empty, RDF in 512") << "EMPTY.TXT" << false << 512 << QList<int>{0};
}

// DIR for the name of the save path, then RD, or OPR and the RDF lines,
// every command byte a write of its own; the file holds the disk's bytes.
void DiskTransferTest::receiveWritesTheExactLines() {
    QFETCH(QString, name);
    QFETCH(bool, rd);
    QFETCH(int, block);
    QFETCH(QList<int>, rdfCounts);
    const QString path = local(QStringLiteral("back/") + name);
    inSession([&](LoopSession& session) { session.step([&] { receive(path, rd, block); }); });

    const QByteArray wireName = name.toLatin1();
    QByteArray expected = line("DIR", wireName);
    expected += rd ? line("RD", wireName.toUpper()) : line("OPR", wireName.toUpper());
    for (const int n : rdfCounts) {
        expected += line("RDF", count(static_cast<std::uint32_t>(n)));
    }
    const auto& all = fixture->evalBoard().writes(ChannelId::A);
    QByteArray commands;
    for (auto write = all.begin() + static_cast<std::ptrdiff_t>(writesSeen); write != all.end();
         ++write) {
        QCOMPARE(write->size(), 1);
        commands += *write;
    }
    QCOMPARE(commands, expected);
    QCOMPARE(errorLines(), QStringList());
    QCOMPARE(fileBytes(path), diskBytes(fixture->evalBoard(), name));
}

// The panes show the command lines and the chip's answers, never the data.
void DiskTransferTest::onlyCommandBytesReachThePanes() {
    const QString path = local(QStringLiteral("back/LOG.TXT"));
    inSession([&](LoopSession& session) { session.step([&] { receive(path, true, 0); }); });
    const QStringList hex =
        fixture->form().Memo3->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(hex.contains(QStringLiteral("44 49 52 20 4C 4F 47 2E 54 58 54 0D ")));
    QVERIFY(hex.contains(QStringLiteral("52 44 20 4C 4F 47 2E 54 58 54 0D ")));
    // 10,000 bytes of data would make over 600 lines.
    QVERIFY2(hex.size() < 20, qPrintable(hex.join(QLatin1Char('|'))));
    QCOMPARE(fileBytes(path).size(), 10000);
}

// The faults every transfer path meets (no disk, a full disk, a silent chip,
// ...) are in the fault matrix; these are the disk transfer's own.
void DiskTransferTest::failuresAreReportedAndLeaveNoFile_data() {
    QTest::addColumn<bool>("chipStalls");  // the chip's CTS goes low mid-send
    QTest::addColumn<QString>("action");   // send or rd
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing disk file") << false << "rd"
                                       << "back/NOPE.BIN"
                                       << "ERROR : Tarvik answered \"Command Failed\" to DIR "
                                          "NOPE.BIN: nothing was saved to %1/back/NOPE.BIN";
    QTest::newRow("unwritable destination") << false << "rd"
                                            << "missing/LOG.TXT"
                                            << "ERROR : cannot write %1/missing/LOG.TXT";
    QTest::newRow("chip stops taking data")
        << true << "send"
        << "ROUND.BIN"
        << "ERROR : Tarvik stopped taking data: ROUND.BIN on Tarvik's disk is incomplete";
}

// Each failure says what happened in the ASCII pane, leaves an existing file
// of the chosen name as it was, and the terminal goes on working.
void DiskTransferTest::failuresAreReportedAndLeaveNoFile() {
    QFETCH(bool, chipStalls);
    QFETCH(QString, action);
    QFETCH(QString, target);
    QFETCH(QString, message);
    EvalBoard& board = fixture->evalBoard();
    Ui::Form1& f = fixture->form();
    const QString path = local(target);
    const bool sending = action == QLatin1String("send");
    if (sending) {
        QVERIFY(writeFile(path, patterned(1 << 20)));
    } else if (!target.startsWith(QLatin1String("missing"))) {
        QVERIFY(writeFile(path, "an older file"));
    }
    const QByteArray before = fileBytes(path);
    // Strikes once the copy is under way, from inside its own loop.
    int passes = 0;
    std::int64_t faultsClearedMs = 0;
    QTimer strike;
    strike.setInterval(0);
    QObject::connect(&strike, &QTimer::timeout, [&] {
        if (++passes == 5 && chipStalls) {
            board.setChipCtsLow(true);
        }
    });
    inSession([&](LoopSession& session) {
        session
            .step([&] {
                strike.start();
                if (sending) {
                    send(path, 0);
                } else {
                    receive(path, true, 0);
                }
                strike.stop();
            })
            .step(
                [&] {
                    board.setChipCtsLow(false);
                    faultsClearedMs = fixture->clock.milliseconds();
                    QTest::keyClick(f.Memo2, Qt::Key_Return);
                },
                // A monitor whose link stalled mid-WRF has been reset, and the
                // link has followed it to its start rate; what the bridge still
                // held (4096 bytes, 4.3 s at 9600 baud) reaches it first, and
                // the line typed behind it ends the last of it.
                [&] { return fixture->clock.milliseconds() > faultsClearedMs + 5000; })
            .step(
                [&] {
                    QTest::keyClicks(f.Memo2, QStringLiteral("FWV"));
                    QTest::keyClick(f.Memo2, Qt::Key_Return);
                },
                [&] {
                    return f.Memo2->toPlainText()
                               .split(QLatin1Char('\n'))
                               .count(QStringLiteral("Tarvik Monitor 1.0")) == 1;
                });
    });
    const QString expected =
        message.contains(QLatin1String("%1")) ? message.arg(dir->path()) : message;
    const QStringList errors = errorLines();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(expected), qPrintable(errors.first()));
    QCOMPARE(fileBytes(path), before);
}

void DiskTransferTest::answersAreJudgedByWhatSuccessLooksLike_data() {
    QTest::addColumn<QString>("action");  // send (in blocks of 4), rd or rdf
    QTest::addColumn<QString>("name");
    // What the chip answers each command line with, as "WORD answer"; a
    // word's later lines take its later answers. "read fails" instead: the
    // answer to DIR is there, but reading it fails.
    QTest::addColumn<QByteArrayList>("answers");
    // Waiting when the copy starts, from before it.
    QTest::addColumn<QByteArray>("leftover");
    // The pane's one ERROR line (%1 the folder of the save path), or none.
    QTest::addColumn<QString>("says");
    // The copy ends within this much board time.
    QTest::addColumn<int>("withinMs");
    const QByteArray prompt("D:\\>\r");
    const QByteArray entry = "\rLOG.TXT " + QByteArray("\x0A\0\0\0", 4) + "\r" + prompt;
    const QString lost = QStringLiteral(": nothing was saved to %1/LOG.TXT");
    const int silence = 7300;  // at 9600 baud
    QTest::newRow("good RD") << "rd"
                             << "LOG.TXT"
                             << QByteArrayList{"DIR " + entry, "RD 0123456789" + prompt}
                             << QByteArray() << QString() << 100;
    QTest::newRow("a prompt left from before is shown, not parsed")
        << "rd"
        << "LOG.TXT" << QByteArrayList{"DIR " + entry, "RD 0123456789" + prompt} << prompt
        << QString() << 100;
    QTest::newRow("RD answered with an error, file shorter than it")
        << "rd"
        << "LOG.TXT" << QByteArrayList{"DIR " + entry, "RD Command Failed\r" + prompt}
        << QByteArray() << "ERROR : Tarvik answered \"Command Failed\" to RD LOG.TXT" + lost << 100;
    QTest::newRow("RDF answered with an error, file longer than it")
        << "rdf"
        << "LOG.TXT"
        << QByteArrayList{"DIR \rLOG.TXT " + QByteArray("\x40\0\0\0", 4) + "\r" + prompt,
                          "OPR " + prompt, "RDF No Disk\r" + prompt}
        << QByteArray() << "ERROR : Tarvik answered \"No Disk\" to RDF" + lost << silence + 100;
    QTest::newRow("RD data not followed by the prompt")
        << "rd"
        << "LOG.TXT" << QByteArrayList{"DIR " + entry, "RD 0123456789\r\nBusy\r"} << QByteArray()
        << "ERROR : Tarvik answered \"<0A>Busy\" to RD LOG.TXT" + lost << 100;
    QTest::newRow("DIR of a folder")
        << "rd"
        << "DOCS" << QByteArrayList{"DIR \rDOCS DIR\r" + prompt} << QByteArray()
        << "ERROR : Tarvik answered \"DOCS DIR\" to DIR DOCS: nothing "
           "was saved to %1/DOCS"
        << 100;
    QTest::newRow("short set's error")
        << "rdf"
        << "LOG.TXT" << QByteArrayList{"DIR CF\r>\r"} << QByteArray()
        << "ERROR : Tarvik answered \"CF\" to DIR LOG.TXT" + lost << 100;
    QTest::newRow("another file's entry")
        << "rd"
        << "LOG.TXT"
        << QByteArrayList{"DIR \rLOG.BAK " + QByteArray("\x0A\0\0\0", 4) + "\r" + prompt}
        << QByteArray()
        << "ERROR : Tarvik answered \"LOG.BAK <0A><00><00><00>\" to DIR LOG.TXT" + lost << 100;
    QTest::newRow("read fails") << "rd"
                                << "LOG.TXT" << QByteArrayList{"read fails"} << QByteArray()
                                << "ERROR : the link failed during DIR LOG.TXT" + lost << 100;
    QTest::newRow("size 4 GiB, then silence")
        << "rd"
        << "LOG.TXT"
        << QByteArrayList{"DIR \rLOG.TXT " + QByteArray("\xFF\xFF\xFF\xFF", 4) + "\r" + prompt}
        << QByteArray()
        << "ERROR : Tarvik stopped sending after 0 of 4294967295 bytes of LOG.TXT" + lost
        << silence + 100;
    QTest::newRow("OPW answered in a read that goes on after the CR")
        << "send"
        << "LOG.TXT" << QByteArrayList{"OPW D:\\>\rX"} << QByteArray()
        << "ERROR : no answer from Tarvik to OPW LOG.TXT: nothing was written to Tarvik's disk"
        << silence + 100;
    QTest::newRow("a block's error without a prompt")
        << "send"
        << "LOG.TXT"
        << QByteArrayList{"OPW " + prompt, "WRF " + prompt, "WRF Disk Full\r", "WRF ",
                          "CLF " + prompt}
        << QByteArray()
        << "ERROR : Tarvik answered \"Disk Full\" to WRF: LOG.TXT on Tarvik's disk may be "
           "incomplete"
        << 100;
}

// A scripted chip answers each command line as the row says; the copy takes
// only what success looks like, reports anything else with the line the
// chip sent, leaves the local file as it was, and never waits on a chip
// that has stopped for longer than the silence limit.
void DiskTransferTest::answersAreJudgedByWhatSuccessLooksLike() {
    QFETCH(QString, action);
    QFETCH(QString, name);
    QFETCH(QByteArrayList, answers);
    QFETCH(QByteArray, leftover);
    QFETCH(QString, says);
    QFETCH(int, withinMs);
    const std::shared_ptr<ScriptedBackend> chip = fixture->addScriptedBackend({"X A", "X B"});
    QVERIFY(fixture->pickBoard(QStringLiteral("X")));
    chip->onLine([&](const std::string& device, const QByteArray& line) {
        if (device != "X A") {
            return;
        }
        if (answers.value(0) == "read fails" && line.startsWith("DIR ")) {
            chip->queueReceived(device, "\rLOG");
            chip->fail("read", hx::IoError);
        }
        // A line may begin with file data written before it.
        for (qsizetype i = 0; i < answers.size(); ++i) {
            const QByteArray word = answers[i].left(answers[i].indexOf(' ') + 1);
            if (line.contains(word)) {
                chip->queueReceived(device, answers.takeAt(i).mid(word.size()));
                return;
            }
        }
    });
    const QString path = local(name);
    QVERIFY(writeFile(path, "0123456789AB"));
    std::int64_t tookMs = -1;
    Ui::Form1& f = fixture->form();
    LoopSession session(f);
    session.step([&] {
        chip->queueReceived("X A", leftover);
        const std::int64_t start = fixture->clock.milliseconds();
        if (action == QLatin1String("send")) {
            send(path, 4);
        } else {
            receive(path, action == QLatin1String("rd"), 0);
        }
        chip->clearFailures();
        tookMs = fixture->clock.milliseconds() - start;
    });
    session.run();
    QVERIFY(session.completed());
    QCOMPARE(errorLines(), says.isEmpty() ? QStringList() : QStringList{says.arg(dir->path())});
    QVERIFY2(tookMs <= withinMs, qPrintable(QString::number(tookMs)));
    QCOMPARE(fixture->dialogs.errors.size(), answers.value(0) == "read fails" ? 1 : 0);
    QCOMPARE(fileBytes(path), says.isEmpty() && action != QLatin1String("send")
                                  ? QByteArray("0123456789")
                                  : QByteArray("0123456789AB"));
}

void DiskTransferTest::refusedBeforeAnyByte_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("dataMode");
    QTest::addColumn<QString>("says");
    const QString write = QStringLiteral("ERROR : Block Size to use for Write");
    const QString read = QStringLiteral("ERROR : Block Size to use for Read");
    const QString dataMode = QStringLiteral("ERROR : disk transfers need Command Mode");
    QTest::newRow("write 0") << "send"
                             << "0" << false << write;
    QTest::newRow("write 4097") << "send"
                                << "4097" << false << write;
    QTest::newRow("write text") << "send"
                                << "5l2" << false << write;
    QTest::newRow("write empty") << "send"
                                 << "" << false << write;
    QTest::newRow("read 0") << "rdf"
                            << "0" << false << read;
    QTest::newRow("read negative") << "rdf"
                                   << "-1" << false << read;
    QTest::newRow("read text") << "rdf"
                               << "x" << false << read;
    // The chip would echo the command lines, and the echo end the waits.
    QTest::newRow("send in Data Mode") << "send"
                                       << "512" << true << dataMode;
    QTest::newRow("RD in Data Mode") << "rd"
                                     << "512" << true << dataMode;
}

// Refused with a line that says why, before any dialog or byte.
void DiskTransferTest::refusedBeforeAnyByte() {
    QFETCH(QString, button);
    QFETCH(QString, text);
    QFETCH(bool, dataMode);
    QFETCH(QString, says);
    Ui::Form1& f = fixture->form();
    inSession([&](LoopSession& session) {
        if (dataMode) {
            session.step([&] { QTest::mouseClick(f.RadioButton4, Qt::LeftButton); },
                         [&] { return f.Label12->text() == QLatin1String("ACK"); });
        }
        session.step([&] {
            written();
            f.CheckBox1->setChecked(false);
            f.CheckBox2->setChecked(false);
            (button == QLatin1String("send") ? f.Edit2 : f.Edit3)->setText(text);
            QTest::mouseClick(button == QLatin1String("send") ? f.Button5
                              : button == QLatin1String("rd") ? f.Button8
                                                              : f.Button9,
                              Qt::LeftButton);
        });
    });
    const QStringList errors = errorLines();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(says), qPrintable(errors.first()));
    QCOMPARE(written(), QByteArray());
    QCOMPARE(fixture->dialogs.openFilters.size() + fixture->dialogs.saveFilters.size(), 0);
}

// At 9600 baud a 4096-byte write takes over 4 s of wire time; the window
// must still handle its events several times a second meanwhile.
void DiskTransferTest::windowStaysAliveDuringASlowSend() {
    Ui::Form1& f = fixture->form();
    const QString source = local(FileName);
    QVERIFY(writeFile(source, patterned(20000)));
    std::int64_t last = -1;
    std::int64_t longestGap = 0;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const std::int64_t now = fixture->clock.peekNanoseconds();
        if (last >= 0) {
            longestGap = std::max(longestGap, now - last);
        }
        last = now;
    });
    LoopSession session(f);
    session.waitFor([&] { return f.Memo2->toPlainText().contains(QStringLiteral("D:\\>")); })
        .step([&] {
            watch.start();
            send(source, 0);
            watch.stop();
        });
    session.run();
    QVERIFY(session.completed());
    QVERIFY2(errorLines().isEmpty(), qPrintable(errorLines().join(QLatin1Char('|'))));
    QVERIFY2(longestGap < 100'000'000, qPrintable(QString::number(longestGap)));
}

// "Cancel" on the copy's own button ends it at once with nothing saved; the
// other controls are off meanwhile and come back as they were. (The window's
// closing ends it the same way: the fault matrix's "window closed" rows.)
void DiskTransferTest::cancelEndsTheCopyCleanly() {
    Ui::Form1& f = fixture->form();
    const QString path = local(QStringLiteral("back/MID.BIN"));
    int passes = 0;
    bool othersWereOff = false;
    QTimer cancel;
    cancel.setInterval(0);
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (f.Button8->text() == QLatin1String("Cancel") && ++passes == 5) {
            othersWereOff = !f.Button7->isEnabled() && !f.Button9->isEnabled() &&
                            !f.Button3->isEnabled() && f.Button8->isEnabled();
            QTest::mouseClick(f.Button8, Qt::LeftButton);
        }
    });
    inSession([&](LoopSession& session) {
        session.step([&] {
            cancel.start();
            receive(path, true, 0);
            cancel.stop();
        });
    });
    QVERIFY(othersWereOff);
    QCOMPARE(errorLines(),
             QStringList{"ERROR : the transfer was cancelled: nothing was saved to " + path});
    QCOMPARE(fileBytes(path), QByteArray("<missing>"));
    QCOMPARE(f.Button8->text(), QStringLiteral("Receive File (RD)"));
    QCOMPARE(fixture->dialogs.errors, QStringList());
}

QTEST_MAIN(DiskTransferTest)
#include "tst_disk_transfer.moc"
