// The three control-line patterns on channel B against the scripted backend:
// the exact calls and bytes, in order, and what a failing call leaves behind.
#include <QTest>
#include <functional>
#include <memory>

#include "ControlLines.h"
#include "DeviceLink.h"
#include "DriverRegistry.h"
#include "ScriptedBackend.h"
#include "ScriptedDialogs.h"

using Pattern = std::function<void(ControlLines&)>;
Q_DECLARE_METATYPE(Pattern)

class ControlLinesTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void patternsDriveChannelBInOrder_data();
    void patternsDriveChannelBInOrder();
    void enterBootLoaderStopsAfterAFailedFirstWrite();
    void failedLineCallsAreReportedAndThePatternStillGoesOut();
    void boardWithoutChannelBIsLeftAlone_data();
    void boardWithoutChannelBIsLeftAlone();

  private:
    QStringList channelBCalls() const;

    std::shared_ptr<ScriptedBackend> backend;
    ScriptedDialogs dialogs;
    std::unique_ptr<DeviceLink> link;
    std::unique_ptr<ControlLines> lines;
};

void ControlLinesTest::init() {
    backend = ScriptedBackend::installFresh();
    dialogs.clear();
    link = std::make_unique<DeviceLink>(dialogs);
    link->ChannelBName = QStringLiteral("X B");
    lines = std::make_unique<ControlLines>(*link);
}

void ControlLinesTest::cleanup() {
    lines.reset();
    link.reset();
    DriverRegistry::instance().reset();
}

QStringList ControlLinesTest::channelBCalls() const {
    QStringList calls;
    for (const QString& call : backend->calls()) {
        if (call.contains(QLatin1String(" X B"))) {
            calls << call;
        }
    }
    return calls;
}

void ControlLinesTest::patternsDriveChannelBInOrder_data() {
    QTest::addColumn<Pattern>("pattern");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QByteArray>("bytes");
    const QStringList opening = {"open X B", "queueStatus X B", "setDtr X B 0", "setRts X B 0"};
    QTest::newRow("RunChip") << Pattern([](ControlLines& l) {
        l.RunChip();
    }) << (opening + QStringList{"write X B 1", "setBitMode X B 148 4", "write X B 1"})
                             << QByteArray("\x14\x14", 2);
    QTest::newRow("EnterBootLoader")
        << Pattern([](ControlLines& l) { QCOMPARE(l.EnterBootLoader(), hx::Ok); })
        << (opening + QStringList{"setBitMode X B 148 4", "write X B 1", "write X B 1"})
        << QByteArray("\x00\x04", 2);
    QTest::newRow("HoldChipInReset")
        << Pattern([](ControlLines& l) { l.HoldChipInReset(); })
        << (opening + QStringList{"setBitMode X B 148 4", "write X B 1"}) << QByteArray("\x10", 1);
}

void ControlLinesTest::patternsDriveChannelBInOrder() {
    QFETCH(Pattern, pattern);
    QFETCH(QStringList, calls);
    QFETCH(QByteArray, bytes);
    pattern(*lines);
    QCOMPARE(channelBCalls(), calls);
    QByteArray sent;
    for (const auto& write : backend->writes()) {
        QCOMPARE(write.device, std::string("X B"));
        QCOMPARE(write.bytes.size(), 1);
        sent += write.bytes;
    }
    QCOMPARE(sent, bytes);
    QVERIFY(link->ChannelBOpen);
    QCOMPARE(link->CurrentHandle, link->HandleB);
    QCOMPARE(link->WriteCountB, 0);
    QVERIFY(dialogs.errors.isEmpty());
}

// A reset pulse whose release never went out must not be followed by the
// release: the chip would come up in whatever the half-sent pattern left.
void ControlLinesTest::enterBootLoaderStopsAfterAFailedFirstWrite() {
    lines->HoldChipInReset();
    backend->clearLog();
    backend->writeShortOnce(0);
    QCOMPARE(lines->EnterBootLoader(), hx::FailedToWrite);
    QCOMPARE(backend->calls().filter(QStringLiteral("write")).size(), 1);
    QCOMPARE(link->WriteCountB, 0);
    // The unsent byte is not sent late in front of the next pattern.
    lines->HoldChipInReset();
    QCOMPARE(backend->writes().back().bytes, QByteArray("\x10", 1));
}

void ControlLinesTest::failedLineCallsAreReportedAndThePatternStillGoesOut() {
    backend->fail("setDtr", 4);
    backend->fail("setRts", 4);
    lines->HoldChipInReset();
    QCOMPARE(dialogs.errors,
             (QStringList{"HX_ClrDTR - General IO Error...", "HX_ClrRTS - General IO Error..."}));
    QCOMPARE(backend->writes().back().bytes, QByteArray("\x10", 1));
}

// A port with one channel only: no call goes to a handle that is not there,
// and nothing is reported, since nothing failed.
void ControlLinesTest::boardWithoutChannelBIsLeftAlone_data() {
    QTest::addColumn<Pattern>("pattern");
    QTest::newRow("RunChip") << Pattern([](ControlLines& l) { l.RunChip(); });
    QTest::newRow("EnterBootLoader")
        << Pattern([](ControlLines& l) { QCOMPARE(l.EnterBootLoader(), hx::DeviceNotFound); });
    QTest::newRow("HoldChipInReset") << Pattern([](ControlLines& l) { l.HoldChipInReset(); });
}

void ControlLinesTest::boardWithoutChannelBIsLeftAlone() {
    QFETCH(Pattern, pattern);
    backend->setDevices({"X A"});
    pattern(*lines);
    QVERIFY(!link->ChannelBOpen);
    QCOMPARE(channelBCalls(), QStringList());
    QVERIFY(dialogs.errors.isEmpty());
}

QTEST_GUILESS_MAIN(ControlLinesTest)
#include "tst_controllines.moc"
