// The simulated chip's monitor firmware and its disk, driven byte by byte as
// the chip's serial input would drive them: what it answers, what it leaves
// on the disk and when it moves the link's baud rate.
#include <QTest>

#include <utility>
#include <vector>

#include "DivisorToBaud.h"
#include "MonitorFirmware.h"
#include "TestLink.h"
#include "VirtualDisk.h"

namespace {

QByteArray toBytes(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

std::vector<std::uint8_t> toVector(const QByteArray& bytes) {
    return {bytes.begin(), bytes.end()};
}

// Data that a line reader would take apart: CRs, zero bytes and a command.
QByteArray awkwardData(int size) {
    const QByteArray pattern =
        bytesOf({0x0D, 0x00, 0xFF, 0x20}) + "FWV\rDIR\r" + bytesOf({0x0D, 0x0D});
    QByteArray data;
    while (data.size() < size) {
        data += pattern;
    }
    return data.left(size);
}

QByteArray countBytes(std::uint32_t count) {
    return bytesOf(
        {int(count >> 24), int((count >> 16) & 0xFF), int((count >> 8) & 0xFF), int(count & 0xFF)});
}

class RecordingLink : public ChipLink {
  public:
    QByteArray sent;
    // Each rate change with the number of bytes sent before it.
    std::vector<std::pair<std::uint32_t, qsizetype>> rateChanges;

    void transmit(std::uint8_t byte) override { sent.append(static_cast<char>(byte)); }
    void changeBaudRate(std::uint32_t baudRate) override {
        rateChanges.emplace_back(baudRate, sent.size());
    }
    bool dataMode() const override { return false; }
};

struct MonitorRig {
    VirtualDisk disk;
    RecordingLink link;
    MonitorFirmware monitor{link, disk};

    MonitorRig() {
        disk.put("LOG.TXT", toVector(awkwardData(10'000)));
        disk.put("DOCS\\NOTES.TXT", toVector("notes"));
        monitor.start();
        link.sent.clear();
        link.rateChanges.clear();
    }

    // Everything the monitor answered to these bytes.
    QByteArray exchange(const QByteArray& bytes) {
        link.sent.clear();
        for (const char byte : bytes) {
            monitor.receive(static_cast<std::uint8_t>(byte));
        }
        return link.sent;
    }
};

const QByteArray prompt = "D:\\>\r";
const QByteArray shortPrompt = ">\r";
const QByteArray toShortSet = "SCS\r";
const QByteArray toAscii = "IPA\r";

}  // namespace

class MonitorTest : public QObject {
    Q_OBJECT

  private slots:
    void divisorToBaud_data() {
        QTest::addColumn<QByteArray>("divisorBytes");
        QTest::addColumn<quint32>("baudRate");
        // The host's baud list, as its Set command sends the divisor bytes.
        const std::vector<std::pair<QByteArray, quint32>> baudList = {
            {bytesOf({0x10, 0x27, 0x00}), 300},     {bytesOf({0x88, 0x13, 0x00}), 600},
            {bytesOf({0xC4, 0x09, 0x00}), 1200},    {bytesOf({0xE2, 0x04, 0x00}), 2400},
            {bytesOf({0x71, 0x02, 0x00}), 4800},    {bytesOf({0x38, 0x41, 0x00}), 9600},
            {bytesOf({0x9C, 0x80, 0x00}), 19200},   {bytesOf({0x4E, 0xC0, 0x00}), 38400},
            {bytesOf({0x34, 0xC0, 0x00}), 57600},   {bytesOf({0x1A, 0x00, 0x00}), 115200},
            {bytesOf({0x0D, 0x00, 0x00}), 230400},  {bytesOf({0x06, 0x40, 0x00}), 460800},
            {bytesOf({0x03, 0x80, 0x00}), 921600},  {bytesOf({0x03, 0x00, 0x00}), 1000000},
            {bytesOf({0x01, 0x00, 0x00}), 2000000}, {bytesOf({0x00, 0x00, 0x00}), 3000000},
        };
        for (const auto& [bytes, baud] : baudList) {
            QTest::addRow("list %u", baud) << bytes << baud;
        }
        // The divisor codes the spy follows, as 24-bit numbers.
        const std::vector<std::pair<quint32, quint32>> divisorTable = {
            {10000, 300},  {5000, 600},     {2500, 1200},    {1250, 2400},   {625, 4800},
            {16696, 9600}, {32924, 19200},  {49230, 38400},  {49204, 57600}, {26, 115200},
            {13, 230400},  {16390, 460800}, {32771, 921600}, {3, 1000000},   {2, 1500000},
            {1, 2000000},  {0, 3000000},
        };
        for (const auto& [divisor, baud] : divisorTable) {
            QTest::addRow("code %u", divisor)
                << bytesOf({int(divisor & 0xFF), int((divisor >> 8) & 0xFF), int(divisor >> 16)})
                << baud;
        }
        // Off the list: 3,000,000 / (100 + eighths/8), rounded.
        QTest::newRow("100 0/8") << bytesOf({0x64, 0x00, 0x00}) << quint32(30000);
        QTest::newRow("100 1/8") << bytesOf({0x64, 0xC0, 0x00}) << quint32(29963);
        QTest::newRow("100 2/8") << bytesOf({0x64, 0x80, 0x00}) << quint32(29925);
        QTest::newRow("100 3/8") << bytesOf({0x64, 0x00, 0x01}) << quint32(29888);
        QTest::newRow("100 4/8") << bytesOf({0x64, 0x40, 0x00}) << quint32(29851);
        QTest::newRow("100 5/8") << bytesOf({0x64, 0x40, 0x01}) << quint32(29814);
        QTest::newRow("100 6/8") << bytesOf({0x64, 0x80, 0x01}) << quint32(29777);
        QTest::newRow("100 7/8") << bytesOf({0x64, 0xC0, 0x01}) << quint32(29740);
        QTest::newRow("typed 14400") << bytesOf({0xD0, 0x00, 0x01}) << quint32(14397);
        QTest::newRow("14-bit integer") << bytesOf({0xFF, 0x3F, 0x00}) << quint32(183);
        QTest::newRow("1 with fraction") << bytesOf({0x01, 0xC0, 0x01}) << quint32(2000000);
        QTest::newRow("0 with fraction") << bytesOf({0x00, 0x40, 0x00}) << quint32(3000000);
        QTest::newRow("third byte's upper bits") << bytesOf({0x64, 0x00, 0xFE}) << quint32(30000);
    }

    void divisorToBaud() {
        QFETCH(QByteArray, divisorBytes);
        QFETCH(quint32, baudRate);
        const auto byteAt = [&](int i) { return std::uint32_t(std::uint8_t(divisorBytes[i])); };
        QCOMPARE(::divisorToBaud(byteAt(0) | byteAt(1) << 8 | byteAt(2) << 16), baudRate);
    }

    void startSignsOnAtNineSixHundred() {
        VirtualDisk disk;
        RecordingLink link;
        MonitorFirmware monitor(link, disk);
        monitor.start();
        QCOMPARE(link.sent, QByteArray("\rTarvik Monitor 1.0 ready\r") + prompt);
        QCOMPARE(link.rateChanges.size(), std::size_t(1));
        QCOMPARE(link.rateChanges[0], std::make_pair(std::uint32_t(9600), qsizetype(0)));
    }

    void startResetsModesAndAbandonsAWrite() {
        MonitorRig rig;
        rig.exchange(toShortSet);
        rig.exchange(bytesOf({0x90, 0x0D}));
        rig.exchange(bytesOf({0x09, 0x20}) + "NEW.BIN\r" + bytesOf({0x08, 0x20}) + "100\r" + "abc");
        rig.monitor.start();
        QVERIFY(rig.monitor.extendedCommandSet());
        QVERIFY(rig.monitor.hexNumberInput());
        QCOMPARE(rig.exchange("FWV\r"), QByteArray("\rTarvik Monitor 1.0\r") + prompt);
        QCOMPARE(rig.exchange("WRF " + countBytes(0) + "\r"), "Command Failed\r" + prompt);
    }

    void answers_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray none;
        QTest::newRow("version") << none << QByteArray("FWV\r")
                                 << "\rTarvik Monitor 1.0\r" + prompt;
        QTest::newRow("word in lower case")
            << none << QByteArray("fwv\r") << "\rTarvik Monitor 1.0\r" + prompt;
        QTest::newRow("short version")
            << toShortSet << bytesOf({0x13, 0x0D}) << "\rTarvik Monitor 1.0\r" + shortPrompt;
        QTest::newRow("unknown word") << none << QByteArray("XYZ\r") << "Bad Command\r" + prompt;
        QTest::newRow("unknown code")
            << toShortSet << bytesOf({0x03, 0x0D}) << "BC\r" + shortPrompt;
        QTest::newRow("word in short set")
            << toShortSet << QByteArray("FWV\r") << "BC\r" + shortPrompt;
        QTest::newRow("code in extended set")
            << none << bytesOf({0x13, 0x0D}) << "Bad Command\r" + prompt;
        QTest::newRow("code without space")
            << toShortSet << bytesOf({0x01, 'X', 0x0D}) << "BC\r" + shortPrompt;
        QTest::newRow("echo E") << none << QByteArray("E\r") << QByteArray("E\r");
        QTest::newRow("echo e") << none << QByteArray("e\r") << QByteArray("e\r");
        QTest::newRow("short echo E") << toShortSet << bytesOf({0x45, 0x0D}) << QByteArray("E\r");
        QTest::newRow("short echo e") << toShortSet << bytesOf({0x65, 0x0D}) << QByteArray("e\r");
        QTest::newRow("empty line") << none << QByteArray("\r") << prompt;
        QTest::newRow("short empty line") << toShortSet << QByteArray("\r") << shortPrompt;
        QTest::newRow("to short set") << none << toShortSet << shortPrompt;
        QTest::newRow("short to extended") << toShortSet << bytesOf({0x11, 0x0D}) << prompt;
        QTest::newRow("short to short") << toShortSet << bytesOf({0x10, 0x0D}) << shortPrompt;
        QTest::newRow("to extended") << none << QByteArray("ecs\r") << prompt;
        QTest::newRow("to ascii") << none << toAscii << prompt;
        QTest::newRow("short to hex") << toShortSet << bytesOf({0x91, 0x0D}) << shortPrompt;
        QTest::newRow("parameter where none")
            << none << QByteArray("IPA X\r") << "Bad Command\r" + prompt;
        QTest::newRow("name missing") << none << QByteArray("RD\r") << "Bad Command\r" + prompt;
        QTest::newRow("no such file")
            << none << QByteArray("RD NOPE.TXT\r") << "Command Failed\r" + prompt;
        QTest::newRow("short no such file") << toShortSet << bytesOf({0x04, 0x20}) + "NOPE.TXT\r"
                                            << "CF\r" + shortPrompt;
        QTest::newRow("close with nothing open")
            << none << QByteArray("CLF\r") << "Command Failed\r" + prompt;
        QTest::newRow("read with nothing open") << none << "RDF " + countBytes(1) + "\r"
                                                << "Command Failed\r" + prompt;
        QTest::newRow("count not decimal")
            << toAscii << QByteArray("RDF 1x\r") << "Bad Command\r" + prompt;
        QTest::newRow("identify") << none << QByteArray("IDD\r")
                                  << "\rTarvik Virtual Disk\r" + prompt;
        QTest::newRow("free space hex") << QByteArray() << QByteArray("FS\r")
                                        << "\r" + bytesOf({0x00, 0x01, 0x00, 0x00}) + "\r" + prompt;
        QTest::newRow("free space decimal") << toAscii << QByteArray("FS\r") << "\r256\r" + prompt;
    }

    void answers() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, answer);
        MonitorRig rig;
        rig.disk.setCapacity(rig.disk.usedBytes() + 256);
        rig.exchange(before);
        QCOMPARE(rig.exchange(command), answer);
    }

    void dirEntry_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray logEntry = "\rLOG.TXT " + bytesOf({0x10, 0x27, 0x00, 0x00}) + "\r";
        QTest::newRow("hex size") << QByteArray() << QByteArray("DIR LOG.TXT\r")
                                  << logEntry + prompt;
        QTest::newRow("name in lower case")
            << QByteArray() << QByteArray("dir log.txt\r") << logEntry + prompt;
        QTest::newRow("short set")
            << toShortSet << bytesOf({0x01, 0x20}) + "LOG.TXT\r" << logEntry + shortPrompt;
        QTest::newRow("decimal size")
            << toAscii << QByteArray("DIR LOG.TXT\r") << "\rLOG.TXT 10000\r" + prompt;
        QTest::newRow("directory")
            << QByteArray() << QByteArray("DIR docs\r") << "\rDOCS DIR\r" + prompt;
        QTest::newRow("missing") << QByteArray() << QByteArray("DIR NOPE.TXT\r")
                                 << "Command Failed\r" + prompt;
        QTest::newRow("listing") << QByteArray() << QByteArray("DIR\r")
                                 << "\rDOCS DIR\rLOG.TXT\r" + prompt;
        QTest::newRow("listing inside")
            << QByteArray("CD DOCS\r") << QByteArray("DIR\r") << "\rNOTES.TXT\r" + prompt;
    }

    void dirEntry() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, answer);
        MonitorRig rig;
        rig.exchange(before);
        QCOMPARE(rig.exchange(command), answer);
    }

    void dirSizeBytesMayHoldCarriageReturns() {
        MonitorRig rig;
        rig.disk.put("EDGE.BIN", toVector(awkwardData(0x0D0D)));
        QCOMPARE(rig.exchange("DIR EDGE.BIN\r"),
                 "\rEDGE.BIN " + bytesOf({0x0D, 0x0D, 0x00, 0x00}) + "\r" + prompt);
    }

    void writeThenReadBackByteExact_data() {
        QTest::addColumn<bool>("ascii");
        QTest::addColumn<int>("size");
        QTest::newRow("hex 512") << false << 512;
        QTest::newRow("ascii 512") << true << 512;
        QTest::newRow("hex count holding CRs") << false << 0x0D0D;
        QTest::newRow("hex 70000") << false << 70'000;
        QTest::newRow("ascii 1") << true << 1;
        QTest::newRow("hex empty") << false << 0;
    }

    void writeThenReadBackByteExact() {
        QFETCH(bool, ascii);
        QFETCH(int, size);
        MonitorRig rig;
        const auto count = [&](int n) {
            return ascii ? QByteArray::number(n) : countBytes(std::uint32_t(n));
        };
        const QByteArray data = awkwardData(size);
        if (ascii) {
            rig.exchange(toAscii);
        }
        QCOMPARE(rig.exchange("OPW COPY.BIN\r"), prompt);
        QCOMPARE(rig.exchange("WRF " + count(size) + "\r" + data), prompt);
        QCOMPARE(rig.exchange("CLF COPY.BIN\r"), prompt);
        QCOMPARE(toBytes(rig.disk.get("COPY.BIN").value()), data);

        QCOMPARE(rig.exchange("RD COPY.BIN\r"), data + prompt);
        QCOMPARE(rig.exchange("OPR COPY.BIN\r"), prompt);
        const int half = size / 2;
        QCOMPARE(rig.exchange("RDF " + count(half) + "\r"), data.left(half) + prompt);
        QCOMPARE(rig.exchange("RDF " + count(size - half) + "\r"), data.mid(half) + prompt);
        QCOMPARE(rig.exchange("RDF " + count(1) + "\r"), "Command Failed\r" + prompt);
    }

    void blocksWrittenBackToBackAppend() {
        MonitorRig rig;
        const QByteArray data = awkwardData(1000);
        rig.exchange(toShortSet);
        const QByteArray wrf = bytesOf({0x08, 0x20});
        const QByteArray answers =
            rig.exchange(bytesOf({0x09, 0x20}) + "LOG.TXT\r" + wrf + countBytes(512) + "\r" +
                         data.left(512) + wrf + countBytes(488) + "\r" + data.mid(512));
        QCOMPARE(answers, shortPrompt + shortPrompt + shortPrompt);
        // OPW empties the file it opens: the copy replaces the old file.
        QCOMPARE(toBytes(rig.disk.get("LOG.TXT").value()), data);
    }

    void readFromFileRefusesWhatIsNotThere() {
        MonitorRig rig;
        rig.exchange("OPR LOG.TXT\r");
        QCOMPARE(rig.exchange("RDF " + countBytes(10'001) + "\r"), "Command Failed\r" + prompt);
        // The refused read moved nothing: the whole file is still there.
        QCOMPARE(rig.exchange("RDF " + countBytes(10'000) + "\r"), awkwardData(10'000) + prompt);
        QCOMPARE(rig.exchange("WRF " + countBytes(2) + "\rab"), "Command Failed\r" + prompt);
        // Opening another file needs no CLF first.
        QCOMPARE(rig.exchange("OPW OTHER.TXT\r"), prompt);
        QCOMPARE(rig.exchange("RDF " + countBytes(0) + "\r"), "Command Failed\r" + prompt);
    }

    void setBaudRate_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<quint32>("newRate");  // 0: no change
        QTest::newRow("115200") << QByteArray() << "SBD " + bytesOf({0x1A, 0x00, 0x00, 0x0D})
                                << prompt << quint32(115200);
        QTest::newRow("divisor byte is CR")
            << QByteArray() << "sbd " + bytesOf({0x0D, 0x00, 0x00, 0x0D}) << prompt
            << quint32(230400);
        QTest::newRow("short set") << toShortSet << bytesOf({0x14, 0x20, 0x0D, 0x00, 0x00, 0x0D})
                                   << shortPrompt << quint32(230400);
        QTest::newRow("3000000") << QByteArray() << "SBD " + bytesOf({0x00, 0x00, 0x00, 0x0D})
                                 << prompt << quint32(3000000);
        QTest::newRow("decimal divisor")
            << toAscii << QByteArray("SBD 26\r") << prompt << quint32(115200);
        QTest::newRow("raw bytes in ascii mode")
            << toAscii << "SBD " + bytesOf({0x38, 0x41, 0x00, 0x0D}) << "Bad Command\r" + prompt
            << quint32(0);
        QTest::newRow("decimal beyond 24 bits")
            << toAscii << QByteArray("SBD 16777216\r") << "Bad Command\r" + prompt << quint32(0);
        QTest::newRow("byte after divisor")
            << QByteArray() << "SBD " + bytesOf({0x1A, 0x00, 0x00, 0x41, 0x0D})
            << "Bad Command\r" + prompt << quint32(0);
    }

    void setBaudRate() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, answer);
        QFETCH(quint32, newRate);
        MonitorRig rig;
        rig.exchange(before);
        rig.link.rateChanges.clear();
        QCOMPARE(rig.exchange(command), answer);
        if (newRate == 0) {
            QVERIFY(rig.link.rateChanges.empty());
            return;
        }
        // The whole answer goes out before the change, so at the old rate.
        QCOMPARE(rig.link.rateChanges.size(), std::size_t(1));
        QCOMPARE(rig.link.rateChanges[0], std::make_pair(std::uint32_t(newRate), answer.size()));
    }

    void noDisk_data() {
        QTest::addColumn<QByteArray>("command");
        const QByteArray names[] = {
            "DIR\r",     "DIR LOG.TXT\r", "RD LOG.TXT\r", "OPR LOG.TXT\r", "OPW NEW.TXT\r",
            "CLF\r",     "CD DOCS\r",     "MKD NEW\r",    "DLD DOCS\r",    "DLF LOG.TXT\r",
            "REN A B\r", "IDD\r",         "FS\r"};
        for (const QByteArray& name : names) {
            QTest::newRow(name.chopped(1).constData()) << name;
        }
        QTest::newRow("RDF") << "RDF " + countBytes(4) + "\r";
        // The data are consumed, not read as the command lines inside them.
        QTest::newRow("WRF") << "WRF " + countBytes(12) + "\r" + awkwardData(12);
    }

    void noDisk() {
        QFETCH(QByteArray, command);
        MonitorRig rig;
        rig.exchange("OPW OPEN.TXT\r");
        rig.disk.setPresent(false);
        QCOMPARE(rig.exchange(command), "No Disk\r" + prompt);
        rig.exchange(toShortSet);
        QCOMPARE(rig.exchange(bytesOf({0x0F, 0x0D})), "ND\r" + shortPrompt);
        QCOMPARE(rig.exchange(bytesOf({0x13, 0x0D})), "\rTarvik Monitor 1.0\r" + shortPrompt);
    }

    void diskFullConsumesTheDataAndWritesNone() {
        MonitorRig rig;
        rig.disk.setCapacity(rig.disk.usedBytes() + 10);
        rig.exchange("OPW NEW.BIN\r");
        QCOMPARE(rig.exchange("WRF " + countBytes(20) + "\r" + awkwardData(20)),
                 "Disk Full\r" + prompt);
        QCOMPARE(rig.disk.sizeOf("NEW.BIN"), std::optional<std::uint64_t>(0));
        QCOMPARE(rig.exchange("WRF " + countBytes(10) + "\r" + awkwardData(10)), prompt);
        QCOMPARE(rig.disk.freeBytes(), std::uint64_t(0));
        rig.exchange(toShortSet);
        QCOMPARE(rig.exchange(bytesOf({0x08, 0x20}) + countBytes(1) + "\rx"), "DF\r" + shortPrompt);
    }

    void suspendIgnoresEverythingUntilCarriageReturn() {
        MonitorRig rig;
        QCOMPARE(rig.exchange("SUM\r"), prompt);
        QVERIFY(rig.monitor.suspended());
        QCOMPARE(rig.exchange("FWV"), QByteArray());
        QCOMPARE(rig.exchange("\r"), prompt);
        QVERIFY(!rig.monitor.suspended());
        QCOMPARE(rig.exchange("FWV\r"), "\rTarvik Monitor 1.0\r" + prompt);
        rig.exchange(toShortSet);
        QCOMPARE(rig.exchange(bytesOf({0x17, 0x0D, 0x13})), shortPrompt);
        QCOMPARE(rig.exchange("\r"), shortPrompt);
    }

    void lineLengthIsBounded_data() {
        QTest::addColumn<int>("nameLength");
        QTest::addColumn<QByteArray>("answer");
        // "DIR " and the name: 256 bytes is the longest line read.
        QTest::newRow("256 bytes") << 252 << "Command Failed\r" + prompt;
        QTest::newRow("257 bytes") << 253 << "Bad Command\r" + prompt;
        QTest::newRow("100000 bytes") << 99'996 << "Bad Command\r" + prompt;
    }

    void lineLengthIsBounded() {
        QFETCH(int, nameLength);
        QFETCH(QByteArray, answer);
        MonitorRig rig;
        QCOMPARE(rig.exchange("DIR " + QByteArray(nameLength, 'A') + "\r"), answer);
        QCOMPARE(rig.exchange("E\r"), QByteArray("E\r"));
    }

    void setupDataAreConsumed() {
        MonitorRig rig;
        rig.exchange(toShortSet);
        const QByteArray header =
            bytesOf({0x9A, 0x20, 0x80, 0x06, 0x01, 0x00, 0x00, 0x00, 0x00, 0x03});
        QCOMPARE(rig.exchange(header + "\r" + bytesOf({0x0D, 0x45, 0x0D})), "CF\r" + shortPrompt);
        QCOMPARE(rig.exchange(bytesOf({0x45, 0x0D})), QByteArray("E\r"));
        rig.exchange(bytesOf({0x90, 0x0D}));
        QCOMPARE(rig.exchange(header + "\r"), "BC\r" + shortPrompt);
    }

    void directoriesAndRenames() {
        MonitorRig rig;
        QCOMPARE(rig.exchange("MKD WORK\r"), prompt);
        QCOMPARE(rig.exchange("MKD WORK\r"), "Command Failed\r" + prompt);
        QCOMPARE(rig.exchange("CD WORK\r"), prompt);
        rig.exchange("OPW A.TXT\r" + QByteArray("WRF ") + countBytes(3) + "\rabc" + "CLF\r");
        QCOMPARE(toBytes(rig.disk.get("WORK\\A.TXT").value()), QByteArray("abc"));
        QCOMPARE(rig.exchange("REN A.TXT B.TXT\r"), prompt);
        QCOMPARE(rig.exchange("REN B.TXT \\LOG.TXT\r"), "Command Failed\r" + prompt);
        QCOMPARE(rig.exchange("DIR\r"), "\rB.TXT\r" + prompt);
        QCOMPARE(rig.exchange("CD ..\r"), prompt);
        QCOMPARE(rig.exchange("DLD WORK\r"), "Command Failed\r" + prompt);
        QCOMPARE(rig.exchange("DLF WORK\\B.TXT\r"), prompt);
        QCOMPARE(rig.exchange("DLD WORK\r"), prompt);
        QCOMPARE(rig.exchange("CD WORK\r"), "Command Failed\r" + prompt);
        rig.exchange("OPR LOG.TXT\r");
        QCOMPARE(rig.exchange("DLF LOG.TXT\r"), "Command Failed\r" + prompt);
        QCOMPARE(rig.exchange("CLF OTHER.TXT\r"), "Command Failed\r" + prompt);
        QCOMPARE(rig.exchange("CLF log.txt\r"), prompt);
        QCOMPARE(rig.exchange("DLF LOG.TXT\r"), prompt);
        QVERIFY(!rig.disk.isFile("LOG.TXT"));
    }

    void samplesAreTheSameOnEveryDisk() {
        VirtualDisk first;
        VirtualDisk second;
        first.seedSamples();
        second.seedSamples();
        QCOMPARE(first.sizeOf("log.txt"), std::optional<std::uint64_t>(10'000));
        QCOMPARE(first.sizeOf("EDGE.BIN"), std::optional<std::uint64_t>(0x0D0D));
        QCOMPARE(first.sizeOf("EMPTY.TXT"), std::optional<std::uint64_t>(0));
        QCOMPARE(first.sizeOf("BIG.BIN"), std::optional<std::uint64_t>(4 * 1024 * 1024));
        QVERIFY(first.isDirectory("DOCS"));
        QVERIFY(first.get("BIG.BIN") == second.get("BIG.BIN"));
        const std::vector<std::uint8_t> data = first.get("DATA.BIN").value();
        QVERIFY(std::count(data.begin(), data.end(), 0x0D) == 4);
        std::uint64_t total = 0;
        for (const std::string& name : first.names()) {
            total += first.sizeOf(name).value();
        }
        QCOMPARE(first.usedBytes(), total);
        first.remove("BIG.BIN");
        QCOMPARE(first.usedBytes(), total - 4 * 1024 * 1024);
    }
};

QTEST_GUILESS_MAIN(MonitorTest)
#include "tst_monitor.moc"
