// The spy's two decoders and the baud divisor table: the readings of command
// and answer lines in both command sets, the lines held for more bytes, the
// switches the command decoder hands on, and lines that outgrow the buffers.
#include <QRegularExpression>
#include <QTest>
#include <memory>
#include <optional>

#include "AnswerDecoder.h"
#include "CommandDecoder.h"
#include "DeviceLink.h"
#include "RecordedPane.h"
#include "ScriptedDialogs.h"
#include "SpyBaudDivisors.h"
#include "SpyOptions.h"
#include "SpyPanes.h"
#include "TestLink.h"

namespace {

// The panes, the link and the options, wired to both decoders as the
// capture wires them; the rig follows the link's switches as the capture
// does, and notes the rate of each application of the port settings.
struct SpyRig : LinkFollower {
    SpyRig() { link.BaudRate = 9600; }

    // "short hex", "extended ascii", ...
    void setOptions(const QString& names) {
        options.ExtendedCommandSet = names.contains("extended");
        options.HexNumberInput = names.contains("hex");
    }
    void followCommandSet(bool extended) override { options.ExtendedCommandSet = extended; }
    void followNumberInput(bool hex) override { options.HexNumberInput = hex; }
    void followBaudRate(std::optional<std::uint32_t> rate) override {
        link.BaudRate = rate.value_or(link.BaudRate);
        appliedRates << QString::number(link.BaudRate);
    }
    // What the spy follows: the options, the link's rate, and the rate at
    // each application of the port settings.
    QString state() const {
        return QString("%1 %2 %3 applied:%4")
            .arg(options.ExtendedCommandSet ? "extended" : "short",
                 options.HexNumberInput ? "hex" : "ascii", QString::number(link.BaudRate),
                 appliedRates.join(','));
    }

    // Through the channel's receive buffer, in as many passes as it takes.
    void send(const QByteArray& bytes, bool answer = false) {
        auto& buffer = answer ? link.ReadBufferA : link.ReadBufferB;
        for (qsizetype at = 0; at < bytes.size(); at += DeviceLink::BufferSize) {
            const QByteArray pass = bytes.mid(at, DeviceLink::BufferSize);
            std::copy(pass.begin(), pass.end(), buffer.begin());
            const auto count = static_cast<std::uint32_t>(pass.size());
            answer ? answers.FeedAnswerBytes(count) : commands.FeedCommandBytes(count);
        }
    }

    // The HEX pane's lines, each marked if it is not green.
    QStringList hexPane() {
        QStringList lines;
        for (const RecordedPane::Line& line : hex.lines) {
            lines << (line.colour == Green ? "" : "(not green) ") + line.text;
        }
        return lines;
    }

    // Each reading is counted once, however many lines it has.
    int readingsShown() { return int(hexPane().filter(QRegularExpression("^(Cmd|Ans) ")).size()); }

    const QColor Green{0, 128, 0};
    RecordedPane ascii;
    RecordedPane hex;
    SpyPanes panes{ascii, hex};
    ScriptedDialogs dialogs;
    DeviceLink link{dialogs};
    SpyOptions options;
    QStringList appliedRates;
    CommandDecoder commands{{link, options, panes}, *this};
    AnswerDecoder answers{{link, options, panes}};
};

QString cmd(const QString& text) {
    return "Cmd Decode: " + text;
}
QString ans(const QString& text) {
    return "Ans Decode: " + text;
}
const QString Dir = cmd("DIR");
const QString Bare = cmd("");

QStringList setupBreakdown(std::initializer_list<int> fields) {
    const char* labels[] = {"bmRequestType", "bRequest", "hValue",  "lValue",
                            "hIndex",        "lIndex",   "hLength", "lLength"};
    QStringList lines{cmd("Send SETUP Command")};
    const int* field = fields.begin();
    for (const char* label : labels) {
        lines << QString::asprintf("%s :%02X", label, *field++);
    }
    return lines;
}

QByteArray setupHeader(int hLength, int lLength) {
    return bytesOf({0x9A, 0x20, 0x80, 0x06, 0x00, 0x01, 0x00, 0x00, hLength, lLength, 0x0D});
}

}  // namespace

class DecodersTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { rig = std::make_unique<SpyRig>(); }

    void divisorTable_data();
    void divisorTable();
    void commands_data();
    void commands();
    void switchToExtendedSetMovesBothDecoders();
    void optionsChangedWhileASetupIsHeld();
    void answers_data();
    void answers();
    void overlongLines_data();
    void overlongLines();
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
    QTest::newRow("49204 beside 49230") << 49204u << 57600u;
    QTest::newRow("4") << 4u << 0u;
}

void DecodersTest::divisorTable() {
    QFETCH(uint, divisor);
    QFETCH(uint, rate);
    QCOMPARE(BaudRateOfDivisor(divisor).value_or(0), rate);
}

void DecodersTest::commands_data() {
    QTest::addColumn<QString>("options");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("after");
    const auto row = [](const char* name, const QString& options, const QByteArray& bytes,
                        const QStringList& lines, const QString& after = QString()) {
        // Where nothing changes the baud rate, it stays as it was, unapplied.
        const QString state = after.isEmpty() ? options : after;
        QTest::newRow(name) << options << bytes << lines
                            << (state.contains("applied") ? state : state + " 9600 applied:");
    };
    const QString cr = cmd("Carriage Return $0D ");
    row("short: lone CR", "short hex", "\r", {cr});
    row("extended: lone CR", "extended hex", "\r", {cr});
    row("0x00", "short hex", bytesOf({0x00, 0x0D}), {Bare});
    row("0x0C trailing space", "short hex", "\x0C\r", {cmd("Rename ")});
    row("0x20, 0x21, 0x22", "short hex", "\x20\r\x21\r\x22\r",
        {cmd("Audrix stop playing"), Bare, cmd("Halvex Slave Peripheral Set Latency Timer")});
    row("0x27, 0x28", "short hex", "\x27\r\x28\r", {Bare, cmd("Seek in file")});
    row("E, e", "short hex", "E\re\r", {cmd("Echo E"), cmd("Echo e")});
    row("0x98, 0x99, 0x9B, 0xFF", "short hex", "\x98\r\x99\r\x9B\r\xFF\r",
        {cmd("Query Slave Status"), Bare, Bare, Bare});
    row("parameters not shown", "short hex", "\x29 AB\r", {cmd("IO Port Read ")});
    row("extended: E", "extended hex", "E\r", {Bare});
    row("extended: word past its letters", "extended hex", "IPAX\r", {Bare});
    row("extended: 0x10 is no word", "extended hex", "\x10\r", {Bare});

    const QString baud = cmd("Set Baud Rate ");
    row("0x14, 230400: a CR in its divisor", "short hex", bytesOf({0x14, 0x20, 0x0D, 0, 0, 0x0D}),
        {baud}, "short hex 230400 applied:230400");
    row("0x14, CR as the divisor's last byte", "short hex", bytesOf({0x14, 0x20, 0, 0, 0x0D, 0x0D}),
        {baud}, "short hex 9600 applied:9600");
    row("0x14, divisor 2", "short hex", bytesOf({0x14, 0x20, 2, 0, 0, 0x0D}), {baud},
        "short hex 1500000 applied:1500000");
    row("0x14, unknown divisor", "short hex", bytesOf({0x14, 0x20, 4, 0, 0, 0x0D}), {baud},
        "short hex 9600 applied:9600");
    row("0x14, ASCII input", "short ascii", bytesOf({0x14, 0x20, 26, 0, 0, 0x0D}), {baud},
        "short ascii 115200 applied:115200");
    row("0x14 held, next line joined", "short hex", "\x14 1\r\x01\r", {baud},
        "short hex 9600 applied:9600");
    row("SbD, hex: a CR in its divisor", "extended hex",
        bytesOf({'S', 'b', 'D', 0x20, 0x0D, 0, 0, 0x0D}), {cmd("Set Baud Rate")},
        "extended hex 230400 applied:230400");
    row("SBD, ASCII", "extended ascii", "SBD 013\r", {cmd("Set Baud Rate")});
    row("SBD held, next line joined", "extended ascii", "SBD 96\rIPH\r", {cmd("Set Baud Rate")});

    row("0x11", "short hex", "\x11\r", {cmd("Switch to Extended Cmd Set")}, "extended hex");
    row("0x90", "short hex", "\x90\r", {cmd("Switch to ASCII number input")}, "short ascii");
    row("iPa", "extended hex", "iPa\r", {cmd("Switch to ASCII number input")}, "extended ascii");
    row("IpH", "extended ascii", "IpH\r", {cmd("Switch to HEX number input")}, "extended hex");
    row("sCs, then 0x10", "extended hex", "sCs\r\x10\r",
        {cmd("Switch to Short command set"), cmd("Switch to Short Cmd Set")}, "short hex");
    row("0x11, then EcS", "short ascii", "\x11\rEcS\r",
        {cmd("Switch to Extended Cmd Set"), cmd("Switch to Extended command set")},
        "extended ascii");

    row("SETUP breakdown", "short hex",
        bytesOf({0x9A, 0x20, 0xC0, 0x06, 0x01, 0x02, 0x03, 0x04, 0x00, 0x00, 0x0D}),
        {cmd("Send SETUP Command"), "bmRequestType :C0", "bRequest :06", "hValue :01", "lValue :02",
         "hIndex :03", "lIndex :04", "hLength :00", "lLength :00"});
    row("SETUP: CR in its header", "short hex",
        bytesOf({0x9A, 0x20, 0x0D, 0x0D, 0, 0, 0, 0x0D, 0, 0x0D, 0x0D}) + QByteArray(13, 'A') +
            "\x01\r",
        setupBreakdown({0x0D, 0x0D, 0, 0, 0, 0x0D, 0, 0x0D}) << Dir);
    row("SETUP: data with CR bytes", "short hex", setupHeader(0, 8) + "\r\r\r\r\r\rAB\x01\r",
        setupBreakdown({0x80, 6, 0, 1, 0, 0, 0, 8}) << Dir);
    row("SETUP: 0x0100, a byte short", "short hex", setupHeader(1, 0) + QByteArray(255, '\r'), {});
    row("SETUP: 0x0100", "short hex", setupHeader(1, 0) + QByteArray(256, 'A'),
        setupBreakdown({0x80, 6, 0, 1, 0, 0, 1, 0}));
    row("SETUP: ASCII input", "short ascii", "\x9A 80060\r\x01\r",
        {cmd("Send SETUP Command"), Dir});
    row("SETUP: extended set", "extended hex", setupHeader(0, 8) + "\x01\r", {Bare, Bare});
}

// Each line is read when it is complete, in the set and number input the
// options say at that moment.
void DecodersTest::commands() {
    QFETCH(QString, options);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(QString, after);
    rig->setOptions(options);
    rig->send(bytes);
    QCOMPARE(rig->hexPane(), lines);
    QCOMPARE(rig->panes.HexPaneLines, rig->readingsShown());
    QCOMPARE(rig->state(), after);
}

void DecodersTest::switchToExtendedSetMovesBothDecoders() {
    rig->setOptions("short hex");
    rig->send("\x11\r");
    rig->send("D:\\>\r", true);
    rig->send("ipa\r");
    rig->send(">\r", true);
    QCOMPARE(rig->hexPane(), QStringList({cmd("Switch to Extended Cmd Set"), ans("Prompt"),
                                          cmd("Switch to ASCII number input"), ans("")}));
}

// The user may change the options while a SETUP command waits for its data:
// its next CR is read the new way, and nothing of the held command is left.
void DecodersTest::optionsChangedWhileASetupIsHeld() {
    rig->setOptions("short hex");
    rig->send(setupHeader(1, 0) + "AB");
    rig->setOptions("short ascii");
    rig->send("\r\x01" + QByteArray(300, 'A') + "\r");
    QCOMPARE(rig->hexPane(), QStringList({cmd("Send SETUP Command"), Dir}));
}

void DecodersTest::answers_data() {
    QTest::addColumn<bool>("extendedSet");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("split");  // the bytes come in two passes, cut here
    QTest::addColumn<QStringList>("readings");
    const auto row = [](const char* name, bool extended, const QByteArray& bytes, int split,
                        const QStringList& readings) {
        QTest::newRow(name) << extended << bytes << split << readings;
    };
    row("short prompt", false, ">\r", 0, {ans("Prompt")});
    row("short prompt in extended set", true, ">\r", 0, {ans("")});
    row("extended prompt", true, "D:\\>\r", 0, {ans("Prompt")});
    row("extended prompt, drive C", true, "C:\\>\r", 0, {ans("")});
    row("extended prompt in short set", false, "D:\\>\r", 0, {ans("")});
    row("Bad Command", true, "Bad Command\r", 0, {ans("Bad Command")});
    row("bad command", true, "bad command\r", 0, {ans("")});
    row("No Disk", true, "No Disk\r", 0, {ans("No Disk")});
    row("No Disk with a trailing space", true, "No Disk \r", 0, {ans("")});
    row("short BC, ND", false, "BC\rND\r", 0, {ans("Bad Command"), ans("No Disk")});
    row("BC in extended set", true, "BC\r", 0, {ans("")});
    row("short E, e", false, "E\re\r", 0, {ans("Echo"), ans("Echo")});
    row("no echo in extended set", true, "E\r", 0, {ans("")});
    row("LF before a prompt", false, "\n>\r", 0, {ans("")});
    row("prompt at a line's end", false, "x>\r", 0, {ans("")});
    row("lone CR", false, "\r", 0, {ans("")});
    row("listing", true, "A.TXT\rB.BIN\rD:\\>\r", 0, {ans(""), ans(""), ans("Prompt")});
    row("split over two passes", true, "Bad Command\r", 4, {ans("Bad Command")});
    row("no CR, no reading", false, ">", 0, {});
}

// Every CR on the channel gives exactly one reading: a whole-line pattern
// of the set in use, else the bare text.
void DecodersTest::answers() {
    QFETCH(bool, extendedSet);
    QFETCH(QByteArray, bytes);
    QFETCH(int, split);
    QFETCH(QStringList, readings);
    rig->setOptions(extendedSet ? "extended hex" : "short hex");
    rig->send(bytes.left(split), true);
    rig->send(bytes.mid(split), true);
    QCOMPARE(rig->hexPane(), readings);
    QCOMPARE(rig->panes.HexPaneLines, int(readings.size()));
}

void DecodersTest::overlongLines_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    const auto tooLong = [](const char* decoder, int bytes) {
        return QString("%1 Decode: line too long to read (%2 bytes)").arg(decoder).arg(bytes);
    };
    const QByteArray data(80000, 'A');
    QTest::newRow("command of 32001 bytes")
        << false << "\x01" + data.left(31999) + "\r\x01\r" << QStringList{Dir, Dir};
    QTest::newRow("command of 32002 bytes") << false << "\x01" + data.left(32000) + "\r\x01\r"
                                            << QStringList{tooLong("Cmd", 32002), Dir};
    QTest::newRow("held Set Baud Rate running on")
        << false << "\x14 \r" + data + "\r\x01\r" << QStringList{tooLong("Cmd", 80004), Dir};
    QTest::newRow("SETUP filling the buffer")
        << false << setupHeader(0x7C, 0xF6) + data.left(0x7CF6) + "\x01\r"
        << (setupBreakdown({0x80, 6, 0, 1, 0, 0, 0x7C, 0xF6}) << Dir);
    QTest::newRow("SETUP a byte past the buffer")
        << false << setupHeader(0x7C, 0xF7) + data.left(0x7CF7) + "\x01\r"
        << (setupBreakdown({0x80, 6, 0, 1, 0, 0, 0x7C, 0xF7}) << Dir);
    // The data's CR bytes do not end the command, past the buffer either.
    const QByteArray crs(0xFFFF, '\r');
    QTest::newRow("SETUP of 0xFFFF, a byte short")
        << false << setupHeader(0xFF, 0xFF) + crs.left(0xFFFE) << QStringList();
    QTest::newRow("SETUP of 0xFFFF") << false << setupHeader(0xFF, 0xFF) + crs + "\x01\r"
                                     << (setupBreakdown({0x80, 6, 0, 1, 0, 0, 0xFF, 0xFF}) << Dir);
    QTest::newRow("answer of 32001 bytes")
        << true << data.left(32000) + "\r>\r" << QStringList{ans(""), ans("Prompt")};
    QTest::newRow("answer of 32002 bytes")
        << true << data.left(32001) + "\r>\r" << QStringList{tooLong("Ans", 32002), ans("Prompt")};
    QTest::newRow("answer of 80001 bytes")
        << true << data + "\r>\r" << QStringList{tooLong("Ans", 80001), ans("Prompt")};
}

// A line that fills a buffer before it is complete gives one reading at its
// CR, and the line after it is read as usual; a SETUP command's data is
// counted to its end.
void DecodersTest::overlongLines() {
    QFETCH(bool, answer);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    rig->setOptions("short hex");
    rig->send(bytes, answer);
    QCOMPARE(rig->hexPane(), lines);
    QVERIFY(rig->appliedRates.isEmpty());
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
        << true << QByteArray("B") << QByteArray("BC\r") << ans("Bad Command");
    QTest::newRow("overlong answer")
        << true << QByteArray(32001, 'A') << QByteArray("BC\r") << ans("Bad Command");
}

// Open Spy: nothing of an earlier capture's line reaches into the next one.
void DecodersTest::resetStartsANewLine() {
    QFETCH(bool, answer);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, reading);
    rig->setOptions("short hex");
    rig->send(before, answer);
    rig->commands.reset();
    rig->answers.reset();
    rig->send(after, answer);
    QCOMPARE(rig->hexPane(), QStringList{reading});
}

QTEST_GUILESS_MAIN(DecodersTest)
#include "tst_decoders.moc"
