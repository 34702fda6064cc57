// The spy's two decoders and the baud divisor table: the readings of command
// and answer lines in both command sets, the lines held for more bytes, the
// controls the command decoder moves, and lines that outgrow the buffers.
#include <QComboBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextBlock>
#include <QtTest>
#include <memory>

#include "AnswerDecoder.h"
#include "CommandDecoder.h"
#include "DeviceLink.h"
#include "ScriptedDialogs.h"
#include "SelfAdvancingClock.h"
#include "SpyBaudDivisors.h"
#include "SpyOptions.h"
#include "SpyPanes.h"
#include "TestLink.h"

namespace {

// The page's controls and panes, the link and the options, wired to both
// decoders as the window wires them.
struct SpyRig {
    SpyRig() {
        ComboBox3.setEditable(true);
        ComboBox3.addItems({"9600", "115200", "230400", "3000000"});
        ComboBox3.setCurrentText("9600");
        link.BaudRate = 9600;
    }

    void setOptions(bool extendedSet, bool hexInput) {
        (extendedSet ? RadioButton8 : RadioButton9).setChecked(true);
        (hexInput ? RadioButton10 : RadioButton11).setChecked(true);
        options.ExtendedCommandSet = RadioButton8.isChecked();
        options.HexNumberInput = RadioButton10.isChecked();
    }

    // Through the channels' receive buffers, as many passes as it takes.
    void sendCommand(const QByteArray& bytes) { send(bytes, link.ReadBufferB, false); }
    void sendAnswer(const QByteArray& bytes) { send(bytes, link.ReadBufferA, true); }
    void send(const QByteArray& bytes, std::array<std::uint8_t, DeviceLink::BufferSize>& buffer,
              bool answer) {
        for (qsizetype at = 0; at < bytes.size(); at += DeviceLink::BufferSize) {
            const QByteArray pass = bytes.mid(at, DeviceLink::BufferSize);
            std::copy(pass.begin(), pass.end(), buffer.begin());
            const auto count = static_cast<std::uint32_t>(pass.size());
            answer ? answers.FeedAnswerBytes(count) : commands.FeedCommandBytes(count);
        }
    }

    QStringList hexPane() {
        panes.flush();
        QStringList lines;
        for (QTextBlock b = RichEdit2.document()->begin(); b.isValid(); b = b.next()) {
            lines << b.text();
        }
        lines.removeLast();  // the empty line the pane always ends on
        return lines;
    }

    bool hexPaneAllGreen() {
        panes.flush();
        for (QTextBlock b = RichEdit2.document()->begin(); b.isValid(); b = b.next()) {
            for (auto f = b.begin(); !f.atEnd(); ++f) {
                if (f.fragment().charFormat().foreground().color() != QColor(0, 128, 0)) {
                    return false;
                }
            }
        }
        return true;
    }

    QWidget page;
    QWidget commandSetGroup{&page};
    QWidget numberInputGroup{&page};
    QRadioButton RadioButton8{&commandSetGroup};
    QRadioButton RadioButton9{&commandSetGroup};
    QRadioButton RadioButton10{&numberInputGroup};
    QRadioButton RadioButton11{&numberInputGroup};
    QComboBox ComboBox3{&page};
    QPlainTextEdit RichEdit1;
    QPlainTextEdit RichEdit2;
    SelfAdvancingClock clock;
    SpyPanes panes{RichEdit1, RichEdit2, clock};
    ScriptedDialogs dialogs;
    DeviceLink link{dialogs};
    SpyOptions options;
    int refreshes = 0;
    QStringList appliedRates;  // the text of ComboBox3 at each application
    CommandDecoder commands{{link, options, panes,
                             [this] {
                                 ++refreshes;
                                 setOptions(RadioButton8.isChecked(), RadioButton10.isChecked());
                             },
                             [this] { appliedRates << ComboBox3.currentText(); }},
                            {RadioButton8, RadioButton9, RadioButton10, RadioButton11, ComboBox3}};
    AnswerDecoder answers{{link, options, panes}};
};

QStringList setupBreakdown(std::initializer_list<int> fields) {
    const char* labels[] = {"bmRequestType", "bRequest", "hValue",  "lValue",
                            "hIndex",        "lIndex",   "hLength", "lLength"};
    QStringList lines{"Cmd Decode: Send SETUP Command"};
    const int* field = fields.begin();
    for (const char* label : labels) {
        lines << QString::asprintf("%s :%02X", label, *field++);
    }
    return lines;
}

QByteArray setupHeader(int hLength, int lLength) {
    return bytesOf({0x9A, 0x20, 0x80, 0x06, 0x00, 0x01, 0x00, 0x00, hLength, lLength, 0x0D});
}

const QString Bare = "Cmd Decode: ";
const QString Dir = "Cmd Decode: DIR";

}  // namespace

class DecodersTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { rig = std::make_unique<SpyRig>(); }

    void divisorTable_data();
    void divisorTable();
    void commandReadings_data();
    void commandReadings();
    void followingTheLink_data();
    void followingTheLink();
    void setBaudRateWaitsForItsDivisor();
    void switchToExtendedSetMovesBothDecoders();
    void optionsChangedWhileASetupIsHeld();
    void answerReadings_data();
    void answerReadings();
    void overlongLines_data();
    void overlongLines();
    void setupLongerThanTheBufferIsCountedToItsEnd();
    void resetStartsANewLine_data();
    void resetStartsANewLine();

  private:
    std::unique_ptr<SpyRig> rig;
};

void DecodersTest::divisorTable_data() {
    QTest::addColumn<uint>("divisor");
    QTest::addColumn<uint>("rate");  // 0: no such divisor
    QTest::newRow("0 is the top rate") << 0u << 3000000u;
    QTest::newRow("2 is off the list") << 2u << 1500000u;
    QTest::newRow("13") << 13u << 230400u;
    QTest::newRow("16696, fraction bits") << 16696u << 9600u;
    QTest::newRow("49204 beside 49230") << 49204u << 57600u;
    QTest::newRow("10000, the lowest rate") << 10000u << 300u;
    QTest::newRow("4") << 4u << 0u;
    QTest::newRow("26 in the middle byte") << 0x1A00u << 0u;
    QTest::newRow("0xFFFFFF") << 0xFFFFFFu << 0u;
}

void DecodersTest::divisorTable() {
    QFETCH(uint, divisor);
    QFETCH(uint, rate);
    QCOMPARE(BaudRateOfDivisor(divisor).value_or(0), rate);
}

void DecodersTest::commandReadings_data() {
    QTest::addColumn<bool>("extendedSet");
    QTest::addColumn<bool>("hexInput");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("readings");
    const auto row = [](const char* name, bool extended, bool hex, const QByteArray& bytes,
                        const QStringList& lines, int readings) {
        QTest::newRow(name) << extended << hex << bytes << lines << readings;
    };
    const QString cr = "Cmd Decode: Carriage Return $0D ";
    row("short: lone CR", false, true, "\r", {cr}, 1);
    row("extended: lone CR", true, true, "\r", {cr}, 1);
    row("short: 0x00", false, true, bytesOf({0x00, 0x0D}), {Bare}, 1);
    row("short: 0x0C trailing space", false, true, "\x0C\r", {"Cmd Decode: Rename "}, 1);
    row("short: 0x20, 0x21, 0x22", false, true, "\x20\r\x21\r\x22\r",
        {"Cmd Decode: Audrix stop playing", Bare,
         "Cmd Decode: Halvex Slave Peripheral Set Latency Timer"},
        3);
    row("short: 0x27, 0x28", false, true, "\x27\r\x28\r", {Bare, "Cmd Decode: Seek in file"}, 2);
    row("short: E, e", false, true, "E\re\r", {"Cmd Decode: Echo E", "Cmd Decode: Echo e"}, 2);
    row("short: 0x98, 0x99, 0x9B, 0xFF", false, true, "\x98\r\x99\r\x9B\r\xFF\r",
        {"Cmd Decode: Query Slave Status", Bare, Bare, Bare}, 4);
    row("short: 0x87 trailing space", false, true, "\x87\r",
        {"Cmd Decode: Make Current Device seen as Halvex type "}, 1);
    row("short: parameters not shown", false, true, "\x29 AB\r", {"Cmd Decode: IO Port Read "}, 1);
    row("extended: E", true, true, "E\r", {Bare}, 1);
    row("extended: word past its letters", true, true, "IPAX\r", {Bare}, 1);
    row("short: 0x14, CR as the divisor's last byte", false, true,
        bytesOf({0x14, 0x20, 0, 0, 0x0D, 0x0D}), {"Cmd Decode: Set Baud Rate "}, 1);
    row("short: 0x14 held, next line joined", false, true, "\x14 1\r\x01\r",
        {"Cmd Decode: Set Baud Rate "}, 1);
    row("extended: SBD held, next line joined", true, false, "SBD 96\rIPA\r",
        {"Cmd Decode: Set Baud Rate"}, 1);
    row("extended: sbd in hex", true, true, bytesOf({'s', 'b', 'd', ' ', 0x1A, 0, 0, 0x0D}),
        {"Cmd Decode: Set Baud Rate"}, 1);
    row("SETUP breakdown", false, true,
        bytesOf({0x9A, 0x20, 0xC0, 0x06, 0x01, 0x02, 0x03, 0x04, 0x00, 0x00, 0x0D}),
        {"Cmd Decode: Send SETUP Command", "bmRequestType :C0", "bRequest :06", "hValue :01",
         "lValue :02", "hIndex :03", "lIndex :04", "hLength :00", "lLength :00"},
        1);
    row("SETUP: CR in its header", false, true,
        bytesOf({0x9A, 0x20, 0x0D, 0x0D, 0, 0, 0, 0x0D, 0, 0x0D, 0x0D}) + QByteArray(13, 'A') +
            "\x01\r",
        setupBreakdown({0x0D, 0x0D, 0, 0, 0, 0x0D, 0, 0x0D}) + QStringList{Dir}, 2);
    row("SETUP: data with CR bytes", false, true, setupHeader(0, 8) + "\r\r\r\r\r\rAB\x01\r",
        setupBreakdown({0x80, 6, 0, 1, 0, 0, 0, 8}) + QStringList{Dir}, 2);
    row("SETUP: 0x0100, a byte short", false, true, setupHeader(1, 0) + QByteArray(255, '\r'), {},
        0);
    row("SETUP: 0x0100, complete", false, true, setupHeader(1, 0) + QByteArray(256, 'A'),
        setupBreakdown({0x80, 6, 0, 1, 0, 0, 1, 0}), 1);
    row("SETUP: ASCII input", false, false, "\x9A 80060\r\x01\r",
        {"Cmd Decode: Send SETUP Command", Dir}, 2);
    row("SETUP: extended set", true, true, setupHeader(0, 8) + "\x01\r", {Bare, Bare}, 2);
}

// Each line is read once it is complete, in the set and number input the
// options say, and its reading is counted as one line of the pane.
void DecodersTest::commandReadings() {
    QFETCH(bool, extendedSet);
    QFETCH(bool, hexInput);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(int, readings);
    rig->setOptions(extendedSet, hexInput);
    rig->sendCommand(bytes);
    QCOMPARE(rig->hexPane(), lines);
    QCOMPARE(rig->panes.HexPaneLines, readings);
    QVERIFY(rig->hexPaneAllGreen());
}

void DecodersTest::followingTheLink_data() {
    QTest::addColumn<bool>("extendedSet");
    QTest::addColumn<bool>("hexInput");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("extendedAfter");
    QTest::addColumn<bool>("hexAfter");
    QTest::addColumn<int>("refreshes");
    QTest::addColumn<QStringList>("appliedRates");
    const auto row = [](const char* name, bool extended, bool hex, const QByteArray& bytes,
                        bool extendedAfter, bool hexAfter, int refreshes,
                        const QStringList& rates) {
        QTest::newRow(name) << extended << hex << bytes << extendedAfter << hexAfter << refreshes
                            << rates;
    };
    row("short 0x14, divisor 2", false, true, bytesOf({0x14, 0x20, 2, 0, 0, 0x0D}), false, true, 0,
        {"1500000"});
    row("short 0x14, unknown divisor", false, true, bytesOf({0x14, 0x20, 4, 0, 0, 0x0D}), false,
        true, 0, {"9600"});
    row("short 0x14, ASCII input", false, false, bytesOf({0x14, 0x20, 26, 0, 0, 0x0D}), false,
        false, 0, {"115200"});
    row("extended SBD, hex", true, true, bytesOf({'S', 'b', 'D', 0x20, 0x0D, 0, 0, 0x0D}), true,
        true, 0, {"230400"});
    row("extended SBD, ASCII", true, false, "SBD 013\r", true, false, 0, {});
    row("short 0x11", false, true, "\x11\r", true, true, 1, {});
    row("0x10 in the extended set", true, true, "\x10\r", true, true, 0, {});
    row("short 0x90", false, true, "\x90\r", false, false, 1, {});
    row("short 0x91", false, false, "\x91\r", false, true, 1, {});
    row("extended iPa", true, true, "iPa\r", true, false, 1, {});
    row("extended IpH", true, false, "IpH\r", true, true, 1, {});
    row("extended sCs", true, true, "sCs\r", false, true, 1, {});
    row("extended sCs, then 0x11", true, true, "sCs\r\x11\r", true, true, 2, {});
    row("extended EcS", true, true, "EcS\r", true, true, 1, {});
    row("0x11, then IPA", false, true, "\x11\rIPA\r", true, false, 2, {});
}

// The set and number input move through the radio buttons, each followed by
// a refresh of the options; a baud rate goes to ComboBox3 and is applied.
void DecodersTest::followingTheLink() {
    QFETCH(bool, extendedSet);
    QFETCH(bool, hexInput);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, extendedAfter);
    QFETCH(bool, hexAfter);
    QFETCH(int, refreshes);
    QFETCH(QStringList, appliedRates);
    rig->setOptions(extendedSet, hexInput);
    rig->sendCommand(bytes);
    QCOMPARE(rig->options.ExtendedCommandSet, extendedAfter);
    QCOMPARE(rig->RadioButton9.isChecked(), !extendedAfter);
    QCOMPARE(rig->options.HexNumberInput, hexAfter);
    QCOMPARE(rig->RadioButton11.isChecked(), !hexAfter);
    QCOMPARE(rig->refreshes, refreshes);
    QCOMPARE(rig->appliedRates, appliedRates);
    const QString rate = appliedRates.isEmpty() ? "9600" : appliedRates.last();
    QCOMPARE(rig->ComboBox3.currentText(), rate);
    QCOMPARE(rig->link.BaudRate, rate.toUInt());
}

// 230400 baud is divisor 13, a CR: the command is not over at that CR.
void DecodersTest::setBaudRateWaitsForItsDivisor() {
    rig->setOptions(false, true);
    rig->sendCommand(bytesOf({0x14, 0x20, 0x0D}));
    QCOMPARE(rig->hexPane(), QStringList());
    QVERIFY(rig->appliedRates.isEmpty());
    rig->sendCommand(bytesOf({0x00, 0x00, 0x0D}));
    QCOMPARE(rig->hexPane(), QStringList{"Cmd Decode: Set Baud Rate "});
    QCOMPARE(rig->ComboBox3.currentText(), QString("230400"));
    QCOMPARE(rig->appliedRates, QStringList{"230400"});
}

void DecodersTest::switchToExtendedSetMovesBothDecoders() {
    rig->setOptions(false, true);
    rig->sendCommand("\x11\r");
    rig->sendAnswer("D:\\>\r");
    rig->sendCommand("ipa\r");
    rig->sendAnswer(">\r");
    QCOMPARE(rig->hexPane(),
             QStringList({"Cmd Decode: Switch to Extended Cmd Set", "Ans Decode: Prompt",
                          "Cmd Decode: Switch to ASCII number input", "Ans Decode: "}));
}

// The user may change the options while a SETUP command waits for its data:
// its next CR is read the new way, and nothing of the held command is left.
void DecodersTest::optionsChangedWhileASetupIsHeld() {
    rig->setOptions(false, true);
    rig->sendCommand(setupHeader(1, 0) + "AB");
    rig->setOptions(false, false);
    rig->sendCommand("\r\x01" + QByteArray(300, 'A') + "\r");
    QCOMPARE(rig->hexPane(), QStringList({"Cmd Decode: Send SETUP Command", Dir}));
}

void DecodersTest::answerReadings_data() {
    QTest::addColumn<bool>("extendedSet");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("split");  // the bytes come in two passes, cut here
    QTest::addColumn<QStringList>("readings");
    const auto row = [](const char* name, bool extended, const QByteArray& bytes, int split,
                        const QStringList& readings) {
        QStringList lines;
        for (const QString& reading : readings) {
            lines << "Ans Decode: " + reading;
        }
        QTest::newRow(name) << extended << bytes << split << lines;
    };
    row("short prompt", false, ">\r", 0, {"Prompt"});
    row("short prompt in extended set", true, ">\r", 0, {""});
    row("extended prompt", true, "D:\\>\r", 0, {"Prompt"});
    row("extended prompt, drive C", true, "C:\\>\r", 0, {""});
    row("extended prompt in short set", false, "D:\\>\r", 0, {""});
    row("Bad Command", true, "Bad Command\r", 0, {"Bad Command"});
    row("bad command", true, "bad command\r", 0, {""});
    row("No Disk", true, "No Disk\r", 0, {"No Disk"});
    row("No Disk in short set", false, "No Disk\r", 0, {""});
    row("No Disk with a trailing space", true, "No Disk \r", 0, {""});
    row("short BC, ND", false, "BC\rND\r", 0, {"Bad Command", "No Disk"});
    row("short bc", false, "bc\r", 0, {""});
    row("BC in extended set", true, "BC\r", 0, {""});
    row("short E, e", false, "E\re\r", 0, {"Echo", "Echo"});
    row("no echo in extended set", true, "E\r", 0, {""});
    row("LF before a prompt", false, "\n>\r", 0, {""});
    row("prompt at a line's end", false, "x>\r", 0, {""});
    row("lone CR", false, "\r", 0, {""});
    row("listing", true, "A.TXT\rB.BIN\rD:\\>\r", 0, {"", "", "Prompt"});
    row("split over two passes", true, "Bad Command\r", 4, {"Bad Command"});
    row("no CR, no reading", false, ">", 0, {});
}

// Every CR on the channel gives exactly one reading: a whole-line pattern
// of the set in use, else the bare text.
void DecodersTest::answerReadings() {
    QFETCH(bool, extendedSet);
    QFETCH(QByteArray, bytes);
    QFETCH(int, split);
    QFETCH(QStringList, readings);
    rig->setOptions(extendedSet, true);
    rig->sendAnswer(bytes.left(split));
    rig->sendAnswer(bytes.mid(split));
    QCOMPARE(rig->hexPane(), readings);
    QVERIFY(rig->hexPaneAllGreen());
}

void DecodersTest::overlongLines_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    const auto tooLong = [](const char* decoder, int bytes) {
        return QString("%1 Decode: line too long to read (%2 bytes)").arg(decoder).arg(bytes);
    };
    const QByteArray dirLine = "\x01\r";
    const QByteArray data(40000, 'A');
    QTest::newRow("command of 32001 bytes")
        << false << "\x01" + data.left(31999) + "\r" + dirLine << QStringList{Dir, Dir};
    QTest::newRow("command of 32002 bytes") << false << "\x01" + data.left(32000) + "\r" + dirLine
                                            << QStringList{tooLong("Cmd", 32002), Dir};
    QTest::newRow("held Set Baud Rate running on")
        << false << "\x14 \r" + data + data + "\r" + dirLine
        << QStringList{tooLong("Cmd", 80004), Dir};
    QTest::newRow("SETUP filling the buffer")
        << false << setupHeader(0x7C, 0xF6) + data.left(0x7CF6) + dirLine
        << setupBreakdown({0x80, 6, 0, 1, 0, 0, 0x7C, 0xF6}) + QStringList{Dir};
    QTest::newRow("SETUP a byte past the buffer")
        << false << setupHeader(0x7C, 0xF7) + data.left(0x7CF7) + dirLine
        << setupBreakdown({0x80, 6, 0, 1, 0, 0, 0x7C, 0xF7}) + QStringList{Dir};
    QTest::newRow("answer of 32001 bytes")
        << true << data.left(32000) + "\r>\r" << QStringList{"Ans Decode: ", "Ans Decode: Prompt"};
    QTest::newRow("answer of 32002 bytes")
        << true << data.left(32001) + "\r>\r"
        << QStringList{tooLong("Ans", 32002), "Ans Decode: Prompt"};
    QTest::newRow("answer of 80001 bytes")
        << true << data + data + "\r>\r"
        << QStringList{tooLong("Ans", 80001), "Ans Decode: Prompt"};
}

// A line that fills a buffer before it is complete gives one reading at its
// CR, and the line after it is read as usual.
void DecodersTest::overlongLines() {
    QFETCH(bool, answer);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    rig->setOptions(false, true);
    answer ? rig->sendAnswer(bytes) : rig->sendCommand(bytes);
    QCOMPARE(rig->hexPane(), lines);
    QVERIFY(rig->appliedRates.isEmpty());
}

// A SETUP command may announce 65,535 data bytes, more than the buffer
// holds; its CR bytes do not end it.
void DecodersTest::setupLongerThanTheBufferIsCountedToItsEnd() {
    rig->setOptions(false, true);
    rig->sendCommand(setupHeader(0xFF, 0xFF) + QByteArray(0xFFFE, '\r'));
    QCOMPARE(rig->hexPane(), QStringList());
    QCOMPARE(rig->commands.CommandLength, 65545);
    QCOMPARE(rig->commands.CommandTarget, 65546);
    rig->sendCommand("\r\x01\r");
    QCOMPARE(rig->hexPane(), setupBreakdown({0x80, 6, 0, 1, 0, 0, 0xFF, 0xFF}) + QStringList{Dir});
}

void DecodersTest::resetStartsANewLine_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("reading");
    const QByteArray longLine = "\x01" + QByteArray(300, 'A') + "\r";
    QTest::newRow("held SETUP") << false << setupHeader(1, 0) << longLine << Dir;
    QTest::newRow("held Set Baud Rate") << false << QByteArray("\x14\r") << longLine << Dir;
    QTest::newRow("overlong command") << false << QByteArray(32001, 'A') << longLine << Dir;
    QTest::newRow("partial answer")
        << true << QByteArray("B") << QByteArray("BC\r") << "Ans Decode: Bad Command";
    QTest::newRow("overlong answer")
        << true << QByteArray(32001, 'A') << QByteArray("BC\r") << "Ans Decode: Bad Command";
}

// Open Spy: nothing of an earlier capture's line reaches into the next one.
void DecodersTest::resetStartsANewLine() {
    QFETCH(bool, answer);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, reading);
    rig->setOptions(false, true);
    answer ? rig->sendAnswer(before) : rig->sendCommand(before);
    rig->commands.reset();
    rig->answers.reset();
    answer ? rig->sendAnswer(after) : rig->sendCommand(after);
    QCOMPARE(rig->hexPane(), QStringList{reading});
}

QTEST_MAIN(DecodersTest)
#include "tst_decoders.moc"
