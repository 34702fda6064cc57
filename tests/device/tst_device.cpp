// The device link against a scripted driver backend: status texts, staged
// writes and short writes, channel closing, listing and opening by description.
#include <QTest>
#include <memory>

#include "DeviceLink.h"
#include "DriverContext.h"
#include "DriverRegistry.h"
#include "HxDriver.h"
#include "ScriptedBackend.h"
#include "ScriptedDialogs.h"
#include "TestLink.h"

class DeviceTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void statusTexts_data();
    void statusTexts();
    void everyReportingOperationNamesItself_data();
    void everyReportingOperationNamesItself();
    void applyLatencyFailsSilently();
    void applyOperationsPassTheFields();

    void flushSendsStagedBytesInOneWrite();
    void shortWriteKeepsTheUnsentRemainder();
    void fullStagingBufferGoesOutInsteadOfOverrunning();
    void readsFillTheirChannelsBufferInPieces_data();
    void readsFillTheirChannelsBufferInPieces();

    void closeChannelAWhenClosedMakesNoCall();
    void closeChannelBLeavesItsHandleCurrent();
    void failedCloseStillMarksTheChannelClosed();

    void listingKeepsReadableDescriptionsInOrder();
    void listingStopsAtTwentySlots();
    void failedCountLeavesTheListAlone();
    void portNameHelpers_data();
    void portNameHelpers();
    void longDescriptionsAreCutTo49AndStillOpen();
    void description49LongOpensWhole();
    void unlistedNameOpensNothingAndSaysNothing();
    void noDeviceFindsNothing();
    void refusedOpenIsReported();
    void foundChannelIsOpenedAndItsQueueRead();
    void aNewerDriverContextHidesTheOlderOneUntilItEnds();

    void byteToHex_data();
    void byteToHex();

  private:
    void openA(const std::string& description = "X A");

    std::shared_ptr<ScriptedBackend> backend;
    ScriptedDialogs dialogs;
    std::unique_ptr<DeviceLink> link;
};

void DeviceTest::init() {
    backend = ScriptedBackend::installFresh();
    dialogs.clear();
    link = std::make_unique<DeviceLink>(dialogs);
}

void DeviceTest::cleanup() {
    DriverRegistry::instance().reset();
}

void DeviceTest::openA(const std::string& description) {
    QVERIFY(openChannelAByHand(*link, QString::fromStdString(description)));
    backend->clearLog();
}

void DeviceTest::statusTexts_data() {
    QTest::addColumn<uint>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1u << "HX_Close - Invalid Handle...";
    QTest::newRow("2") << 2u << "HX_Close - Device Not Found....";
    QTest::newRow("3") << 3u << "HX_Close - Device Not Opened...";
    QTest::newRow("4") << 4u << "HX_Close - General IO Error...";
    QTest::newRow("5") << 5u << "HX_Close - Insufficient Resources...";
    QTest::newRow("6") << 6u << "HX_Close - Invalid Parameter ...";
    QTest::newRow("7") << 7u << "HX_Close - Invalid baud rate ...";
    QTest::newRow("8") << 8u << "HX_Close Device not opened for erase  ...";
    QTest::newRow("9") << 9u << "HX_Close Device not opened for write ...";
    QTest::newRow("10") << 10u << "HX_Close - Failed to write ...";
    QTest::newRow("11") << 11u << "HX_Close - EEPROM read Failed ...";
    QTest::newRow("12") << 12u << "HX_Close - EEPROM write failed ...";
    QTest::newRow("13") << 13u << "HX_Close - EEPROM erase failed ...";
    QTest::newRow("14") << 14u << "HX_Close - EEPROM not present ...";
    QTest::newRow("15") << 15u << "HX_Close - EEPROM not programmed ...";
    QTest::newRow("16") << 16u << "HX_Close - invalid Arguments ...";
    QTest::newRow("17") << 17u << "HX_Close - other error  ...";
    QTest::newRow("above 17") << 42u << "HX_Close - unknown error, status 42 ...";
}

// A failing close shows the operation's name followed directly by the status text.
void DeviceTest::statusTexts() {
    QFETCH(uint, status);
    QFETCH(QString, text);
    openA();
    backend->fail("close", status);
    link->CloseChannelA();
    QCOMPARE(dialogs.errors, QStringList{text});
    QVERIFY(!link->ChannelAOpen);
}

void DeviceTest::everyReportingOperationNamesItself_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("name");
    QTest::newRow("RaiseRts") << "setRts"
                              << "HX_SetRTS";
    QTest::newRow("RaiseDtr") << "setDtr"
                              << "HX_SetDTR";
    QTest::newRow("LowerDtr") << "setDtr"
                              << "HX_ClrDTR";
    QTest::newRow("ApplyBaudRate") << "setBaudRate"
                                   << "HX_SetBaudRate";
    QTest::newRow("ApplyDataCharacteristics") << "setDataCharacteristics"
                                              << "HX_SetDataCharacteristics";
    QTest::newRow("ApplyFlowControl") << "setFlowControl"
                                      << "HX_SetFlowControl";
    QTest::newRow("FetchModemStatus") << "modemStatus"
                                      << "HX_GetModemStatus";
    QTest::newRow("FetchQueueStatus") << "queueStatus"
                                      << "HX_GetQueueStatus";
    QTest::newRow("ApplySpecialChars") << "setChars"
                                       << "HX_SetChars";
    QTest::newRow("ReadToBufferA") << "read"
                                   << "HX_Read";
}

void DeviceTest::everyReportingOperationNamesItself() {
    QFETCH(QString, operation);
    QFETCH(QString, name);
    openA();
    backend->fail(operation.toStdString(), 4);
    const std::map<QString, std::function<void()>> calls = {
        {"HX_SetRTS", [&] { QCOMPARE(link->RaiseRts(), 4u); }},
        {"HX_SetDTR", [&] { QCOMPARE(link->RaiseDtr(), 4u); }},
        {"HX_ClrDTR", [&] { QCOMPARE(link->LowerDtr(), 4u); }},
        {"HX_SetBaudRate", [&] { QCOMPARE(link->ApplyBaudRate(), 4u); }},
        {"HX_SetDataCharacteristics", [&] { QCOMPARE(link->ApplyDataCharacteristics(), 4u); }},
        {"HX_SetFlowControl", [&] { QCOMPARE(link->ApplyFlowControl(), 4u); }},
        {"HX_GetModemStatus", [&] { QCOMPARE(link->FetchModemStatus(), 4u); }},
        {"HX_GetQueueStatus", [&] { QCOMPARE(link->FetchQueueStatus(), 4u); }},
        {"HX_SetChars", [&] { QCOMPARE(link->ApplySpecialChars(), 4u); }},
        {"HX_Read", [&] { QCOMPARE(link->ReadToBufferA(10), 0u); }},
    };
    calls.at(name)();
    QCOMPARE(dialogs.errors, QStringList{name + " - General IO Error..."});
}

void DeviceTest::applyLatencyFailsSilently() {
    openA();
    backend->fail("setLatencyTimer", 1);
    QCOMPARE(link->ApplyLatency(16), 1u);
    QVERIFY(dialogs.errors.isEmpty());
    link->CurrentHandle = 0xDEAD;  // never handed out
    QCOMPARE(link->ApplyLatency(16), hx::InvalidHandle);
    QVERIFY(dialogs.errors.isEmpty());
}

void DeviceTest::applyOperationsPassTheFields() {
    openA();
    link->BaudRate = 115200;
    link->WordLength = 8;
    link->StopBits = 0;
    link->Parity = 0;
    link->FlowControl = 0x100;
    link->EventChar = 13;
    link->EventCharEnabled = true;
    link->ApplyBaudRate();
    link->ApplyDataCharacteristics();
    link->ApplyFlowControl();
    link->ApplySpecialChars();
    link->ApplyLatency(16);
    QCOMPARE(backend->calls(),
             (QStringList{"setBaudRate X A 115200", "setDataCharacteristics X A 8 0 0",
                          "setFlowControl X A 256 17 19", "setChars X A 13 1 0 0",
                          "setLatencyTimer X A 16"}));
}

void DeviceTest::flushSendsStagedBytesInOneWrite() {
    openA();
    for (char c : QByteArray("dir\r")) {
        link->PutByteA(static_cast<std::uint8_t>(c));
    }
    std::uint32_t written = 0;
    QCOMPARE(link->FlushBufferA(link->HandleA, link->WriteCountA, written), hx::Ok);
    QCOMPARE(written, 4u);
    QCOMPARE(link->WriteCountA, 0);
    QCOMPARE(backend->writes().size(), std::size_t{1});
    QCOMPARE(backend->writes()[0].bytes, QByteArray("dir\r"));
}

// The unsent remainder stays counted and goes out, in order, with the next flush.
void DeviceTest::shortWriteKeepsTheUnsentRemainder() {
    openA();
    for (std::uint8_t b = 0; b < 10; ++b) {
        link->PutByteA(b);
    }
    backend->writeShortOnce(6);
    std::uint32_t written = 0;
    QCOMPARE(link->FlushBufferA(link->HandleA, link->WriteCountA, written), hx::FailedToWrite);
    QCOMPARE(written, 6u);
    QCOMPARE(link->WriteCountA, 4);
    QVERIFY(dialogs.errors.isEmpty());

    QCOMPARE(link->FlushBufferA(link->HandleA, link->WriteCountA, written), hx::Ok);
    QCOMPARE(backend->writes()[1].bytes, QByteArray::fromHex("06070809"));
    QCOMPARE(link->WriteCountA, 0);
}

void DeviceTest::fullStagingBufferGoesOutInsteadOfOverrunning() {
    openA();
    for (std::uint32_t i = 0; i < DeviceLink::BufferSize + 3; ++i) {
        link->PutByteA(static_cast<std::uint8_t>(i));
    }
    QCOMPARE(backend->writes().size(), std::size_t{1});
    QCOMPARE(backend->writes()[0].bytes.size(), qsizetype{DeviceLink::BufferSize});
    QCOMPARE(link->WriteCountA, 3);
    QCOMPARE(link->WriteBufferA[0], std::uint8_t(DeviceLink::BufferSize & 0xFF));
}

void DeviceTest::readsFillTheirChannelsBufferInPieces_data() {
    QTest::addColumn<bool>("channelB");
    QTest::newRow("ReadToBufferA") << false;
    QTest::newRow("ReadToBufferB") << true;
}

void DeviceTest::readsFillTheirChannelsBufferInPieces() {
    QFETCH(bool, channelB);
    openA();
    const auto readToBuffer = [&](std::uint32_t count) {
        return channelB ? link->ReadToBufferB(count) : link->ReadToBufferA(count);
    };
    const auto& buffer = channelB ? link->ReadBufferB : link->ReadBufferA;
    const auto& otherBuffer = channelB ? link->ReadBufferA : link->ReadBufferB;
    backend->queueReceived("X A", QByteArray(DeviceLink::BufferSize, 'x') + QByteArray(100, 'y'));
    QCOMPARE(link->FetchQueueStatus(), hx::Ok);
    QCOMPARE(link->RxQueueCount, DeviceLink::BufferSize + 100);
    QCOMPARE(readToBuffer(link->RxQueueCount), DeviceLink::BufferSize);
    QCOMPARE(buffer.back(), std::uint8_t{'x'});
    link->FetchQueueStatus();
    QCOMPARE(link->RxQueueCount, 100u);
    QCOMPARE(readToBuffer(link->RxQueueCount), 100u);
    QCOMPARE(buffer[99], std::uint8_t{'y'});
    QCOMPARE(otherBuffer[0], std::uint8_t{0});
}

void DeviceTest::closeChannelAWhenClosedMakesNoCall() {
    link->CurrentHandle = 77;
    link->CloseChannelA();
    link->CloseChannelB();
    QVERIFY(backend->calls().isEmpty());
    QCOMPARE(link->CurrentHandle, HxHandle{77});
}

void DeviceTest::closeChannelBLeavesItsHandleCurrent() {
    QVERIFY(link->FindAndOpenChannel("X B"));
    link->HandleB = link->CurrentHandle;
    link->ChannelBOpen = true;
    openA();
    link->SelectChannelA();
    link->CloseChannelB();
    QCOMPARE(link->CurrentHandle, link->HandleB);
    QVERIFY(!link->ChannelBOpen);
    QCOMPARE(backend->calls(), QStringList{"close X B"});
    // Channel A is still open, but the current handle is B's stale one.
    QCOMPARE(link->FetchQueueStatus(), hx::InvalidHandle);
    link->SelectChannelA();
    QCOMPARE(link->FetchQueueStatus(), hx::Ok);
}

void DeviceTest::failedCloseStillMarksTheChannelClosed() {
    openA();
    backend->fail("close", 8);
    link->CloseChannelA();
    QVERIFY(!link->ChannelAOpen);
    QCOMPARE(backend->openChannelCount(), 0);
}

void DeviceTest::listingKeepsReadableDescriptionsInOrder() {
    backend->setDevices({"X A", "X B", "Y A", "Y B", "Z"});
    backend->failDescription(1, 4);
    std::array<QString, DeviceLink::DeviceListSlots> list;
    link->ListDescriptions(list);
    QCOMPARE(list[0], QString("X A"));
    QCOMPARE(list[1], QString("Y A"));
    QCOMPARE(list[2], QString("Y B"));
    QCOMPARE(list[3], QString("Z"));
    QVERIFY(list[4].isEmpty());
    QVERIFY(dialogs.errors.isEmpty());
}

// More than ten boards: the first twenty readable descriptions are kept.
void DeviceTest::listingStopsAtTwentySlots() {
    std::vector<std::string> many;
    for (int i = 0; i < 30; ++i) {
        many.push_back("Board" + std::to_string(i) + (i % 2 ? " B" : " A"));
    }
    backend->setDevices(many);
    std::array<QString, DeviceLink::DeviceListSlots> list;
    link->ListDescriptions(list);
    QCOMPARE(list[19], QString("Board19 B"));
    // A channel beyond the list can still be opened by its name.
    QVERIFY(link->FindAndOpenChannel("Board24 A"));
}

void DeviceTest::failedCountLeavesTheListAlone() {
    backend->fail("count", 4);
    std::array<QString, DeviceLink::DeviceListSlots> list;
    list[0] = "kept";
    link->ListDescriptions(list);
    QCOMPARE(list[0], QString("kept"));
    QVERIFY(!link->FindAndOpenChannel("X A"));
    QVERIFY(dialogs.errors.isEmpty());
}

void DeviceTest::portNameHelpers_data() {
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("channelA");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("X A") << "X A" << true << "X";
    QTest::newRow("X B") << "X B" << false << "X";
    QTest::newRow("Z") << "Z" << false << "";
    QTest::newRow("DATA") << "DATA" << true << "DA";
    QTest::newRow("A") << "A" << true << "";
    QTest::newRow("lower a") << "x a" << false << "x";
}

void DeviceTest::portNameHelpers() {
    QFETCH(QString, description);
    QFETCH(bool, channelA);
    QFETCH(QString, stripped);
    QCOMPARE(IsChannelADescription(description), channelA);
    QCOMPARE(StripChannelSuffix(description), stripped);
}

// The library never writes more than 50 bytes into the description buffer:
// a longer description is listed cut to 49 characters and opens by that name.
// Byte 49 is zero after every listing, also behind a short description.
void DeviceTest::longDescriptionsAreCutTo49AndStillOpen() {
    const std::string longName(60, 'L');
    backend->setDevices({"X A", longName + " A"});
    link->DescriptionBuffer.fill('#');
    QCOMPARE(link->ListDescriptionByIndex(0), hx::Ok);
    QCOMPARE(link->DescriptionBuffer[49], '\0');
    QCOMPARE(link->ListDescriptionByIndex(1), hx::Ok);
    QCOMPARE(link->ReadDescriptionBuffer(), QString(49, 'L'));

    QVERIFY(link->FindAndOpenChannel(QString(49, 'L')));
    QVERIFY(dialogs.errors.isEmpty());
    QVERIFY(backend->calls().contains(QString::fromStdString("open " + longName + " A")));
}

void DeviceTest::description49LongOpensWhole() {
    const std::string name = std::string(47, 'N') + " A";
    backend->setDevices({name});
    std::array<QString, DeviceLink::DeviceListSlots> list;
    link->ListDescriptions(list);
    QCOMPARE(list[0], QString::fromStdString(name));
    QVERIFY(link->FindAndOpenChannel(QString::fromStdString(name)));
    QVERIFY(backend->calls().contains(QString::fromStdString("open " + name)));
}

void DeviceTest::unlistedNameOpensNothingAndSaysNothing() {
    QVERIFY(!link->FindAndOpenChannel("Q A"));
    QVERIFY(!link->FindAndOpenChannel("x a"));
    QVERIFY(!link->FindAndOpenChannel(""));
    QVERIFY(dialogs.errors.isEmpty());
    QCOMPARE(backend->openChannelCount(), 0);
}

void DeviceTest::noDeviceFindsNothing() {
    backend->setDevices({});
    std::array<QString, DeviceLink::DeviceListSlots> list;
    link->ListDescriptions(list);
    QVERIFY(list[0].isEmpty());
    QVERIFY(!link->FindAndOpenChannel("X A"));
    QVERIFY(dialogs.errors.isEmpty());
}

void DeviceTest::refusedOpenIsReported() {
    backend->fail("open", 3);
    QVERIFY(!link->FindAndOpenChannel("X A"));
    QCOMPARE(dialogs.errors,
             QStringList{"Open_USB_Device_By_Device_Description - Device Not Opened..."});
}

// Of two devices with the same description, the first listed opens.
void DeviceTest::foundChannelIsOpenedAndItsQueueRead() {
    const auto twin = std::make_shared<ScriptedBackend>();
    twin->setDevices({"X B"});
    twin->queueReceived("X B", "twin");
    DriverRegistry::instance().install(twin);
    backend->queueReceived("X B", "abc");
    QVERIFY(link->FindAndOpenChannel("X B"));
    // Opened, then its queue fetched once on the new handle.
    QCOMPARE(backend->calls().mid(backend->calls().size() - 2),
             (QStringList{"open X B", "queueStatus X B"}));
    QCOMPARE(link->RxQueueCount, 3u);
    QCOMPARE(backend->openChannelCount(), 1);
    QCOMPARE(twin->openChannelCount(), 0);
}

void DeviceTest::aNewerDriverContextHidesTheOlderOneUntilItEnds() {
    openA();
    {
        DriverContext inner;
        QVERIFY(!link->FindAndOpenChannel("X B"));
        QCOMPARE(HX_Read(link->HandleA, nullptr, 0, nullptr), hx::InvalidHandle);
    }
    QVERIFY(link->FindAndOpenChannel("X B"));
    QCOMPARE(backend->openChannelCount(), 2);
}

void DeviceTest::byteToHex_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("hex");
    QTest::newRow("0") << 0 << "00";
    QTest::newRow("CR") << 0x0D << "0D";
    QTest::newRow("A5") << 0xA5 << "A5";
    QTest::newRow("255") << 255 << "FF";
}

void DeviceTest::byteToHex() {
    QFETCH(int, value);
    QFETCH(QString, hex);
    QCOMPARE(ByteToHex(static_cast<std::uint8_t>(value)), hex);
}

QTEST_GUILESS_MAIN(DeviceTest)
#include "tst_device.moc"
