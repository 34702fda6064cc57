// The simulated evaluation board through the driver calls alone: listing and
// opening, the control-line patterns, the boot loader's flash, the wire's
// timing and baud mismatches, flow control, data mode and the board's faults.
#include <QTest>

#include "DeviceLink.h"
#include "ScriptedDialogs.h"
#include "SimRig.h"
#include "TestFiles.h"
#include "Wire.h"

namespace {

const std::string evalA = "Tarvik Eval Board A";
const std::string evalB = "Tarvik Eval Board B";

QByteArray blockHeader(int address) {
    return bytesOf({0x03, address & 0xFF, (address >> 8) & 0xFF, 0x80});
}

QByteArray imageBytes(int size) {
    QByteArray image;
    for (int i = 0; i < size; ++i) {
        image.append(static_cast<char>((i * 7 + 3) & 0xFF));
    }
    return image;
}

}  // namespace

class SimBoardTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void listsBothBoardsByChannel();
    void openRules();
    void unpluggedBoardFailsEveryCall();

    void controlLinePatterns_data();
    void controlLinePatterns();
    void restartDropsWhatTheChipHadQueued();

    void bootLoaderAnswers_data();
    void bootLoaderAnswers();
    void flashImageReadsBack();

    void wireGarblesOnlyBeyondTheTolerance_data();
    void wireGarblesOnlyBeyondTheTolerance();
    void chipRateChangeLeavesTheBridgeReadingGarbage();
    void diskRoundTripOverTheLinkIsByteExact();
    void lowRtsPausesTheChipWithNothingLost();
    void fullQueuePausesUnderHandshakeAndOverrunsWithout_data();
    void fullQueuePausesUnderHandshakeAndOverrunsWithout();
    void dataModeLoopsBytesBackAndRaisesDsr();
    void unreadEchoStallsTheWriterWithNothingLost();
    void dataModeTakesALargeSendAtTheWireRate_data();
    void dataModeTakesALargeSendAtTheWireRate();
    void bytesGivenInDataModeReachTheProgramWhole();

    void largeWriteTakesItsWireTime();
    void receivedBytesBecomeReadableAtTheNextMicroframe_data();
    void receivedBytesBecomeReadableAtTheNextMicroframe();
    void waitForReceiveSleepsUntilTheAnswerOrTheTimeout();
    void stalledWriteReturnsShortAfterTheTimeout_data();
    void stalledWriteReturnsShortAfterTheTimeout();
    void shortWriteFaultAcceptsOnlyTheGivenCount();
    void silentChipAnswersNothing();

  private:
    // Opens both channels, A set up at the rate with RTS/CTS handshake.
    void openBoth(std::uint32_t baudRate = 9600, std::uint16_t flow = hx::FlowRtsCts);
    // Enters the boot loader and brings it to 1,000,000 baud.
    void bootAtFastRate();
    // Runs the monitor and brings it and channel A to 3,000,000 baud.
    void monitorAtFullSpeed();

    std::unique_ptr<SimRig> rig;
    HxHandle a = 0;
    HxHandle b = 0;
};

void SimBoardTest::init() {
    rig = std::make_unique<SimRig>();
    a = 0;
    b = 0;
}

void SimBoardTest::cleanup() {
    rig.reset();
}

void SimBoardTest::openBoth(std::uint32_t baudRate, std::uint16_t flow) {
    QCOMPARE(SimRig::open(evalB, b), hx::Ok);
    QCOMPARE(SimRig::open(evalA, a), hx::Ok);
    SimRig::configure(a, baudRate, flow);
}

void SimBoardTest::bootAtFastRate() {
    openBoth(BootLoader::slowRate);
    SimRig::enterBootLoader(b);
    SimRig::send(a, bytesOf({0x01, 0x70, 0x17, 0x03, 0x00, 0x00}));
    rig->collect(a, 5);
    QCOMPARE(rig->eval().chipBaudRate(), BootLoader::fastRate);
    QCOMPARE(HX_SetBaudRate(a, BootLoader::fastRate), hx::Ok);
}

void SimBoardTest::monitorAtFullSpeed() {
    openBoth();
    SimRig::runChip(b);
    QCOMPARE(rig->collect(a, 100), signOn);
    SimRig::send(a, bytesOf({'S', 'B', 'D', ' ', 0x00, 0x00, 0x00, 0x0D}));
    QCOMPARE(rig->collect(a, 50), QByteArray("D:\\>\r"));
    QCOMPARE(rig->eval().chipBaudRate(), SimBoard::highestBaudRate);
    QCOMPARE(HX_SetBaudRate(a, SimBoard::highestBaudRate), hx::Ok);
}

void SimBoardTest::listsBothBoardsByChannel() {
    ScriptedDialogs dialogs;
    DeviceLink link(dialogs);
    std::array<QString, DeviceLink::DeviceListSlots> list;
    link.ListDescriptions(list);
    QCOMPARE(list[0], QString("Tarvik Eval Board A"));
    QCOMPARE(list[1], QString("Tarvik Eval Board B"));
    QCOMPARE(list[2], QString("Tarvik Spy Board A"));
    QCOMPARE(list[3], QString("Tarvik Spy Board B"));
    QVERIFY(list[4].isEmpty());

    rig->spy().unplug();
    std::uint32_t count = 0;
    QCOMPARE(HX_ListDevices(&count, nullptr, hx::ListNumberOnly), hx::Ok);
    QCOMPARE(count, 2u);
    QVERIFY(!link.FindAndOpenChannel("Tarvik Spy Board A"));
    QVERIFY(dialogs.errors.isEmpty());
}

void SimBoardTest::openRules() {
    QCOMPARE(SimRig::open(evalA, a), hx::Ok);
    HxHandle second = 0;
    QCOMPARE(SimRig::open(evalA, second), hx::DeviceNotOpened);

    rig->eval().refuseOpen(ChannelId::B, hx::InsufficientResources);
    QCOMPARE(SimRig::open(evalB, b), hx::InsufficientResources);
    rig->eval().refuseOpen(ChannelId::B, hx::Ok);
    QCOMPARE(SimRig::open(evalB, b), hx::Ok);

    QCOMPARE(HX_Close(a), hx::Ok);
    QCOMPARE(SimRig::open(evalA, a), hx::Ok);
}

void SimBoardTest::unpluggedBoardFailsEveryCall() {
    openBoth();
    rig->eval().unplug();
    std::uint32_t value = 0;
    char buffer[4] = {};
    QCOMPARE(HX_GetQueueStatus(a, &value), hx::IoError);
    QCOMPARE(HX_GetModemStatus(a, &value), hx::IoError);
    QCOMPARE(HX_Read(a, buffer, 1, &value), hx::IoError);
    QCOMPARE(HX_Write(a, buffer, 1, &value), hx::IoError);
    QCOMPARE(value, 0u);
    QCOMPARE(HX_SetBaudRate(a, 9600), hx::IoError);
    QCOMPARE(HX_SetDtr(a), hx::IoError);
    QCOMPARE(HX_SetBitMode(b, SimRig::lineMask, hx::BitModeSynchronous), hx::IoError);
    QCOMPARE(HX_Close(a), hx::IoError);
    QCOMPARE(HX_GetQueueStatus(a, &value), hx::InvalidHandle);

    rig->eval().plugIn();
    QCOMPARE(SimRig::open(evalA, a), hx::Ok);
}

void SimBoardTest::controlLinePatterns_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("resetLine");
    QTest::addColumn<bool>("programLine");
    QTest::addColumn<std::uint32_t>("chipRate");
    QTest::addColumn<QByteArray>("firstWords");

    // w: a byte written to channel B; m4 / m0: bit mode set / left.
    const int monitor = int(SimChip::State::Monitor);
    const int loader = int(SimChip::State::BootLoader);
    const int reset = int(SimChip::State::HeldInReset);
    QTest::newRow("power-up") << "" << reset << false << false << 9600u << QByteArray();
    QTest::newRow("run") << "w14 m4 w14" << monitor << true << true << 9600u << signOn;
    QTest::newRow("latch alone drives nothing")
        << "w14" << reset << false << false << 9600u << QByteArray();
    QTest::newRow("boot loader") << "m4 w00 w04" << loader << true << false << 115200u
                                 << QByteArray();
    QTest::newRow("run then reset")
        << "w14 m4 w14 m4 w10" << reset << false << true << 9600u << QByteArray();
    QTest::newRow("leaving bit mode releases the lines")
        << "m4 w10 m0" << monitor << true << true << 9600u << signOn;
    QTest::newRow("boot loader survives leaving bit mode")
        << "m4 w00 w04 m0" << loader << true << true << 115200u << QByteArray();
    QTest::newRow("running firmware not restarted by a second run")
        << "w14 m4 w14 w14 m4 w14" << monitor << true << true << 9600u << signOn;
}

void SimBoardTest::controlLinePatterns() {
    QFETCH(QString, pattern);
    QFETCH(int, state);
    QFETCH(bool, resetLine);
    QFETCH(bool, programLine);
    QFETCH(std::uint32_t, chipRate);
    QFETCH(QByteArray, firstWords);

    openBoth();
    for (const QString& step : pattern.split(' ', Qt::SkipEmptyParts)) {
        const int value = step.mid(1).toInt(nullptr, 16);
        if (step.startsWith('w')) {
            QCOMPARE(SimRig::send(b, QByteArray(1, char(value))), 1u);
        } else {
            HX_SetBitMode(b, SimRig::lineMask, static_cast<std::uint8_t>(value));
        }
    }
    QCOMPARE(int(rig->eval().chipState()), state);
    QCOMPARE(rig->eval().resetLine(), resetLine);
    QCOMPARE(rig->eval().programLine(), programLine);
    QCOMPARE(rig->eval().chipBaudRate(), chipRate);
    // Whatever the chip says, it says it exactly once, and a chip in reset
    // or in its boot loader says nothing by itself.
    QCOMPARE(rig->collect(a, 100), firstWords);
}

void SimBoardTest::restartDropsWhatTheChipHadQueued() {
    openBoth();
    SimRig::runChip(b);
    rig->collect(a, 10);  // part of the sign-on is on the way
    SimRig::holdInReset(b);
    SimRig::send(a, "FWV\r");
    QCOMPARE(rig->collect(a, 100), QByteArray());
    SimRig::runChip(b);
    QCOMPARE(rig->collect(a, 100), signOn);

    const auto& lines = rig->eval().lineHistory();
    QCOMPARE(lines.size(), std::size_t{3});
    QVERIFY(lines[0].reset && lines[0].program);
    QVERIFY(!lines[1].reset && lines[1].program);
    QVERIFY(lines[2].reset && lines[2].program);
    QVERIFY(lines[0].timeNs < lines[1].timeNs && lines[1].timeNs < lines[2].timeNs);
}

void SimBoardTest::bootLoaderAnswers_data() {
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("confirmSync");
    QTest::addColumn<int>("blockAnswer");
    QTest::addColumn<QByteArray>("answers");

    const QByteArray block = blockHeader(0x0100) + QByteArray(128, 0x5A);
    QTest::newRow("sync") << bytesOf({0xFF, 0xFF, 0xFA}) << true << 0x02
                          << bytesOf({0xFF, 0xFF, 0xFA});
    QTest::newRow("never confirms")
        << bytesOf({0xFF, 0xFA, 0xFA}) << false << 0x02 << bytesOf({0xFF});
    QTest::newRow("other bytes ignored")
        << bytesOf({0x00, 0x55, 0x0D, 0xFF}) << true << 0x02 << bytesOf({0xFF});
    QTest::newRow("block acknowledged twice") << block << true << 0x02 << bytesOf({0x02, 0x02});
    QTest::newRow("block answered otherwise") << block << true << 0x07 << bytesOf({0x07, 0x07});
    QTest::newRow("wrong block length refused")
        << bytesOf({0x03, 0x00, 0x00, 0x40, 0xFF}) << true << 0x02 << bytesOf({0x15, 0xFF});
}

void SimBoardTest::bootLoaderAnswers() {
    QFETCH(QByteArray, sent);
    QFETCH(bool, confirmSync);
    QFETCH(int, blockAnswer);
    QFETCH(QByteArray, answers);

    rig->eval().bootLoaderFaults().confirmSync = confirmSync;
    rig->eval().bootLoaderFaults().blockAnswer = static_cast<std::uint8_t>(blockAnswer);
    openBoth(BootLoader::slowRate);
    SimRig::enterBootLoader(b);
    SimRig::send(a, sent);
    QCOMPARE(rig->collect(a, 100), answers);
}

void SimBoardTest::flashImageReadsBack() {
    bootAtFastRate();
    const QByteArray image = imageBytes(200);
    for (int address = 0; address < image.size(); address += 128) {
        QByteArray data = image.mid(address, 128);
        data.append(QByteArray(128 - data.size(), '\0'));
        SimRig::send(a, blockHeader(address));
        QCOMPARE(rig->collect(a, 2), bytesOf({0x02}));
        SimRig::send(a, data.left(64));
        SimRig::send(a, data.mid(64));
        QCOMPARE(rig->collect(a, 3), bytesOf({0x02}));
    }
    const Flash& flash = rig->eval().flash();
    const QByteArray written(reinterpret_cast<const char*>(flash.data()), 256);
    QCOMPARE(written.left(200), image);
    QCOMPARE(written.mid(200), QByteArray(56, '\0'));
    QVERIFY(
        std::all_of(flash.begin() + 256, flash.end(), [](std::uint8_t v) { return v == 0xFF; }));
}

void SimBoardTest::wireGarblesOnlyBeyondTheTolerance_data() {
    QTest::addColumn<std::uint32_t>("sender");
    QTest::addColumn<std::uint32_t>("receiver");
    QTest::addColumn<bool>("readable");

    QTest::newRow("same") << 9600u << 9600u << true;
    QTest::newRow("2.9 % fast") << 9878u << 9600u << true;
    QTest::newRow("3.1 % slow") << 9302u << 9600u << false;
    QTest::newRow("double") << 19200u << 9600u << false;
    QTest::newRow("half") << 9600u << 19200u << false;
    QTest::newRow("boot loader rates") << 115200u << 1000000u << false;
    QTest::newRow("fast pair") << 3000000u << 2000000u << false;
}

void SimBoardTest::wireGarblesOnlyBeyondTheTolerance() {
    QFETCH(std::uint32_t, sender);
    QFETCH(std::uint32_t, receiver);
    QFETCH(bool, readable);

    for (int value = 0; value < 256; ++value) {
        const auto byte = static_cast<std::uint8_t>(value);
        const std::uint8_t seen = wire::received(byte, sender, receiver);
        QCOMPARE(seen == byte, readable);
        QCOMPARE(wire::received(byte, sender, receiver), seen);
    }
}

void SimBoardTest::chipRateChangeLeavesTheBridgeReadingGarbage() {
    openBoth();
    SimRig::runChip(b);
    QCOMPARE(rig->collect(a, 100), signOn);

    // The prompt answers at the old rate; the chip then listens at 115,200.
    SimRig::send(a, bytesOf({'S', 'B', 'D', ' ', 0x1A, 0x00, 0x00, 0x0D}));
    QCOMPARE(rig->collect(a, 100), QByteArray("D:\\>\r"));
    QCOMPARE(rig->eval().chipBaudRate(), 115200u);

    // A bridge that did not follow: the chip hears noise, and what it says
    // back cannot be read.
    SimRig::send(a, "FWV\r");
    const QByteArray missed = rig->collect(a, 100);
    QVERIFY(!missed.contains("Tarvik"));
    QVERIFY(!missed.contains("D:\\>"));

    QCOMPARE(HX_SetBaudRate(a, 115200), hx::Ok);
    SimRig::send(a, "\rFWV\r");
    QVERIFY(rig->collect(a, 50).contains("\rTarvik Monitor 1.0\rD:\\>\r"));
}

// A file written with OPW, WRF and CLF over the link reads back byte for
// byte with OPR and RDF, and DIR of its name answers the entry in the shape
// the receive transfers parse: CR, name, space, size least significant first,
// CR, the prompt line.
void SimBoardTest::diskRoundTripOverTheLinkIsByteExact() {
    openBoth();
    SimRig::runChip(b);
    QCOMPARE(rig->collect(a, 100), signOn);

    QByteArray data;
    for (int i = 0; i < 300; ++i) {
        data += static_cast<char>((i * 7) % 256);  // CR and zero bytes among them
    }
    const QByteArray count = bytesOf({0x00, 0x00, 0x01, 0x2C});
    SimRig::send(a, "OPW RT.BIN\r");
    QCOMPARE(rig->collect(a, 50), QByteArray("D:\\>\r"));
    SimRig::send(a, "WRF " + count + "\r" + data);
    QCOMPARE(rig->collect(a, 500), QByteArray("D:\\>\r"));
    SimRig::send(a, "CLF RT.BIN\r");
    QCOMPARE(rig->collect(a, 50), QByteArray("D:\\>\r"));

    SimRig::send(a, "DIR RT.BIN\r");
    QCOMPARE(rig->collect(a, 50), "\rRT.BIN " + bytesOf({0x2C, 0x01, 0x00, 0x00}) + "\rD:\\>\r");

    SimRig::send(a, "OPR RT.BIN\r");
    QCOMPARE(rig->collect(a, 50), QByteArray("D:\\>\r"));
    SimRig::send(a, "RDF " + count + "\r");
    QCOMPARE(rig->collect(a, 500), data + "D:\\>\r");
}

void SimBoardTest::lowRtsPausesTheChipWithNothingLost() {
    openBoth();
    QCOMPARE(HX_ClrRts(a), hx::Ok);
    SimRig::runChip(b);
    SimRig::send(a, "FWV\r");
    QCOMPARE(rig->collect(a, 200), QByteArray());
    QCOMPARE(HX_SetRts(a), hx::Ok);
    QCOMPARE(rig->collect(a, 200), signOn + "\rTarvik Monitor 1.0\rD:\\>\r");
    QCOMPARE(rig->eval().overrunCount(ChannelId::A), 0u);
}

void SimBoardTest::fullQueuePausesUnderHandshakeAndOverrunsWithout_data() {
    QTest::addColumn<std::uint16_t>("flow");
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<std::uint64_t>("overruns");

    QTest::newRow("handshake") << std::uint16_t(hx::FlowRtsCts) << signOn << std::uint64_t{0};
    QTest::newRow("none") << std::uint16_t(hx::FlowNone) << signOn.left(8)
                          << std::uint64_t(signOn.size() - 8);
}

void SimBoardTest::fullQueuePausesUnderHandshakeAndOverrunsWithout() {
    QFETCH(std::uint16_t, flow);
    QFETCH(QByteArray, received);
    QFETCH(std::uint64_t, overruns);

    rig->eval().setReceiveCapacity(ChannelId::A, 8);
    openBoth(9600, flow);
    SimRig::runChip(b);
    rig->clock.sleep(200);  // far longer than the sign-on takes
    QCOMPARE(rig->collect(a, 200), received);
    QCOMPARE(rig->eval().overrunCount(ChannelId::A), overruns);
}

void SimBoardTest::dataModeLoopsBytesBackAndRaisesDsr() {
    openBoth();
    SimRig::runChip(b);
    rig->collect(a, 100);
    std::uint32_t modem = 0;
    QCOMPARE(HX_GetModemStatus(a, &modem), hx::Ok);
    QCOMPARE(modem, hx::ModemStatusCts);

    QCOMPARE(HX_SetDtr(a), hx::Ok);
    QCOMPARE(HX_GetModemStatus(a, &modem), hx::Ok);
    QCOMPARE(modem, hx::ModemStatusCts | hx::ModemStatusDsr);
    const QByteArray data = QByteArray("FWV\r") + bytesOf({0x00, 0xFF, 0x0D});
    SimRig::send(a, data);
    QCOMPARE(rig->collect(a, 100), data);

    QCOMPARE(HX_ClrDtr(a), hx::Ok);
    QCOMPARE(HX_GetModemStatus(a, &modem), hx::Ok);
    QCOMPARE(modem, hx::ModemStatusCts);
    SimRig::send(a, "FWV\r");
    QCOMPARE(rig->collect(a, 100), QByteArray("\rTarvik Monitor 1.0\rD:\\>\r"));

    // A chip held in reset acknowledges nothing, whatever DTR says.
    QCOMPARE(HX_SetDtr(a), hx::Ok);
    SimRig::holdInReset(b);
    QCOMPARE(HX_GetModemStatus(a, &modem), hx::Ok);
    QCOMPARE(modem & hx::ModemStatusDsr, 0u);
}

void SimBoardTest::unreadEchoStallsTheWriterWithNothingLost() {
    constexpr std::size_t dataMemory = 4096;
    rig->eval().setDataMemory(dataMemory);
    openBoth();
    SimRig::runChip(b);
    QCOMPARE(rig->collect(a, 100), signOn);
    QCOMPARE(HX_SetDtr(a), hx::Ok);
    QCOMPARE(HX_SetTimeouts(a, 1000, 10'000), hx::Ok);
    QCOMPARE(HX_ClrRts(a), hx::Ok);

    // The echo piles up in the chip, then the bridge's buffer fills.
    QByteArray data;
    for (int i = 0; i < 20'000; ++i) {
        data.append(static_cast<char>(i % 251));
    }
    const std::uint32_t accepted = SimRig::send(a, data);
    QCOMPARE(accepted, std::uint32_t(dataMemory + SimChannel::transmitCapacity));
    std::uint32_t modem = 0;
    QCOMPARE(HX_GetModemStatus(a, &modem), hx::Ok);
    QCOMPARE(modem, hx::ModemStatusDsr);

    QCOMPARE(HX_SetRts(a), hx::Ok);
    QCOMPARE(rig->collect(a, 9000), data.left(static_cast<qsizetype>(accepted)));
    QCOMPARE(rig->eval().overrunCount(ChannelId::A), 0u);
}

// A file sent in data mode as the program sends it, in 4096-byte writes with
// nothing read meanwhile: the chip takes it at the wire rate and holds the
// echo until the program reads it.
void SimBoardTest::dataModeTakesALargeSendAtTheWireRate_data() {
    QTest::addColumn<bool>("echo");
    QTest::newRow("echoed") << true;
    QTest::newRow("echo off") << false;
}

void SimBoardTest::dataModeTakesALargeSendAtTheWireRate() {
    QFETCH(bool, echo);
    constexpr int chunk = 4096;
    const QByteArray data = patterned(1024 * 1024, 7, 251);
    rig->eval().setDataEcho(echo);
    monitorAtFullSpeed();
    QCOMPARE(HX_SetDtr(a), hx::Ok);

    const std::int64_t before = rig->clock.peekNanoseconds();
    for (qsizetype at = 0; at < data.size(); at += chunk) {
        QCOMPARE(SimRig::send(a, data.mid(at, chunk)), std::uint32_t(chunk));
    }
    const std::int64_t elapsed = rig->clock.peekNanoseconds() - before;
    // The last write returns with its bytes still in the transmit buffer.
    const std::int64_t wireTime = wire::byteTimeNs(SimBoard::highestBaudRate) *
                                  (data.size() - std::int64_t{SimChannel::transmitCapacity});
    QVERIFY2(elapsed < wireTime + 5'000'000, qPrintable(QString::number(elapsed - wireTime)));

    QCOMPARE(rig->collect(a, 4000), echo ? data : QByteArray());
    QCOMPARE(rig->eval().dataReceived(), data);
    QCOMPARE(rig->eval().overrunCount(ChannelId::A), 0u);
}

void SimBoardTest::bytesGivenInDataModeReachTheProgramWhole() {
    monitorAtFullSpeed();
    // More than channel A's receive queue holds.
    const QByteArray data = patterned(600 * 1024, 7, 251);
    QVERIFY(!rig->eval().sendInDataMode(data));  // the monitor is in command mode
    QCOMPARE(HX_SetDtr(a), hx::Ok);
    QCOMPARE(HX_ClrRts(a), hx::Ok);
    QVERIFY(rig->eval().sendInDataMode(data));
    QCOMPARE(rig->collect(a, 100), QByteArray());

    QCOMPARE(HX_SetRts(a), hx::Ok);
    rig->clock.sleep(3000);  // longer than the bytes take: the queue fills
    QCOMPARE(rig->collect(a, 3000), data);
    QCOMPARE(rig->eval().overrunCount(ChannelId::A), 0u);
    QVERIFY(rig->eval().dataReceived().isEmpty());
}

void SimBoardTest::largeWriteTakesItsWireTime() {
    openBoth(115200);
    SimRig::runChip(b);
    const QByteArray data(40'000, 'A');
    const std::int64_t before = rig->clock.peekNanoseconds();
    QCOMPARE(SimRig::send(a, data), 40'000u);
    const std::int64_t elapsed = rig->clock.peekNanoseconds() - before;
    // All but the last transmit buffer's worth has crossed the wire.
    const std::int64_t wireTime = wire::byteTimeNs(115200) * (40'000 - 4096);
    QVERIFY2(elapsed >= wireTime, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < wireTime + 50'000'000, qPrintable(QString::number(elapsed)));
    QCOMPARE(rig->eval().writes(ChannelId::A).back(), data);
}

void SimBoardTest::receivedBytesBecomeReadableAtTheNextMicroframe_data() {
    QTest::addColumn<std::int64_t>("arrivalNs");
    QTest::addColumn<std::int64_t>("nowNs");
    QTest::addColumn<int>("readable");
    constexpr std::int64_t frame = SimChannel::microframeNs;
    QTest::newRow("same microframe") << frame + 10 << 2 * frame - 1 << 0;
    QTest::newRow("next boundary") << frame + 10 << 2 * frame << 1;
    QTest::newRow("on a boundary") << 2 * frame << 2 * frame << 0;
    QTest::newRow("much later") << frame << 9 * frame << 1;
}

void SimBoardTest::receivedBytesBecomeReadableAtTheNextMicroframe() {
    QFETCH(std::int64_t, arrivalNs);
    QFETCH(std::int64_t, nowNs);
    QFETCH(int, readable);
    SimChannel channel;
    channel.reopen();
    channel.deliver(0x41, arrivalNs);
    channel.reportArrivals(nowNs);
    QCOMPARE(static_cast<int>(channel.readable()), readable);
}

// The wait of an idle polling loop: it ends when the answer is readable, or
// when its time is up with nothing to read.
void SimBoardTest::waitForReceiveSleepsUntilTheAnswerOrTheTimeout() {
    openBoth();
    SimRig::runChip(b);
    QCOMPARE(rig->collect(a, 100), signOn);

    std::int64_t before = rig->clock.peekNanoseconds();
    QCOMPARE(WaitForReceive(a, 50'000), hx::Ok);
    QVERIFY(rig->clock.peekNanoseconds() - before >= 50'000'000);
    QCOMPARE(SimRig::readWaiting(a), QByteArray());

    SimRig::send(a, "FWV\r");
    before = rig->clock.peekNanoseconds();
    QCOMPARE(WaitForReceive(a, 50'000), hx::Ok);
    const std::int64_t waited = rig->clock.peekNanoseconds() - before;
    // The command's last byte reaches the chip after 4 byte times at 9600
    // baud; the first answer byte one byte time later.
    QVERIFY2(waited >= 4 * wire::byteTimeNs(9600), qPrintable(QString::number(waited)));
    QVERIFY2(waited < 7 * wire::byteTimeNs(9600), qPrintable(QString::number(waited)));
    QVERIFY(!SimRig::readWaiting(a).isEmpty());
}

void SimBoardTest::stalledWriteReturnsShortAfterTheTimeout_data() {
    QTest::addColumn<std::uint32_t>("timeoutMs");
    QTest::addColumn<std::int64_t>("expectedMs");

    QTest::newRow("none set") << 0u << std::int64_t{5000};
    QTest::newRow("1000 ms") << 1000u << std::int64_t{1000};
}

void SimBoardTest::stalledWriteReturnsShortAfterTheTimeout() {
    QFETCH(std::uint32_t, timeoutMs);
    QFETCH(std::int64_t, expectedMs);

    openBoth();
    SimRig::runChip(b);
    QCOMPARE(HX_SetTimeouts(a, 1000, timeoutMs), hx::Ok);
    rig->eval().setChipCtsLow(true);
    std::uint32_t modem = 0;
    QCOMPARE(HX_GetModemStatus(a, &modem), hx::Ok);
    QCOMPARE(modem & hx::ModemStatusCts, 0u);

    const std::int64_t before = rig->clock.milliseconds();
    QCOMPARE(SimRig::send(a, QByteArray(10'000, 'x')), std::uint32_t(SimChannel::transmitCapacity));
    const std::int64_t elapsed = rig->clock.milliseconds() - before;
    QVERIFY2(elapsed >= expectedMs && elapsed < expectedMs + 20,
             qPrintable(QString::number(elapsed)));
}

void SimBoardTest::shortWriteFaultAcceptsOnlyTheGivenCount() {
    openBoth();
    SimRig::runChip(b);
    rig->collect(a, 100);
    rig->eval().writeShortOnce(ChannelId::A, 2);
    QCOMPARE(SimRig::send(a, "FWV\r"), 2u);
    QCOMPARE(SimRig::send(a, "V\r"), 2u);
    const auto& writes = rig->eval().writes(ChannelId::A);
    QCOMPARE(writes.size(), std::size_t{2});
    QCOMPARE(writes[0], QByteArray("FW"));
    QCOMPARE(writes[1], QByteArray("V\r"));
    QCOMPARE(rig->collect(a, 100), QByteArray("\rTarvik Monitor 1.0\rD:\\>\r"));
}

void SimBoardTest::silentChipAnswersNothing() {
    openBoth();
    SimRig::runChip(b);
    const QByteArray before = rig->collect(a, 10);
    QVERIFY(signOn.startsWith(before) && before.size() < signOn.size());
    // Silenced in the middle of its sign-on: the rest never comes.
    rig->eval().setChipSilent(true);
    QCOMPARE(rig->collect(a, 100), QByteArray());
    SimRig::send(a, "FWV\r");
    QCOMPARE(rig->collect(a, 200), QByteArray());
    rig->eval().setChipSilent(false);
    SimRig::send(a, "FWV\r");
    QCOMPARE(rig->collect(a, 100), QByteArray("\rTarvik Monitor 1.0\rD:\\>\r"));
}

QTEST_GUILESS_MAIN(SimBoardTest)
#include "tst_sim_board.moc"
