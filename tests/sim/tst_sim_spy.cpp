// The simulated spy board through the driver calls alone: which direction
// each channel hears, at which rate it reads correctly, the link's rate
// changes, the restart at open, and the default conversation.
#include <QtTest>

#include "SimRig.h"

namespace {

const std::string spyA = "Tarvik Spy Board A";
const std::string spyB = "Tarvik Spy Board B";

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
    void linkRateChangeGarblesUntilTheSpyFollows();
    void openingStartsTheConversationOver();
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
    const QByteArray received = SimRig::readWaiting(b);
    QCOMPARE(transmitted.size(), 5);
    QCOMPARE(received.size(), 4);
    const QByteArray answer("D:\\>\r");
    const QByteArray command("DIR\r");
    for (int i = 0; i < answer.size(); ++i) {
        QCOMPARE(transmitted[i] == answer[i], readable);
    }
    for (int i = 0; i < command.size(); ++i) {
        QCOMPARE(received[i] == command[i], readable);
    }
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
