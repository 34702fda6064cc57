// The boot link pieces that the simulated board cannot make fail on demand:
// each set-up call's failure, the speed change's pause, and the bounds of
// every wait for the chip, against the scripted backend.
#include <QTest>
#include <memory>

#include "BootLink.h"
#include "DeviceLink.h"
#include "DriverRegistry.h"
#include "ModeLoop.h"
#include "ScriptedBackend.h"
#include "ScriptedDialogs.h"
#include "SelfAdvancingClock.h"
#include "TestLink.h"

Q_DECLARE_METATYPE(TimeOfDay)

class BootLinkTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void configureStopsAtTheFirstFailure_data();
    void configureStopsAtTheFirstFailure();
    void speedChangeIsOneWriteAndAPause_data();
    void speedChangeIsOneWriteAndAPause();
    void awaitBootAnswerGivesUpAfterOneSecond();
    void syncPhaseTimesOutAfterTwoSeconds_data();
    void syncPhaseTimesOutAfterTwoSeconds();

  private:
    void open(SelfAdvancingClock::Steps steps = {}, TimeOfDay start = {10, 0, 0, 0});

    std::shared_ptr<ScriptedBackend> backend;
    ScriptedDialogs dialogs;
    std::unique_ptr<SelfAdvancingClock> clock;
    std::unique_ptr<DeviceLink> link;
    std::unique_ptr<ModeLoop> loop;
    StopToken stop;
    std::unique_ptr<BootLink> bootLink;
};

void BootLinkTest::init() {
    backend = ScriptedBackend::installFresh();
    dialogs.clear();
    open();
}

void BootLinkTest::open(SelfAdvancingClock::Steps steps, TimeOfDay start) {
    clock = std::make_unique<SelfAdvancingClock>(steps, start);
    link = std::make_unique<DeviceLink>(dialogs);
    QVERIFY(openChannelAByHand(*link, QStringLiteral("X A")));
    loop = std::make_unique<ModeLoop>(*clock);
    bootLink = std::make_unique<BootLink>(*link, *loop, stop);
    backend->clearLog();
}

void BootLinkTest::cleanup() {
    bootLink.reset();
    link.reset();
    DriverRegistry::instance().reset();
}

void BootLinkTest::configureStopsAtTheFirstFailure_data() {
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("calls");
    const QStringList all = {"setBaudRate X A 1000000",
                             "setDataCharacteristics X A 8 0 0",
                             "setFlowControl X A 256 0 0",
                             "setRts X A 1",
                             "setDtr X A 1",
                             "setTimeouts X A 1000 1000"};
    QTest::newRow("none") << QString() << all;
    QTest::newRow("baud rate") << "setBaudRate" << all.mid(0, 1);
    QTest::newRow("data characteristics") << "setDataCharacteristics" << all.mid(0, 2);
    QTest::newRow("flow control") << "setFlowControl" << all.mid(0, 3);
    QTest::newRow("RTS") << "setRts" << all.mid(0, 4);
    QTest::newRow("DTR") << "setDtr" << all.mid(0, 5);
    QTest::newRow("time-outs, not examined") << "setTimeouts" << all;
}

void BootLinkTest::configureStopsAtTheFirstFailure() {
    QFETCH(QString, failing);
    QFETCH(QStringList, calls);
    if (!failing.isEmpty()) {
        backend->fail(failing.toStdString(), hx::IoError);
    }
    const DriverStatus status = bootLink->ConfigureBootLink(link->HandleA, BootLink::FastBootRate);
    const bool stops = !failing.isEmpty() && failing != QLatin1String("setTimeouts");
    QCOMPARE(status, stops ? hx::IoError : hx::Ok);
    QCOMPARE(backend->calls(), calls);
    // These calls are made without the wrapper's dialogs.
    QVERIFY(dialogs.errors.isEmpty());
}

void BootLinkTest::speedChangeIsOneWriteAndAPause_data() {
    QTest::addColumn<bool>("writtenShort");
    QTest::newRow("written whole") << false;
    QTest::newRow("written short") << true;
}

void BootLinkTest::speedChangeIsOneWriteAndAPause() {
    QFETCH(bool, writtenShort);
    if (writtenShort) {
        backend->writeShortOnce(4);
    }
    const std::int64_t before = clock->peekNanoseconds();
    const DriverStatus status = bootLink->SendSpeedChange(link->HandleA);
    QCOMPARE(status, writtenShort ? hx::FailedToWrite : hx::Ok);
    QCOMPARE(backend->writes().size(), std::size_t{1});
    const QByteArray command("\x01\x70\x17\x03\x00\x00", 6);
    QCOMPARE(backend->writes().front().bytes, writtenShort ? command.left(4) : command);
    QVERIFY(clock->peekNanoseconds() - before >= 1'000'000'000);
    // The unsent tail is not sent later in front of the next message.
    QCOMPARE(link->WriteCountA, 0);
}

void BootLinkTest::awaitBootAnswerGivesUpAfterOneSecond() {
    const std::int64_t before = clock->peekNanoseconds();
    QCOMPARE(bootLink->AwaitBootAnswer(link->HandleA), std::optional<std::uint8_t>{});
    const std::int64_t waited = clock->peekNanoseconds() - before;
    QVERIFY(waited >= 1'000'000'000);
    QVERIFY(waited < 1'100'000'000);
}

void BootLinkTest::syncPhaseTimesOutAfterTwoSeconds_data() {
    QTest::addColumn<TimeOfDay>("start");
    QTest::addColumn<qint64>("nsPerReading");
    QTest::addColumn<QByteArray>("waiting");
    QTest::addColumn<bool>("confirmSent");
    const qint64 usual = SelfAdvancingClock::Steps{}.perReadingNs;
    // Elapsed time reads negative once the day turns over.
    QTest::newRow("silent chip, phase 1 across midnight")
        << TimeOfDay{23, 59, 59, 500} << usual << QByteArray() << false;
    QTest::newRow("0xFF echoed, 0xFA never: phase 2")
        << TimeOfDay{10, 0, 0, 0} << usual << QByteArray("\xFF") << true;
    // The time-out is tested before the byte that arrived with it.
    QTest::newRow("0xFF read in the pass that times out")
        << TimeOfDay{10, 0, 0, 0} << qint64{2'000'000'000} << QByteArray("\xFF") << false;
}

void BootLinkTest::syncPhaseTimesOutAfterTwoSeconds() {
    QFETCH(TimeOfDay, start);
    QFETCH(qint64, nsPerReading);
    QFETCH(QByteArray, waiting);
    QFETCH(bool, confirmSent);
    open({nsPerReading, SelfAdvancingClock::Steps{}.perYieldNs}, start);
    backend->queueReceived("X A", waiting);
    const std::int64_t before = clock->peekNanoseconds();
    QVERIFY(!bootLink->SyncBootLoader(link->HandleA));
    const std::int64_t waited = clock->peekNanoseconds() - before;
    QVERIFY(waited >= 2'000'000'000);
    // Two readings open and close the phase.
    QVERIFY(waited < 2'100'000'000 + 2 * nsPerReading);
    QCOMPARE(backend->writes().back().bytes, QByteArray(confirmSent ? "\xFA" : "\xFF"));
}

QTEST_MAIN(BootLinkTest)
#include "tst_bootlink.moc"
