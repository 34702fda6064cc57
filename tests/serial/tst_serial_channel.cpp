// A serial port as a bridge channel: the chip's lines in pin mode, the line
// settings and modem bits, the latency timer, a device that goes away; then
// the real port library over a pseudo-terminal: bytes both ways, a read that
// waits, a write that times out, a hang-up.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QTest>
#include <thread>

#include "SerialBackend.h"
#include "SerialChannel.h"

namespace {

// A port whose lines and settings a test reads back; a tty asserts RTS and
// DTR as it opens. It counts the calls that reach it once it has gone.
class FakePort : public SerialPortIo {
  public:
    bool hungUp() override { return gone; }
    qint64 bytesWaiting() override { return touch(0); }
    bool waitReadable(Microseconds) override { return touch(false); }
    qint64 read(char*, qint64) override { return touch(0); }
    qint64 transmit(const char* data, qint64 size, std::chrono::milliseconds timeout) override {
        sent.append(data, size);
        state["timeout"] = static_cast<int>(timeout.count());
        return touch(size);
    }
    bool waitWritable(std::uint32_t, Microseconds) override { return touch(true); }
    bool setBaudRate(qint32 rate) override { return set("rate", rate) && rate != 999; }
    bool setDataBits(QSerialPort::DataBits bits) override { return set("bits", bits); }
    bool setStopBits(QSerialPort::StopBits bits) override { return set("stop", bits); }
    bool setParity(QSerialPort::Parity parity) override { return set("parity", parity); }
    bool setFlowControl(QSerialPort::FlowControl flow) override { return set("flow", flow); }
    bool setRequestToSend(bool asserted) override { return touch(rts = asserted) || true; }
    bool setDataTerminalReady(bool asserted) override { return touch(dtr = asserted) || true; }
    QSerialPort::PinoutSignals pinoutSignals() override { return touch(pinout); }
    void close() override {}

    // The chip's reset and program lines, 1 = high: the outputs are active low.
    QString chipLines() const { return QString("%1%2").arg(!rts).arg(!dtr); }

    bool gone = false;
    int callsAfterGone = 0;
    bool rts = true;
    bool dtr = true;
    QByteArray sent;
    QMap<QString, int> state;
    QSerialPort::PinoutSignals pinout;

  private:
    template <typename T>
    T touch(T result) {
        callsAfterGone += gone ? 1 : 0;
        return result;
    }
    bool set(const char* name, int value) {
        state[name] = value;
        return touch(true);
    }
};

// The far end of a pseudo-terminal; the channel opens the near one.
class Pty {
  public:
    Pty() : master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        grantpt(master);
        unlockpt(master);
        description = QString::fromLatin1(ptsname(master)).toStdString() + " A";
    }
    ~Pty() { hangUp(); }
    void hangUp() {
        ::close(master);
        master = -1;
    }
    void send(const char* bytes) const { QVERIFY(::write(master, bytes, strlen(bytes)) > 0); }
    // What has come, once nothing more comes for a while.
    QByteArray drain(int quietMs = 100) const {
        QByteArray got;
        pollfd far{master, POLLIN, 0};
        char block[65536];
        for (ssize_t n = 1; n > 0 && ::poll(&far, 1, quietMs) > 0; got.append(block, n)) {
            n = std::max<ssize_t>(0, ::read(master, block, sizeof block));
        }
        return got;
    }

    std::string description;

  private:
    int master;
};

class SockActCounter : public QObject {
  public:
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::SockAct ? 1 : 0;
        return false;
    }
};

const auto bytes = [](const char* text) { return reinterpret_cast<const std::uint8_t*>(text); };

// One driver call written as the table rows write it: "mode 94 4", "write 14",
// "data 7 2 1", "rate 9600", "flow 100", "timeouts 0 1000", "ClrRts", ...
DriverStatus run(BridgeChannel& c, const QString& step) {
    const QStringList words = step.split(' ');
    const auto hex = [&](int n) { return static_cast<std::uint8_t>(words[n].toUInt(nullptr, 16)); };
    const auto number = [&](int n) { return words[n].toUInt(); };
    const QString& call = words[0];
    std::uint8_t buffer[4]{words.size() > 1 ? hex(1) : std::uint8_t{0}};
    std::uint32_t n = 0;
    bool room = false;
    return call == "ClrDtr"   ? c.setDtr(false)
           : call == "ClrRts" ? c.setRts(false)
           : call == "SetRts" ? c.setRts(true)
           : call == "mode"   ? c.setBitMode(hex(1), hex(2))
           : call == "write"  ? c.write(buffer, 1, n)
           : call == "data"   ? c.setDataCharacteristics(hex(1), hex(2), hex(3))
           : call == "rate"   ? c.setBaudRate(number(1))
           : call == "flow"
               ? c.setFlowControl(static_cast<std::uint16_t>(number(1) << 8), 0x11, 0x13)
           : call == "timeouts" ? c.setTimeouts(number(1), number(2))
           : call == "read"     ? c.read(buffer, 4, n)
           : call == "queue"    ? c.queueStatus(n)
           : call == "modem"    ? c.modemStatus(n)
           : call == "chars"    ? c.setChars(13, true, 0, false)
           : call == "latency"  ? c.setLatencyTimer(16)
           : call == "receive"  ? c.waitForReceive(1000)
           : call == "room"     ? c.waitForTransmitRoom(4, 1000, room)
                                : c.close();
}

}  // namespace

class SerialChannelTest : public QObject {
    Q_OBJECT

  private slots:
    void init();

    void controlLinePatterns_data();
    void controlLinePatterns();
    void settings_data();
    void settings();
    void modemBits_data();
    void modemBits();
    void latencyTimerWrittenWhereTheSystemHasOne();
    void everyCallAfterHangUpFailsWithoutThePort_data();
    void everyCallAfterHangUpFailsWithoutThePort();

    void ptyCarriesBytesBothWays();
    void ptyReadWithTimeoutWaitsForTheCount();
    void ptyTimedOutWriteIsShortAndSendsNothingLate();
    void ptyHangUpFailsEveryCallAtOnce();
    void ptyHungUpChannelLeftIdleTakesNoNotifications();

  private:
    std::unique_ptr<BridgeChannel> openPty(const Pty& pty);

    FakePort* port = nullptr;
    std::unique_ptr<SerialChannel> channel;
    QTemporaryDir noSystemPorts;
    std::unique_ptr<SerialBackend> ptyBackend;
};

void SerialChannelTest::init() {
    auto fake = std::make_unique<FakePort>();
    port = fake.get();
    channel = std::make_unique<SerialChannel>(std::move(fake));
}

void SerialChannelTest::controlLinePatterns_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("lines");  // reset, program after each step
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("run chip") << QStringList{"ClrDtr", "ClrRts", "write 14", "mode 94 4",
                                             "write 14"}
                              << QStringList{"01", "11", "11", "11", "11"} << QByteArray("\x14");
    QTest::newRow("enter boot loader")
        << QStringList{"ClrDtr", "ClrRts", "mode 94 4", "write 00", "write 04"}
        << QStringList{"01", "11", "11", "00", "10"} << QByteArray();
    QTest::newRow("hold chip in reset") << QStringList{"ClrDtr", "ClrRts", "mode 94 4", "write 10"}
                                        << QStringList{"01", "11", "11", "01"} << QByteArray();
    QTest::newRow("held again: the reset line stays low")
        << QStringList{"mode 94 4", "write 10", "ClrDtr", "ClrRts", "mode 94 4", "write 10"}
        << QStringList{"00", "01", "01", "01", "01", "01"} << QByteArray();
    QTest::newRow("mode 0 releases both lines; writes are data again")
        << QStringList{"mode 94 4", "write 00", "mode 94 0", "write 55", "SetRts"}
        << QStringList{"00", "00", "11", "11", "01"} << QByteArray("\x55");
    QTest::newRow("a line outside the mask is released high")
        << QStringList{"mode 10 4", "write 00"} << QStringList{"00", "10"} << QByteArray();
}

void SerialChannelTest::controlLinePatterns() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, lines);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        QCOMPARE(run(*channel, steps[i]), hx::Ok);
        QVERIFY2(port->chipLines() == lines[i],
                 qPrintable(steps[i] + " gave " + port->chipLines()));
    }
    QTEST(port->sent, "data");
}

void SerialChannelTest::settings_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<uint>("status");
    QTest::addColumn<QString>("state");  // what the port was given
    const auto row = [](const char* name, QString steps, uint status, QString state) {
        QTest::newRow(name) << steps.split(',') << status << state;
    };
    row("8N1", "data 8 0 0", hx::Ok, "bits 8 parity 0 stop 1");
    row("7, two stop bits, odd", "data 7 2 1", hx::Ok, "bits 7 parity 3 stop 2");
    row("even", "data 8 0 2", hx::Ok, "bits 8 parity 2 stop 1");
    row("mark", "data 8 0 3", hx::Ok, "bits 8 parity 5 stop 1");
    row("space", "data 8 0 4", hx::Ok, "bits 8 parity 4 stop 1");
    row("6 bits", "data 6 0 0", hx::InvalidParameter, "");
    row("1.5 stop bits", "data 8 1 0", hx::InvalidParameter, "");
    row("parity 5", "data 8 0 5", hx::InvalidParameter, "");
    row("3,000,000 baud", "rate 3000000", hx::Ok, "rate 3000000");
    row("non-standard rate", "rate 123457", hx::Ok, "rate 123457");
    row("above 3,000,000", "rate 3000001", hx::InvalidBaudRate, "");
    row("rate the port refuses", "rate 999", hx::InvalidBaudRate, "rate 999");
    row("RTS/CTS", "flow 1", hx::Ok, "flow 1");
    row("no handshake", "flow 0", hx::Ok, "flow 0");
    row("write time-out 5 s when none set", "write 41", hx::Ok, "timeout 5000");
    row("write time-out 5 s for 0", "timeouts 0 0,write 41", hx::Ok, "timeout 5000");
    row("write time-out as set", "timeouts 0 1000,write 41", hx::Ok, "timeout 1000");
}

void SerialChannelTest::settings() {
    QFETCH(QStringList, steps);
    DriverStatus status = hx::Ok;
    for (const QString& step : steps) {
        status = run(*channel, step);
    }
    QTEST(status, "status");
    QStringList state;
    for (auto [name, value] : port->state.asKeyValueRange()) {
        state << name << QString::number(value);
    }
    QTEST(state.join(' '), "state");
}

void SerialChannelTest::modemBits_data() {
    QTest::addColumn<QSerialPort::PinoutSignals>("pinout");
    QTest::addColumn<uint>("bits");
    QTest::newRow("CTS") << QSerialPort::PinoutSignals(QSerialPort::ClearToSendSignal) << 0x10u;
    QTest::newRow("DSR") << QSerialPort::PinoutSignals(QSerialPort::DataSetReadySignal) << 0x20u;
    QTest::newRow("RI") << QSerialPort::PinoutSignals(QSerialPort::RingIndicatorSignal) << 0x40u;
    QTest::newRow("DCD") << QSerialPort::PinoutSignals(QSerialPort::DataCarrierDetectSignal)
                         << 0x80u;
    QTest::newRow("own outputs are not inputs")
        << (QSerialPort::RequestToSendSignal | QSerialPort::DataTerminalReadySignal) << 0u;
}

void SerialChannelTest::modemBits() {
    QFETCH(QSerialPort::PinoutSignals, pinout);
    port->pinout = pinout;
    std::uint32_t status = 0xFFFF;
    QCOMPARE(channel->modemStatus(status), hx::Ok);
    QTEST(status, "bits");
}

void SerialChannelTest::latencyTimerWrittenWhereTheSystemHasOne() {
    QTemporaryDir dir;
    SerialChannel withTimer(std::make_unique<FakePort>(), dir.filePath("latency_timer"));
    QCOMPARE(withTimer.setLatencyTimer(2), hx::Ok);
    QFile timer(dir.filePath("latency_timer"));
    QVERIFY(timer.open(QIODevice::ReadOnly));
    QCOMPARE(timer.readAll(), "2\n");
    QCOMPARE(channel->setLatencyTimer(16), hx::Ok);
}

void SerialChannelTest::everyCallAfterHangUpFailsWithoutThePort_data() {
    QTest::addColumn<QString>("step");
    for (const char* step :
         {"read", "write 00", "queue", "modem", "rate 9600", "data 8 0 0", "flow 1", "SetRts",
          "ClrDtr", "chars", "timeouts 0 0", "latency", "mode 94 4", "receive", "room", "close"}) {
        QTest::newRow(step) << QString(step);
    }
}

void SerialChannelTest::everyCallAfterHangUpFailsWithoutThePort() {
    QFETCH(QString, step);
    port->gone = true;
    QCOMPARE(run(*channel, step), hx::IoError);
    QCOMPARE(port->callsAfterGone, 0);
}

std::unique_ptr<BridgeChannel> SerialChannelTest::openPty(const Pty& pty) {
    ptyBackend = std::make_unique<SerialBackend>(
        QStringList{QString::fromStdString(pty.description).chopped(2)}, noSystemPorts.path());
    std::uint32_t count = 0;
    std::string listed;
    std::unique_ptr<BridgeChannel> opened;
    if (ptyBackend->deviceCount(count) == hx::Ok &&
        ptyBackend->deviceDescription(0, listed) == hx::Ok && listed == pty.description) {
        ptyBackend->open(listed, opened);
    }
    return opened;
}

void SerialChannelTest::ptyCarriesBytesBothWays() {
    Pty pty;
    const auto pts = openPty(pty);
    QVERIFY(pts);
    // A pseudo-terminal has no modem lines; changing them is no failure.
    QCOMPARE(pts->setRts(true) | pts->setBaudRate(123'457), hx::Ok);
    std::uint32_t count = 0;
    QCOMPARE(pts->write(bytes("ping"), 4, count), hx::Ok);
    QCOMPARE(pty.drain(), "ping");
    pty.send("pong");
    QCOMPARE(pts->waitForReceive(5'000'000), hx::Ok);
    QCOMPARE(pts->queueStatus(count), hx::Ok);
    QCOMPARE(count, 4u);
    char got[8]{};
    QCOMPARE(pts->read(reinterpret_cast<std::uint8_t*>(got), 8, count), hx::Ok);
    QCOMPARE(QByteArray(got, count), "pong");
    QCOMPARE(pts->close(), hx::Ok);
}

void SerialChannelTest::ptyReadWithTimeoutWaitsForTheCount() {
    Pty pty;
    const auto pts = openPty(pty);
    QVERIFY(pts);
    QCOMPARE(pts->setTimeouts(10'000, 0), hx::Ok);
    pty.send("abc");
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.send("def");
    });
    char got[6]{};
    std::uint32_t count = 0;
    const DriverStatus status = pts->read(reinterpret_cast<std::uint8_t*>(got), 6, count);
    later.join();
    QCOMPARE(status, hx::Ok);
    QCOMPARE(QByteArray(got, count), "abcdef");
}

void SerialChannelTest::ptyTimedOutWriteIsShortAndSendsNothingLate() {
    Pty pty;
    const auto pts = openPty(pty);
    QVERIFY(pts);
    QCOMPARE(pts->setTimeouts(0, 100), hx::Ok);
    const QByteArray big(4 << 20, 'x');
    std::uint32_t written = 0;
    QCOMPARE(pts->write(bytes(big.constData()), big.size(), written), hx::Ok);
    QVERIFY(written > 0 && written < big.size());
    bool room = true;
    QCOMPARE(pts->waitForTransmitRoom(16, 1000, room), hx::Ok);
    QVERIFY(!room);
    qsizetype arrived = 0;
    // The program's loops let the window's events run between passes.
    for (int pass = 0; pass < 5; ++pass) {
        QCoreApplication::processEvents();
        QCOMPARE(pts->waitForReceive(1000), hx::Ok);
        arrived += pty.drain(20).size();
    }
    QCOMPARE(arrived, written);
    QCOMPARE(pts->waitForTransmitRoom(16, 1'000'000, room), hx::Ok);
    QVERIFY(room);
}

void SerialChannelTest::ptyHangUpFailsEveryCallAtOnce() {
    Pty pty;
    const auto pts = openPty(pty);
    QVERIFY(pts);
    pty.send("left");
    pty.hangUp();
    QElapsedTimer hangGuard;
    hangGuard.start();
    std::uint32_t n = 0;
    std::uint8_t got[8]{};
    bool room = false;
    QCOMPARE(pts->queueStatus(n), hx::IoError);
    QCOMPARE(pts->read(got, 8, n), hx::IoError);
    QCOMPARE(pts->waitForReceive(10'000'000), hx::IoError);
    QCOMPARE(pts->waitForTransmitRoom(8, 10'000'000, room), hx::IoError);
    QCOMPARE(pts->write(got, 8, n), hx::IoError);
    QVERIFY2(hangGuard.elapsed() < 5000, "a call waited out its time-out on a gone device");
}

void SerialChannelTest::ptyHungUpChannelLeftIdleTakesNoNotifications() {
    Pty pty;
    const auto pts = openPty(pty);
    QVERIFY(pts);
    SockActCounter notifications;
    QCoreApplication::instance()->installEventFilter(&notifications);
    pty.hangUp();
    for (int pass = 0; pass < 200; ++pass) {
        QCoreApplication::processEvents();
    }
    QCoreApplication::instance()->removeEventFilter(&notifications);
    QVERIFY2(notifications.count <= 2, qPrintable(QString::number(notifications.count)));
    std::uint32_t n = 0;
    QCOMPARE(pts->queueStatus(n), hx::IoError);
}

QTEST_GUILESS_MAIN(SerialChannelTest)
#include "tst_serial_channel.moc"
