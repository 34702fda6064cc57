// The simulated spy board through the driver calls alone: which direction
// each channel hears, at which rate it reads correctly, both directions at
// once, the link's rate changes, the restart at open, the step later rounds
// start from, what the link carried, and the default conversation.
#include <QTest>

#include "SimRig.h"
#include "Wire.h"

namespace {

const std::string spyA = "Tarvik Spy Board A";
const std::string spyB = "Tarvik Spy Board B";

// Printable bytes from the given letter on, and a CR.
std::vector<std::uint8_t> textLine(std::size_t length, char first) {
    std::vector<std::uint8_t> line(length, '\r');
    for (std::size_t i = 0; i + 1 < length; ++i) {
        line[i] = static_cast<std::uint8_t>(first + i % 26);
    }
    return line;
}

QByteArray byteArray(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

// Every byte heard as it was sent, or every byte garbled.
void compareHeard(const QByteArray& heard, const QByteArray& sent, bool readable) {
    QCOMPARE(heard.size(), sent.size());
    for (int i = 0; i < sent.size(); ++i) {
        QCOMPARE(heard[i] == sent[i], readable);
    }
}

SpyScript shortConversation() {
    return {SpyStep::pause(20), SpyStep::hostSends("DIR\r"), SpyStep::pause(20),
            SpyStep::chipSends("D:\\>\r"), SpyStep::pause(100)};
}

}  // namespace

class SimSpyTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void directionsDecodeAtTheLinkRate_data();
    void directionsDecodeAtTheLinkRate();
    void duplexCarriesBothDirectionsAtOnce_data();
    void duplexCarriesBothDirectionsAtOnce();
    void carriedCountsEveryByteOnTheWire_data();
    void carriedCountsEveryByteOnTheWire();
    void bridgeHandsOverAsARealOneDoes_data();
    void bridgeHandsOverAsARealOneDoes();
    void linkRateChangeGarblesUntilTheSpyFollows();
    void openingStartsTheConversationOver();
    void laterRoundsStartAtTheirStep_data();
    void laterRoundsStartAtTheirStep();
    void writesGoNowhere();
    void defaultConversationCoversBothCommandSets();

  private:
    void openBoth(std::uint32_t baudRate);

    std::unique_ptr<SimRig> rig;
    HxHandle a = 0;
    HxHandle b = 0;
};

void SimSpyTest::init() {
    rig = std::make_unique<SimRig>();
    // Each byte readable as it arrives, so the tests can time the wire; the
    // bridge's own hand-over has a test of its own.
    rig->spy().handOverByPacket(ChannelId::A, false);
    rig->spy().handOverByPacket(ChannelId::B, false);
}

void SimSpyTest::cleanup() {
    rig.reset();
}

void SimSpyTest::openBoth(std::uint32_t baudRate) {
    QCOMPARE(SimRig::open(spyA, a), hx::Ok);
    QCOMPARE(SimRig::open(spyB, b), hx::Ok);
    HX_SetBitMode(b, SimRig::lineMask, hx::BitModeReset);
    SimRig::configure(a, baudRate, hx::FlowNone);
    SimRig::configure(b, baudRate, hx::FlowNone);
}

void SimSpyTest::directionsDecodeAtTheLinkRate_data() {
    QTest::addColumn<std::uint32_t>("spyRate");
    QTest::addColumn<bool>("readable");

    QTest::newRow("link rate") << 9600u << true;
    QTest::newRow("within tolerance") << 9800u << true;
    QTest::newRow("double") << 19200u << false;
    QTest::newRow("much slower") << 1200u << false;
}

void SimSpyTest::directionsDecodeAtTheLinkRate() {
    QFETCH(std::uint32_t, spyRate);
    QFETCH(bool, readable);

    rig->spy().setScript(shortConversation());
    openBoth(spyRate);
    const QByteArray transmitted = rig->collect(a, 60);
    compareHeard(transmitted, "D:\\>\r", readable);
    compareHeard(SimRig::readWaiting(b), "DIR\r", readable);
}

void SimSpyTest::duplexCarriesBothDirectionsAtOnce_data() {
    QTest::addColumn<std::uint32_t>("spyRate");
    QTest::addColumn<bool>("readable");

    QTest::newRow("link rate") << 9600u << true;
    QTest::newRow("wrong rate") << 19200u << false;
}

void SimSpyTest::duplexCarriesBothDirectionsAtOnce() {
    QFETCH(std::uint32_t, spyRate);
    QFETCH(bool, readable);

    const std::vector<std::uint8_t> host = textLine(40, 'a');
    const std::vector<std::uint8_t> chip = textLine(100, 'A');
    openBoth(spyRate);
    rig->spy().setScript(
        {SpyStep::duplex(host, chip), SpyStep::hostSends("Z\r"), SpyStep::pause(1000)});
    const std::int64_t start = rig->clock.peekNanoseconds();
    const std::int64_t byteNs = wire::byteTimeNs(spyStartRate);
    QByteArray transmitted;
    QByteArray received;
    // Both channels read half a byte time after that many byte times.
    const auto readAfter = [&](std::int64_t byteTimes) {
        rig->clock.advance(start + byteTimes * byteNs + byteNs / 2 - rig->clock.peekNanoseconds());
        transmitted += SimRig::readWaiting(a);
        received += SimRig::readWaiting(b);
    };

    readAfter(20);
    QCOMPARE(transmitted.size(), 20);
    QCOMPARE(received.size(), 20);
    // The host has sent its line; its next one waits for the chip's end.
    readAfter(99);
    QCOMPARE(transmitted.size(), 99);
    QCOMPARE(received.size(), 40);
    readAfter(102);
    compareHeard(transmitted, byteArray(chip), readable);
    compareHeard(received, byteArray(host) + "Z\r", readable);
}

void SimSpyTest::carriedCountsEveryByteOnTheWire_data() {
    QTest::addColumn<int>("capacityA");
    QTest::addColumn<bool>("closeB");
    QTest::addColumn<int>("takenA");
    QTest::addColumn<int>("takenB");

    QTest::newRow("all read") << 1024 << false << 100 << 40;
    QTest::newRow("queue full") << 10 << false << 10 << 40;
    QTest::newRow("channel closed") << 1024 << true << 100 << 0;
}

void SimSpyTest::carriedCountsEveryByteOnTheWire() {
    QFETCH(int, capacityA);
    QFETCH(bool, closeB);
    QFETCH(int, takenA);
    QFETCH(int, takenB);

    SpyBoard& spy = rig->spy();
    openBoth(9600);
    spy.setReceiveCapacity(ChannelId::A, static_cast<std::size_t>(capacityA));
    if (closeB) {
        QCOMPARE(HX_Close(b), hx::Ok);
    }
    spy.setScript({SpyStep::duplex(textLine(40, 'a'), textLine(100, 'A')), SpyStep::pause(1000)});
    rig->clock.sleep(150);
    // Reads that ask for more than is waiting.
    for (HxHandle handle : {a, b}) {
        std::array<char, 1024> buffer{};
        std::uint32_t read = 0;
        HX_Read(handle, buffer.data(), buffer.size(), &read);
    }

    QCOMPARE(spy.carried(ChannelId::A), 100u);
    QCOMPARE(spy.carried(ChannelId::B), 40u);
    QCOMPARE(spy.takenByReads(ChannelId::A), std::uint64_t(takenA));
    QCOMPARE(spy.takenByReads(ChannelId::B), std::uint64_t(takenB));
    QCOMPARE(spy.overrunCount(ChannelId::A), std::uint64_t(100 - takenA));
    // A new conversation counts from its own start.
    spy.setScript({SpyStep::pause(1000)});
    QCOMPARE(spy.carried(ChannelId::A), 0u);
}

void SimSpyTest::linkRateChangeGarblesUntilTheSpyFollows() {
    rig->spy().setScript(
        {SpyStep::pause(10),
         SpyStep::hostSends(std::vector<std::uint8_t>{'S', 'B', 'D', ' ', 0x1A, 0x00, 0x00, 0x0D}),
         SpyStep::chipSends("D:\\>\r"), SpyStep::rateChange(115200), SpyStep::pause(20),
         SpyStep::hostSends("DIR\r"), SpyStep::pause(20), SpyStep::hostSends("FWV\r"),
         SpyStep::pause(1000)});
    openBoth(9600);
    QByteArray heard = rig->collect(b, 40);
    QVERIFY(heard.startsWith("SBD "));
    QCOMPARE(rig->collect(a, 0), QByteArray("D:\\>\r"));
    QCOMPARE(rig->spy().linkRate(), 115200u);

    heard = rig->collect(b, 20);
    QCOMPARE(heard.size(), 4);
    QVERIFY(heard != QByteArray("DIR\r"));

    SimRig::configure(b, 115200, hx::FlowNone);
    QCOMPARE(rig->collect(b, 30), QByteArray("FWV\r"));
}

// A line waits in the bridge until its CR (the event character), a full
// packet or the latency timer hands it over.
void SimSpyTest::bridgeHandsOverAsARealOneDoes_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("eventChar");
    QTest::addColumn<int>("readableAtEnd");  // bytes readable 0.5 ms after the last byte
    QTest::addColumn<int>("readableLater");  // 20 ms later

    QTest::newRow("line ended by the event character") << QByteArray("DIR\r") << true << 4 << 4;
    QTest::newRow("CR without the event character") << QByteArray("DIR\r") << false << 0 << 4;
    QTest::newRow("no CR: the latency timer") << QByteArray("DI") << true << 0 << 2;
    QTest::newRow("a full packet and the rest") << QByteArray(70, 'x') << true << 62 << 70;
}

void SimSpyTest::bridgeHandsOverAsARealOneDoes() {
    QFETCH(QByteArray, line);
    QFETCH(bool, eventChar);
    QFETCH(int, readableAtEnd);
    QFETCH(int, readableLater);

    rig->spy().handOverByPacket(ChannelId::B, true);
    openBoth(3'000'000);
    HX_SetLatencyTimer(b, 16);
    HX_SetChars(b, 0x0D, eventChar ? 1 : 0, 0, 0);
    rig->spy().setScript(
        {SpyStep::pause(1), SpyStep::hostSends(std::vector<std::uint8_t>(line.begin(), line.end())),
         SpyStep::pause(1000)},
        3'000'000);
    const std::int64_t lastByteEnd = 1'000'000 + line.size() * wire::byteTimeNs(3'000'000);
    rig->clock.advance(lastByteEnd + 500'000 - rig->clock.peekNanoseconds());
    QByteArray heard = SimRig::readWaiting(b);
    QCOMPARE(heard.size(), readableAtEnd);
    rig->clock.advance(20'000'000);
    heard += SimRig::readWaiting(b);
    QCOMPARE(heard, line);
    QCOMPARE(heard.size(), readableLater);
}

void SimSpyTest::openingStartsTheConversationOver() {
    rig->spy().setScript(shortConversation());
    openBoth(9600);
    rig->collect(a, 100);
    QCOMPARE(SimRig::readWaiting(b), QByteArray("DIR\r"));
    QCOMPARE(rig->spy().completedRounds(), 0u);

    // Reopened half way through, the conversation begins again: the command
    // comes first, whole.
    rig->collect(b, 30);
    QCOMPARE(HX_Close(a), hx::Ok);
    QCOMPARE(HX_Close(b), hx::Ok);
    openBoth(9600);
    QCOMPARE(rig->collect(b, 30), QByteArray("DIR\r"));
}

void SimSpyTest::laterRoundsStartAtTheirStep_data() {
    QTest::addColumn<int>("repeatFrom");
    QTest::addColumn<QByteArray>("threeRounds");  // what the chip received

    QTest::newRow("every round whole") << 0 << QByteArray("SET\rGO\rSET\rGO\rSET\rGO\r");
    QTest::newRow("set up once") << 2 << QByteArray("SET\rGO\rGO\rGO\r");
    QTest::newRow("from the pause before the traffic") << 1 << QByteArray("SET\rGO\rGO\rGO\r");
    QTest::newRow("a step past the end: from the start")
        << 4 << QByteArray("SET\rGO\rSET\rGO\rSET\rGO\r");
}

void SimSpyTest::laterRoundsStartAtTheirStep() {
    QFETCH(int, repeatFrom);
    QFETCH(QByteArray, threeRounds);

    openBoth(9600);
    rig->spy().setScript({SpyStep::hostSends("SET\r"), SpyStep::pause(10),
                          SpyStep::hostSends("GO\r"), SpyStep::pause(10)},
                         spyStartRate, static_cast<std::size_t>(repeatFrom));
    QByteArray received;
    const std::int64_t end = rig->clock.milliseconds() + 1000;
    while (rig->spy().completedRounds() < 3 && rig->clock.milliseconds() < end) {
        received += SimRig::readWaiting(b);
        rig->clock.sleep(1);
    }
    // The fourth round may have begun by the last reading.
    QCOMPARE(received.left(threeRounds.size()), threeRounds);
}

void SimSpyTest::writesGoNowhere() {
    rig->spy().setScript({SpyStep::pause(1000)});
    openBoth(9600);
    QCOMPARE(SimRig::send(a, "DIR\r"), 4u);
    QCOMPARE(SimRig::send(b, "FWV\r"), 4u);
    QCOMPARE(rig->collect(a, 50), QByteArray());
    QCOMPARE(SimRig::readWaiting(b), QByteArray());
    QCOMPARE(rig->spy().writes(ChannelId::A).back(), QByteArray("DIR\r"));
    QCOMPARE(rig->spy().bitModeCalls(ChannelId::B).back().mode, hx::BitModeReset);
}

void SimSpyTest::defaultConversationCoversBothCommandSets() {
    openBoth(9600);
    QByteArray transmitted;
    QByteArray received;
    const std::int64_t end = rig->clock.milliseconds() + 10'000;
    while (rig->spy().completedRounds() == 0 && rig->clock.milliseconds() < end) {
        transmitted += SimRig::readWaiting(a);
        received += SimRig::readWaiting(b);
        rig->clock.sleep(5);
    }
    QCOMPARE(rig->spy().completedRounds(), 1u);
    QCOMPARE(rig->spy().linkRate(), 9600u);

    for (const char* command :
         {"DIR\r", "FWV\r", "E\r", "e\r", "IPA\r", "IPH\r", "SCS\r", "ECS\r"}) {
        QVERIFY2(received.contains(command), command);
    }
    for (const QByteArray& code :
         {bytesOf({0x10, 0x0D}), bytesOf({0x11, 0x0D}), bytesOf({0x90, 0x0D}),
          bytesOf({0x91, 0x0D}), bytesOf({'S', 'B', 'D', ' ', 0x1A, 0x00, 0x00, 0x0D}),
          bytesOf({0x14, 0x20, 0x0D, 0x00, 0x00, 0x0D})}) {
        QVERIFY2(received.contains(code), code.toHex().constData());
    }
    for (const char* answer : {"Bad Command\rD:\\>\r", "No Disk\rD:\\>\r", "BC\r>\r", "ND\r>\r",
                               "\rTarvik Monitor 1.0\rD:\\>\r", "E\r", "e\r"}) {
        QVERIFY2(transmitted.contains(answer), answer);
    }
    // The SETUP command and the way back to 9600 go by at 230,400 baud: a
    // spy still at 9600 cannot read them.
    QVERIFY(!received.contains(bytesOf({0x9A, 0x20, 0x80, 0x06})));
    QVERIFY(!received.contains(bytesOf({0x14, 0x20, 0x38, 0x41, 0x00, 0x0D})));
    QVERIFY(!transmitted.contains("CF\r"));
}

QTEST_GUILESS_MAIN(SimSpyTest)
#include "tst_sim_spy.moc"
