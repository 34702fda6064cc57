// The pty server as a terminal program meets it: the built program started
// as a process, its slave opened raw. The monitor answers at the rate both
// ends agree on, the line's rate follows the terminal (standard and other
// rates), a rate the monitor was not told garbles, the line survives a
// terminal program closing it, a stream arrives whole and only at its rate,
// and stopping the server hangs the line up.
#include <signal.h>

#include <QProcess>
#include <QTest>
#include <memory>

#include "SlaveLine.h"
#include "TestFiles.h"

namespace {

const QByteArray prompt = QByteArrayLiteral("D:\\>\r");
const QByteArray signOn = QByteArrayLiteral("\rTarvik Monitor 1.0 ready\r") + prompt;
const QByteArray version = QByteArrayLiteral("\rTarvik Monitor 1.0\r") + prompt;
const QByteArray listing =
    QByteArrayLiteral("\rDOCS DIR\rBIG.BIN\rDATA.BIN\rEDGE.BIN\rEMPTY.TXT\rLOG.TXT\rREADME.TXT\r") +
    prompt;
constexpr int answerMs = 3000;

QByteArray setBaud(const QByteArray& divisor) {
    return "SBD " + divisor + "\r";
}

// The stream's bytes as the server documents them.
QByteArray streamPattern(qsizetype size) {
    return patterned(static_cast<int>(size), 7, 251);
}

}  // namespace

class SimPtyTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup();

    void monitorAnswersAtTheRateBothEndsAgreeOn_data();
    void monitorAnswersAtTheRateBothEndsAgreeOn();
    void rateTheMonitorWasNotToldGarbles_data();
    void rateTheMonitorWasNotToldGarbles();
    void reopenedSlaveIsStillServed();
    void streamArrivesWholeOnlyAtItsRate_data();
    void streamArrivesWholeOnlyAtItsRate();
    void unreadStreamWaitsWithNothingLost();
    void stoppingTheServerHangsUpTheSlave_data();
    void stoppingTheServerHangsUpTheSlave();
    void refusedOptions_data();
    void refusedOptions();

  private:
    // Starts the server and opens its slave at 9600 baud.
    void start(const QStringList& arguments = {});
    // The sign-on, then Set Baud Rate to the rate and the line after it.
    void moveMonitorTo(std::uint32_t rate, const QByteArray& divisor);

    std::unique_ptr<QProcess> server;
    QString slavePath;
    std::unique_ptr<SlaveLine> slave;
};

void SimPtyTest::cleanup() {
    slave.reset();
    if (server) {
        server->terminate();
        server->waitForFinished(5000);
        server.reset();
    }
}

void SimPtyTest::start(const QStringList& arguments) {
    server = std::make_unique<QProcess>();
    server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server->start(QStringLiteral(TARVIK_SIM_PTY), arguments);
    QVERIFY(server->waitForStarted(5000));
    while (!server->canReadLine()) {
        QVERIFY2(server->waitForReadyRead(5000), "the server printed no path");
    }
    slavePath = QString::fromLocal8Bit(server->readLine()).trimmed();
    QVERIFY(slavePath.startsWith("/dev/pts/"));
    slave = std::make_unique<SlaveLine>(slavePath);
    QVERIFY(slave->isOpen());
    QVERIFY(slave->setRate(9600));
}

void SimPtyTest::moveMonitorTo(std::uint32_t rate, const QByteArray& divisor) {
    QCOMPARE(slave->readUntil(signOn, answerMs), signOn);
    if (rate == 9600) {
        return;
    }
    QVERIFY(slave->write(setBaud(divisor)));
    // The monitor answers at the old rate, then switches.
    QCOMPARE(slave->readUntil(prompt, answerMs), prompt);
    QVERIFY(slave->setRate(rate));
}

void SimPtyTest::monitorAnswersAtTheRateBothEndsAgreeOn_data() {
    QTest::addColumn<std::uint32_t>("rate");
    QTest::addColumn<QByteArray>("divisor");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answer");

    const QByteArray none;
    const QByteArray at115200("\x1A\x00\x00", 3);
    const QByteArray at250000("\x0C\x00\x00", 3);
    const QByteArray at3000000("\x00\x00\x00", 3);
    QTest::newRow("FWV, start rate") << 9600u << none << QByteArray("FWV\r") << version;
    QTest::newRow("DIR, start rate") << 9600u << none << QByteArray("DIR\r") << listing;
    QTest::newRow("FWV, 115200") << 115200u << at115200 << QByteArray("FWV\r") << version;
    QTest::newRow("DIR, 115200") << 115200u << at115200 << QByteArray("DIR\r") << listing;
    QTest::newRow("FWV, 250000 (no Bxxx constant)")
        << 250000u << at250000 << QByteArray("FWV\r") << version;
    QTest::newRow("DIR, 3000000") << 3000000u << at3000000 << QByteArray("DIR\r") << listing;
}

void SimPtyTest::monitorAnswersAtTheRateBothEndsAgreeOn() {
    QFETCH(std::uint32_t, rate);
    QFETCH(QByteArray, divisor);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answer);
    start();
    moveMonitorTo(rate, divisor);
    QVERIFY(slave->write(command));
    QCOMPARE(slave->readUntil(answer, answerMs), answer);
}

// Each end reads the other's bytes at its own rate: neither the command nor
// an answer to it gets through.
void SimPtyTest::rateTheMonitorWasNotToldGarbles_data() {
    QTest::addColumn<bool>("toldTheMonitor");
    QTest::addColumn<std::uint32_t>("lineRate");
    QTest::newRow("line moved, monitor not") << false << 115200u;
    QTest::newRow("monitor moved, line not") << true << 9600u;
}

void SimPtyTest::rateTheMonitorWasNotToldGarbles() {
    QFETCH(bool, toldTheMonitor);
    QFETCH(std::uint32_t, lineRate);
    start();
    QCOMPARE(slave->readUntil(signOn, answerMs), signOn);
    if (toldTheMonitor) {
        QVERIFY(slave->write(setBaud(QByteArray("\x1A\x00\x00", 3))));
        QCOMPARE(slave->readUntil(prompt, answerMs), prompt);
    }
    QVERIFY(slave->setRate(lineRate));
    QVERIFY(slave->write("FWV\r"));
    const QByteArray heard = slave->readFor(300);
    QVERIFY2(!heard.contains("Tarvik") && !heard.contains(prompt), heard.toHex().constData());
}

void SimPtyTest::reopenedSlaveIsStillServed() {
    start();
    moveMonitorTo(115200, QByteArray("\x1A\x00\x00", 3));
    for (const QByteArray& command : {QByteArray("FWV\r"), QByteArray("DIR\r")}) {
        slave->close();
        slave = std::make_unique<SlaveLine>(slavePath);
        QVERIFY(slave->isOpen());
        QVERIFY(slave->setRate(115200));
        QVERIFY(slave->write(command));
        const QByteArray answer = command == "FWV\r" ? version : listing;
        QCOMPARE(slave->readUntil(answer, answerMs), answer);
    }
}

void SimPtyTest::streamArrivesWholeOnlyAtItsRate_data() {
    QTest::addColumn<std::uint32_t>("rate");
    QTest::newRow("230400") << 230400u;
    QTest::newRow("250000 (no Bxxx constant)") << 250000u;
}

void SimPtyTest::streamArrivesWholeOnlyAtItsRate() {
    QFETCH(std::uint32_t, rate);
    constexpr qsizetype size = 6000;
    start({"--stream", QString::number(size), "--baud", QString::number(rate)});
    // The server told the monitor the rate before the line was offered; at
    // the start rate nothing comes.
    QCOMPARE(slave->readFor(200), QByteArray());
    QVERIFY(slave->setRate(rate));
    const QByteArray stream = slave->readCount(size, 5000);
    QCOMPARE(stream.size(), size);
    QVERIFY(stream == streamPattern(size));
    // Data mode ends with the stream: the monitor reads commands again.
    QCOMPARE(slave->readFor(100), QByteArray());
    QVERIFY(slave->write("FWV\r"));
    QCOMPARE(slave->readUntil(version, answerMs), version);
}

// More than the line's input queue and the bridge's receive queue together:
// with nobody reading, the chip is held by flow control, not left to
// overrun.
void SimPtyTest::unreadStreamWaitsWithNothingLost() {
    constexpr qsizetype size = 400'000;
    start({"--stream", QString::number(size)});
    QVERIFY(slave->setRate(3'000'000));
    QTest::qWait(1500);  // the wire alone would carry all of it in 1.33 s
    const QByteArray stream = slave->readCount(size, 10'000);
    QCOMPARE(stream.size(), size);
    QVERIFY(stream == streamPattern(size));
}

void SimPtyTest::stoppingTheServerHangsUpTheSlave_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("cleanExit");
    QTest::newRow("SIGTERM") << SIGTERM << true;
    QTest::newRow("SIGINT") << SIGINT << true;
    QTest::newRow("SIGKILL") << SIGKILL << false;
}

void SimPtyTest::stoppingTheServerHangsUpTheSlave() {
    QFETCH(int, signalNumber);
    QFETCH(bool, cleanExit);
    start();
    QCOMPARE(slave->readUntil(signOn, answerMs), signOn);
    ::kill(static_cast<pid_t>(server->processId()), signalNumber);
    QVERIFY(server->waitForFinished(5000));
    QVERIFY(slave->hangsUpWithin(2000));
    if (cleanExit) {
        QCOMPARE(server->exitStatus(), QProcess::NormalExit);
        QCOMPARE(server->exitCode(), 0);
    }
}

void SimPtyTest::refusedOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("rate without a stream")
        << QStringList{"--baud", "115200"} << QByteArray("--stream");
    QTest::newRow("no count") << QStringList{"--stream"} << QByteArray("needs a number");
    QTest::newRow("not a number") << QStringList{"--stream", "8M"} << QByteArray("positive number");
    QTest::newRow("below the bridge")
        << QStringList{"--stream", "1", "--baud", "100"} << QByteArray("183");
    QTest::newRow("no divisor selects it")
        << QStringList{"--stream", "1", "--baud", "1700000"} << QByteArray("divisor");
}

void SimPtyTest::refusedOptions() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, reason);
    QProcess refused;
    refused.start(QStringLiteral(TARVIK_SIM_PTY), arguments);
    QVERIFY(refused.waitForFinished(5000));
    QVERIFY(refused.exitCode() != 0);
    QVERIFY(refused.readAllStandardOutput().isEmpty());
    const QByteArray error = refused.readAllStandardError();
    QVERIFY2(error.contains(reason), error.constData());
}

QTEST_GUILESS_MAIN(SimPtyTest)
#include "tst_sim_pty.moc"
