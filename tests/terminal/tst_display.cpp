// The terminal's receive display: how received bytes become lines of the HEX
// and ASCII panes, the clearing of the ASCII pane, the bound of the HEX pane,
// and the order in which queued lines and messages reach the panes.
#include <QScrollBar>
#include <QTest>
#include <memory>

#include "DisplayOverPanes.h"
#include "PaneText.h"
#include "PaneWriter.h"
#include "SelfAdvancingClock.h"
#include "TerminalDisplay.h"
#include "TestLink.h"

namespace {

QString hexPairs(const QByteArray& data) {
    QString text;
    for (char c : data) {
        text += QString::asprintf("%02X ", static_cast<unsigned char>(c));
    }
    return text;
}

QByteArray letters(int count) {
    QByteArray result;
    for (int i = 0; i < count; ++i) {
        result.append(static_cast<char>('A' + i % 26));
    }
    return result;
}

}  // namespace

class DisplayTest : public QObject {
    Q_OBJECT

  private slots:
    void init();

    void lineBuilding_data();
    void lineBuilding();

    void asciiPaneStartsAfreshAtTheByteAfterPassing2000Lines();
    void clearingDropsLinesQueuedBeforeIt();
    void hexPaneKeepsTheNewestLines_data();
    void hexPaneKeepsTheNewestLines();

    void messagesAndDataLinesKeepTheirOrder();
    void linesAreBatchedUntilTheIntervalHasPassed();
    void answerToATypedLineScrollsIntoView();

  private:
    void show(const QByteArray& data);

    std::unique_ptr<SelfAdvancingClock> clock;
    std::unique_ptr<LinePane> asciiPane;
    std::unique_ptr<LinePane> hexPane;
    std::unique_ptr<DisplayOverPanes> panes;
    TerminalDisplay* display = nullptr;
};

void DisplayTest::init() {
    panes.reset();
    clock = std::make_unique<SelfAdvancingClock>();
    asciiPane = std::make_unique<LinePane>();
    hexPane = std::make_unique<LinePane>();
    panes = std::make_unique<DisplayOverPanes>(*asciiPane, *hexPane, *clock);
    display = &panes->display;
}

void DisplayTest::show(const QByteArray& data) {
    for (char c : data) {
        display->ShowTerminalByte(static_cast<std::uint8_t>(c));
    }
}

void DisplayTest::lineBuilding_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("hexLines");
    QTest::addColumn<QStringList>("asciiLines");
    QTest::addColumn<int>("hexPending");
    QTest::addColumn<int>("asciiPending");
    QTest::addColumn<int>("lineCount");

    QTest::newRow("prompt ended by CR")
        << bytesOf({0x44, 0x3A, 0x5C, 0x3E, 0x0D}) << QStringList{"44 3A 5C 3E 0D "}
        << QStringList{"D:\\>"} << 0 << 0 << 2;

    const QByteArray twenty = letters(20);
    QTest::newRow("20 bytes then CR")
        << twenty + "\r" << QStringList{hexPairs(twenty.left(16)), hexPairs(twenty.mid(16) + "\r")}
        << QStringList{QString::fromLatin1(twenty)} << 0 << 0 << 3;

    const QByteArray seventyNine = letters(79);
    QStringList fourHexLines;
    for (int i = 0; i < 4; ++i) {
        fourHexLines << hexPairs(seventyNine.mid(i * 16, 16));
    }
    QTest::newRow("79 bytes") << seventyNine << fourHexLines
                              << QStringList{QString::fromLatin1(seventyNine)} << 15 << 0 << 5;

    const QByteArray eighty = letters(80);
    QTest::newRow("80 bytes: the ASCII line breaks at 79, not 80")
        << eighty << fourHexLines + QStringList{hexPairs(eighty.mid(64, 16))}
        << QStringList{QString::fromLatin1(seventyNine)} << 0 << 1 << 6;

    QTest::newRow("lone CR") << QByteArray("\r") << QStringList{"0D "} << QStringList{""} << 0 << 0
                             << 2;

    QTest::newRow("16 bytes end a HEX line only")
        << letters(16) << QStringList{hexPairs(letters(16))} << QStringList{} << 0 << 16 << 1;

    QTest::newRow("LF does not end a line")
        << QByteArray("a\nb") << QStringList{} << QStringList{} << 3 << 3 << 0;

    // The pane breaks the one line at the line feed as it draws it.
    QTest::newRow("LF inside a line ended by CR")
        << QByteArray("a\nb\r") << QStringList{"61 0A 62 0D "} << QStringList{"a", "b"} << 0 << 0
        << 2;

    QTest::newRow("bytes above 0x7F map one to one")
        << bytesOf({0x80, 0xA9, 0xE9, 0xFF, 0x0D}) << QStringList{"80 A9 E9 FF 0D "}
        << QStringList{QString(QChar(0x80)) + QChar(0xA9) + QChar(0xE9) + QChar(0xFF)} << 0 << 0
        << 2;
}

void DisplayTest::lineBuilding() {
    QFETCH(QByteArray, input);
    QFETCH(QStringList, hexLines);
    QFETCH(QStringList, asciiLines);
    QFETCH(int, hexPending);
    QFETCH(int, asciiPending);
    QFETCH(int, lineCount);

    display->OutputLineDone = false;
    show(input);
    display->flush();

    QCOMPARE(lineTexts(*hexPane), hexLines);
    QCOMPARE(lineTexts(*asciiPane), asciiLines);
    QCOMPARE(display->HexLineLength, hexPending);
    QCOMPARE(display->AsciiLineLength, asciiPending);
    QCOMPARE(display->PaneLineCount, lineCount);
    QCOMPARE(display->OutputLineDone, !hexLines.isEmpty());
}

void DisplayTest::asciiPaneStartsAfreshAtTheByteAfterPassing2000Lines() {
    display->TerminalLog("Opened OK");
    // 1000 carriage returns add 2000 lines: not yet past the limit.
    show(QByteArray(1000, '\r'));
    show("x");
    display->flush();
    QCOMPARE(display->PaneLineCount, 2000);
    QCOMPARE(lineTexts(*asciiPane).size(), 1001);
    QCOMPARE(lineTexts(*asciiPane).first(), QString("Opened OK"));

    show("\r");
    QCOMPARE(display->PaneLineCount, 2002);
    show("y");
    display->flush();
    QCOMPARE(display->PaneLineCount, 0);
    QVERIFY(lineTexts(*asciiPane).isEmpty());
    QCOMPARE(lineTexts(*hexPane).size(), 1001);

    // The pending lines were not touched by the clearing.
    QCOMPARE(display->AsciiLineLength, 1);
    show("z\r");
    display->flush();
    QCOMPARE(lineTexts(*asciiPane), QStringList{"yz"});
    QCOMPARE(lineTexts(*hexPane).last(), QString("79 7A 0D "));
    QCOMPARE(display->PaneLineCount, 2);
}

void DisplayTest::clearingDropsLinesQueuedBeforeIt() {
    show(QByteArray(1001, '\r'));
    // Nothing flushed: those lines are still queued when the clearing byte
    // comes, and must not appear after the clearing.
    show("n\r");
    display->flush();
    QCOMPARE(lineTexts(*asciiPane), QStringList{"n"});
    QCOMPARE(lineTexts(*hexPane).size(), 1002);
}

void DisplayTest::hexPaneKeepsTheNewestLines_data() {
    QTest::addColumn<int>("flushEvery");
    QTest::newRow("one batch larger than the bound") << 0;
    QTest::newRow("many small batches") << 7;
}

void DisplayTest::hexPaneKeepsTheNewestLines() {
    QFETCH(int, flushEvery);
    constexpr int bound = 50;
    panes = std::make_unique<DisplayOverPanes>(*asciiPane, *hexPane, *clock, bound);
    display = &panes->display;

    constexpr int total = 130;
    for (int line = 0; line < total; ++line) {
        show(bytesOf({0x20 + line, 0x0D}));
        if (flushEvery > 0 && line % flushEvery == 0) {
            display->flush();
        }
    }
    display->flush();

    const QStringList lines = lineTexts(*hexPane);
    QCOMPARE(lines.size(), bound);
    QCOMPARE(lines.first(), hexPairs(bytesOf({0x20 + total - bound, 0x0D})));
    QCOMPARE(lines.last(), hexPairs(bytesOf({0x20 + total - 1, 0x0D})));
    // The ASCII pane has its own rule and is not bounded this way.
    QCOMPARE(lineTexts(*asciiPane).size(), total);
}

void DisplayTest::messagesAndDataLinesKeepTheirOrder() {
    show("ab\r");
    display->TerminalLog("first message");
    show("xy");
    display->TerminalLog("second message");
    show("\rcd\r");
    display->flush();
    QCOMPARE(lineTexts(*asciiPane),
             (QStringList{"ab", "first message", "second message", "xy", "cd"}));
    QCOMPARE(lineTexts(*hexPane), (QStringList{"61 62 0D ", "78 79 0D ", "63 64 0D "}));
}

void DisplayTest::linesAreBatchedUntilTheIntervalHasPassed() {
    const std::int64_t intervalNs = PaneWriter::InsertionIntervalMs * 1'000'000;
    clock->advance(intervalNs * 3 / 2);
    // Nothing inserted for longer than the interval: the first line goes at once.
    show("1\r");
    QCOMPARE(lineTexts(*hexPane).size(), 1);
    show("2\r3\r");
    display->flushIfDue();
    QCOMPARE(lineTexts(*hexPane).size(), 1);
    QCOMPARE(lineTexts(*asciiPane), QStringList{"1"});

    clock->advance(intervalNs * 5 / 4);
    display->flushIfDue();
    QCOMPARE(lineTexts(*hexPane), (QStringList{"31 0D ", "32 0D ", "33 0D "}));
    QCOMPARE(lineTexts(*asciiPane), (QStringList{"1", "2", "3"}));
}

// The user read back, then typed a command: the typing brought the view to
// the end, so the chip's answer comes into view.
void DisplayTest::answerToATypedLineScrollsIntoView() {
    asciiPane->resize(300, 120);
    asciiPane->show();
    for (int i = 0; i < 30; ++i) {
        show("LINE " + QByteArray::number(i) + "\r");
    }
    display->flush();
    QScrollBar& scrollBar = *asciiPane->verticalScrollBar();
    scrollBar.setValue(0);
    QTest::keyClicks(asciiPane.get(), "fwv");
    QTest::keyClick(asciiPane.get(), Qt::Key_Return);

    show("\rTarvik Monitor 1.0\rD:\\>\r");
    display->flush();
    QCOMPARE(scrollBar.value(), scrollBar.maximum());
    QCOMPARE(lineTexts(*asciiPane).last(), QString("D:\\>"));
}

QTEST_MAIN(DisplayTest)
#include "tst_display.moc"
