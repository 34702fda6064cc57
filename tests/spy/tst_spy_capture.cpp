// Spy Mode end to end: a user picks the simulated spy board, presses Open
// Spy, changes options and rates while the capture runs and presses Close
// Spy; the tests read what both panes show, in which colours and order, and
// look at the spy board's channels.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <optional>
#include <utility>

#include "DeviceLink.h"
#include "DriverRegistry.h"
#include "Form1Ui.h"
#include "LoopSession.h"
#include "SimBackend.h"
#include "SpyCapture.h"
#include "SpyPaneReading.h"
#include "SpyStep.h"
#include "TForm1.h"
#include "TestLink.h"
#include "WindowFixture.h"

Q_DECLARE_METATYPE(TimeOfDay)

namespace {

const QString SpyA = QStringLiteral("Tarvik Spy Board A");
const QString SpyB = QStringLiteral("Tarvik Spy Board B");

// A pane's lines as "R:", "B:", "G:" or "K:" (red, blue, green, black)
// followed by the text: one string says both what and in which colour.
QStringList described(const LinePane& pane) {
    QStringList lines;
    for (const PaneLine& line : paneLines(pane)) {
        const char* tag = line.colour == SpyPanes::Red     ? "R:"
                          : line.colour == SpyPanes::Blue  ? "B:"
                          : line.colour == SpyPanes::Green ? "G:"
                          : line.colour == SpyPanes::Black ? "K:"
                                                           : "?:";
        lines << QLatin1String(tag) + line.text;
    }
    return lines;
}

std::vector<std::uint8_t> bytesFrom(const QByteArray& bytes) {
    return {bytes.begin(), bytes.end()};
}

// What the default conversation carries in each direction. The chip's
// answer to a baud change still goes at the old rate, after the spy has
// followed the command to the new one: the spy hears those bytes garbled.
struct ConversationBytes {
    QByteArray host;
    QByteArray chip;
    QList<std::pair<qsizetype, qsizetype>> garbledChipSpans;
};

ConversationBytes defaultConversationBytes() {
    ConversationBytes expected;
    const SpyScript script = defaultSpyScript();
    for (std::size_t i = 0; i < script.size(); ++i) {
        const SpyStep& step = script[i];
        const QByteArray bytes(reinterpret_cast<const char*>(step.bytes.data()),
                               static_cast<qsizetype>(step.bytes.size()));
        if (step.kind == SpyStep::Kind::HostSends) {
            expected.host += bytes;
        } else if (step.kind == SpyStep::Kind::ChipSends) {
            const bool beforeRateChange =
                i + 2 < script.size() && script[i + 2].kind == SpyStep::Kind::RateChange;
            if (beforeRateChange) {
                expected.garbledChipSpans.append({expected.chip.size(), bytes.size()});
            }
            expected.chip += bytes;
        }
    }
    return expected;
}

// The line settings of a spy channel, whatever the rate: 8 data bits, 1 stop
// bit, no parity, no flow control, CR as the event character, no error
// character, a latency of 16 ms.
const QString SpyLineSettings = "8 0 0 flow 0 event 0D on error off latency 16";

QString lineSettings(const ChannelSettings& s) {
    return QString("%1 %2 %3 flow %4 event %5 %6 error %7 latency %8")
        .arg(s.wordLength)
        .arg(s.stopBits)
        .arg(s.parity)
        .arg(s.flowControl)
        .arg(ByteToHex(s.eventChar), s.eventEnabled ? "on" : "off", s.errorEnabled ? "on" : "off")
        .arg(s.latencyMs);
}

QByteArray withoutSpans(QByteArray bytes, const QList<std::pair<qsizetype, qsizetype>>& spans) {
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        bytes.remove(span->first, span->second);
    }
    return bytes;
}

}  // namespace

class SpyCaptureTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void capturesTheWholeDefaultConversation();
    void passShowsRedBeforeBlueWithOneStamp();
    void dataLines_data();
    void dataLines();
    void panesEmptyAtTheirLimit();
    void decoderStateSurvives_data();
    void decoderStateSurvives();
    void setAppliesTheRate_data();
    void setAppliesTheRate();
    void openLeavesNothingHalfOpen_data();
    void openLeavesNothingHalfOpen();
    void captureEndsCleanly_data();
    void captureEndsCleanly();
    void longQueueIsReadInBufferSizedPieces();
    void eachCaptureStartsAfresh_data();
    void eachCaptureStartsAfresh();

  private:
    void openWindow(std::optional<TimeOfDay> start = std::nullopt);
    Ui::Form1& form() { return fixture->form(); }
    SpyBoard& board() { return fixture->spyBoard(); }
    SpyCapture& spy() { return fixture->window().spy(); }
    // One pass as the capture shows it, with the given bytes read from each
    // channel, at 1234 ms.
    void showPass(const QByteArray& fromB, const QByteArray& fromA);
    bool hexPaneShows(const QString& text);
    // The bytes the red data lines of the HEX pane show end with these.
    bool chipHasReceived(const QByteArray& bytes);
    QStringList bothChannelsSettings();

    std::unique_ptr<WindowFixture> fixture;
};

void SpyCaptureTest::init() {
    openWindow();
}

// The bridge's channels and the link record start as another program and the
// other modes leave them, so each line setting the spy needs is one it made.
void SpyCaptureTest::openWindow(std::optional<TimeOfDay> start) {
    fixture.reset();  // one fixture at a time owns the driver registry
    fixture = start ? std::make_unique<WindowFixture>(*start) : std::make_unique<WindowFixture>();
    QVERIFY(fixture->pickSpyBoard());
    const ChannelSettings left{.wordLength = 7,
                               .stopBits = 2,
                               .parity = 2,
                               .flowControl = hx::FlowRtsCts,
                               .eventChar = '\n',
                               .errorEnabled = true,
                               .latencyMs = 2};
    board().openWithSettings(ChannelId::A, left);
    board().openWithSettings(ChannelId::B, left);
    DeviceLink& link = fixture->window().link();
    link.WordLength = 7;
    link.StopBits = 2;
    link.Parity = 2;
    link.FlowControl = hx::FlowRtsCts;
    link.EventChar = '\n';
    link.ErrorCharEnabled = true;
}

void SpyCaptureTest::cleanup() {
    fixture.reset();
}

void SpyCaptureTest::showPass(const QByteArray& fromB, const QByteArray& fromA) {
    DeviceLink& link = fixture->window().link();
    std::copy(fromB.begin(), fromB.end(), link.ReadBufferB.begin());
    std::copy(fromA.begin(), fromA.end(), link.ReadBufferA.begin());
    spy().ShowCapturedBytes(QStringLiteral("1234"), static_cast<std::uint32_t>(fromA.size()),
                            static_cast<std::uint32_t>(fromB.size()));
    spy().panes().flush();
}

bool SpyCaptureTest::hexPaneShows(const QString& text) {
    spy().panes().flush();
    return form().RichEdit2->toPlainText().contains(text);
}

bool SpyCaptureTest::chipHasReceived(const QByteArray& bytes) {
    spy().panes().flush();
    return bytesShown(paneLines(*form().RichEdit2), SpyPanes::Red).endsWith(bytes);
}

QStringList SpyCaptureTest::bothChannelsSettings() {
    return {lineSettings(board().settings(ChannelId::A)),
            lineSettings(board().settings(ChannelId::B))};
}

void SpyCaptureTest::capturesTheWholeDefaultConversation() {
    Ui::Form1& f = form();
    QStringList rates;
    connect(f.ComboBox3, &QComboBox::currentTextChanged, [&](const QString& t) { rates << t; });
    QStringList inputs;
    for (QRadioButton* button :
         {f.RadioButton8, f.RadioButton9, f.RadioButton10, f.RadioButton11}) {
        connect(button, &QRadioButton::toggled, [&inputs, button](bool on) {
            if (on) {
                inputs << button->objectName();
            }
        });
    }
    LoopSession session = LoopSession::spy(f);
    session.waitFor([&] { return board().completedRounds() == 1; });
    session.run();
    QVERIFY(session.completed());
    spy().panes().flush();

    // Every byte of both directions, once and in order; only the answers
    // sent at the old rate after a baud change are garbled.
    const QList<PaneLine> hex = paneLines(*f.RichEdit2);
    const ConversationBytes expected = defaultConversationBytes();
    QCOMPARE(bytesShown(hex, SpyPanes::Red), expected.host);
    const QByteArray chip = bytesShown(hex, SpyPanes::Blue);
    QCOMPARE(chip.size(), expected.chip.size());
    QCOMPARE(withoutSpans(chip, expected.garbledChipSpans),
             withoutSpans(expected.chip, expected.garbledChipSpans));
    QCOMPARE(board().overrunCount(ChannelId::A) + board().overrunCount(ChannelId::B), 0u);

    // The spy followed the link's rate and its switches, in order.
    QCOMPARE(rates, QStringList({"115200", "9600", "230400", "9600"}));
    QCOMPARE(bothChannelsSettings(), QStringList(2, SpyLineSettings));
    QCOMPARE(inputs,
             QStringList({"RadioButton11", "RadioButton10", "RadioButton9", "RadioButton8",
                          "RadioButton9", "RadioButton11", "RadioButton10", "RadioButton8"}));

    // One answer reading per CR the chip sent; stamps never go back.
    const QStringList green = linesOf(hex, SpyPanes::Green);
    QCOMPARE(green.filter(QRegularExpression("^Ans Decode: ")).size(), chip.count('\r'));
    for (const char* reading : {"Ans Decode: Bad Command", "Ans Decode: No Disk",
                                "Ans Decode: Echo", "Cmd Decode: Switch to Short Cmd Set",
                                "Cmd Decode: Set Baud Rate ", "Cmd Decode: Send SETUP Command",
                                "lLength :12", "Cmd Decode: Switch to HEX number input"}) {
        QVERIFY2(green.contains(QLatin1String(reading)), reading);
    }
    qint64 last = 0;
    for (const PaneLine& line : hex) {
        if (line.colour != SpyPanes::Green) {
            QVERIFY(stampOf(line.text) >= last);
            last = stampOf(line.text);
        }
    }
    QVERIFY(!board().isOpen(ChannelId::A) && !board().isOpen(ChannelId::B));
    QVERIFY(f.Button10->isEnabled() && !f.Button11->isEnabled());
}

void SpyCaptureTest::passShowsRedBeforeBlueWithOneStamp() {
    board().setScript({SpyStep::pause(300), SpyStep::hostSends("IPA\r"),
                       SpyStep::chipSends("D:\\>\r"), SpyStep::pause(1000)});
    LoopSession session = LoopSession::spy(form());
    // Both lines are waiting when the next pass looks.
    session.step([&] { fixture->clock.advance(400'000'000); },
                 [&] { return hexPaneShows(QStringLiteral("Ans Decode")); });
    session.run();
    QVERIFY(session.completed());
    spy().panes().flush();
    const QStringList hex = described(*form().RichEdit2);
    QCOMPARE(hex.size(), 4);
    // "Time=N :" as the first line carries it.
    const QString stamp = hex[0].mid(2, hex[0].indexOf(" :"));
    QCOMPARE(hex, QStringList({"R:" + stamp + "49 50 41 0D ",
                               "G:Cmd Decode: Switch to ASCII number input",
                               "B:" + stamp + "44 3A 5C 3E 0D ", "G:Ans Decode: Prompt"}));
    QVERIFY(stampOf(hex[0].mid(2)) >= 400);
    const QStringList ascii = described(*form().RichEdit1);
    QCOMPARE(ascii.mid(ascii.size() - 2),
             QStringList({"R:" + stamp + "IPA", "B:" + stamp + "D:\\>"}));
}

void SpyCaptureTest::dataLines_data() {
    QTest::addColumn<QByteArray>("fromB");
    QTest::addColumn<QByteArray>("fromA");
    QTest::addColumn<bool>("showTime");
    QTest::addColumn<bool>("track");
    QTest::addColumn<QStringList>("hexPane");
    QTest::addColumn<QStringList>("asciiPane");

    QTest::newRow("a command, stamped")
        << QByteArray("DIR\r") << QByteArray() << true << true
        << QStringList{"R:Time=1234 :44 49 52 0D ", "G:Cmd Decode: "}
        << QStringList{"R:Time=1234 :DIR"};
    QTest::newRow("no stamp on data or readings")
        << QByteArray("IPH\r") << QByteArray(">\r") << false << true
        << QStringList{"R:49 50 48 0D ", "G:Cmd Decode: Switch to HEX number input", "B:3E 0D ",
                       "G:Ans Decode: "}
        << QStringList{"R:IPH", "B:>"};
    QTest::newRow("not tracked: no readings")
        << QByteArray("IPA\r") << QByteArray("D:\\>\r") << true << false
        << QStringList{"R:Time=1234 :49 50 41 0D ", "B:Time=1234 :44 3A 5C 3E 0D "}
        << QStringList{"R:Time=1234 :IPA", "B:Time=1234 :D:\\>"};
    // Only CR, $, 0-9, :, >, A-Z, \ and a-z show as themselves.
    QTest::newRow("visible characters")
        << QByteArray() << bytesOf({0x20, 0x23, 0x24, 0x2E, 0x2F, 0x30, 0x39, 0x3A, 0x3B, 0x3D,
                                    0x3E, 0x3F, 0x40, 0x41, 0x5A, 0x5B, 0x5C, 0x5D, 0x60, 0x61,
                                    0x7A, 0x7B, 0x0A, 0x00, 0x7F, 0x80, 0xFF})
        << false << false
        << QStringList{"B:20 23 24 2E 2F 30 39 3A 3B 3D 3E 3F 40 41 5A 5B 5C 5D 60 61 7A 7B 0A 00 "
                       "7F 80 FF "}
        << QStringList{"B:..$..09:..>..AZ.\\..az......"};
    // A CR inside the bytes of a pass stays in its line: the pane shows
    // the line on as many rows as it has CRs.
    QTest::newRow("CR inside a pass's bytes")
        << QByteArray() << QByteArray("\rA.B\rD:\\>\r") << true << true
        << QStringList{"B:Time=1234 :0D 41 2E 42 0D 44 3A 5C 3E 0D ",
                       "G:Ans Decode: ", "G:Ans Decode: ", "G:Ans Decode: Prompt"}
        << QStringList{"B:Time=1234 :", "B:A.B", "B:D:\\>"};
}

void SpyCaptureTest::dataLines() {
    QFETCH(QByteArray, fromB);
    QFETCH(QByteArray, fromA);
    QFETCH(bool, showTime);
    QFETCH(bool, track);
    QFETCH(QStringList, hexPane);
    QFETCH(QStringList, asciiPane);

    form().CheckBox3->setChecked(showTime);
    form().CheckBox4->setChecked(track);
    showPass(fromB, fromA);
    QCOMPARE(described(*form().RichEdit2), hexPane);
    QCOMPARE(described(*form().RichEdit1), asciiPane);
    QCOMPARE(spy().panes().HexPaneLines, hexPane.size());
    QCOMPARE(spy().panes().AsciiPaneLines, (fromA.isEmpty() ? 0 : 1) + (fromB.isEmpty() ? 0 : 1));
}

// A reading counts in the HEX pane, a message does not count in the ASCII
// pane; a pane that has reached 4000 lines is emptied before the next pass
// adds to it. Clear Windows starts both counts again.
void SpyCaptureTest::panesEmptyAtTheirLimit() {
    SpyPanes& panes = spy().panes();
    for (int i = 0; i < 2000; ++i) {
        showPass(QByteArray("\r"), QByteArray());
    }
    panes.SpyLog(QStringLiteral("a message"));
    QCOMPARE(panes.HexPaneLines, 4000);
    QCOMPARE(panes.AsciiPaneLines, 2000);
    showPass(QByteArray("\r"), QByteArray());
    QCOMPARE(described(*form().RichEdit2),
             QStringList({"R:Time=1234 :0D ", "G:Cmd Decode: Carriage Return $0D "}));
    QCOMPARE(paneLines(*form().RichEdit1).size(), 2002);

    form().CheckBox4->setChecked(false);
    for (int i = 0; i < 1999; ++i) {
        showPass(QByteArray("x"), QByteArray());
    }
    QCOMPARE(panes.AsciiPaneLines, 4000);
    showPass(QByteArray(), QByteArray("y"));
    QCOMPARE(described(*form().RichEdit1), QStringList({"B:Time=1234 :y"}));
    QCOMPARE(panes.AsciiPaneLines, 1);
    QCOMPARE(panes.HexPaneLines, 2 + 1999 + 1);
    QTest::mouseClick(form().Button15, Qt::LeftButton);
    QCOMPARE(panes.HexPaneLines, 0);
    QCOMPARE(panes.AsciiPaneLines, 0);
}

// Clear Windows and a spell without Track Commands leave a partial command
// line in the decoder: "IP", then "H" CR, then "A" CR arrive.
void SpyCaptureTest::decoderStateSurvives_data() {
    QTest::addColumn<bool>("clearWindows");
    QTest::addColumn<QStringList>("readings");
    QTest::addColumn<QString>("checkedInput");

    QTest::newRow("Clear Windows")
        << true << QStringList{"Cmd Decode: Switch to HEX number input", "Cmd Decode: "}
        << "RadioButton10";
    QTest::newRow("Track Commands off for H CR")
        << false << QStringList{"Cmd Decode: Switch to ASCII number input"} << "RadioButton11";
}

void SpyCaptureTest::decoderStateSurvives() {
    QFETCH(bool, clearWindows);
    QFETCH(QStringList, readings);
    QFETCH(QString, checkedInput);

    Ui::Form1& f = form();
    board().setScript({SpyStep::pause(100), SpyStep::hostSends("IP"), SpyStep::pause(300),
                       SpyStep::hostSends("H\r"), SpyStep::pause(300), SpyStep::hostSends("A\r"),
                       SpyStep::pause(5000)});
    LoopSession session = LoopSession::spy(f);
    session.waitFor([&] { return chipHasReceived("IP"); })
        .step([&] {
            if (clearWindows) {
                QTest::mouseClick(f.Button15, Qt::LeftButton);
            } else {
                f.CheckBox4->click();
            }
        })
        .waitFor([&] { return chipHasReceived("H\r"); })
        .step([&] {
            if (!clearWindows) {
                f.CheckBox4->click();
            }
        })
        .waitFor([&] { return chipHasReceived("A\r"); });
    session.run();
    QVERIFY(session.completed());
    spy().panes().flush();
    QCOMPARE(linesOf(paneLines(*f.RichEdit2), SpyPanes::Green), readings);
    QVERIFY(fixture->window().findChild<QRadioButton*>(checkedInput)->isChecked());
}

void SpyCaptureTest::setAppliesTheRate_data() {
    QTest::addColumn<bool>("capturing");
    QTest::addColumn<QString>("rateText");
    QTest::addColumn<std::uint32_t>("rateAfter");
    QTest::addColumn<QString>("message");

    const QString refused = "ERROR : \"%1\" is not a baud rate the bridge can run at";
    QTest::newRow("19200 during a capture") << true << "19200" << 19200u << QString();
    QTest::newRow("a rate off the list") << true << "250000" << 250000u << QString();
    QTest::newRow("not a number") << true << "fast" << 9600u << refused.arg("fast");
    QTest::newRow("beyond the bridge") << true << "3000001" << 9600u << refused.arg("3000001");
    QTest::newRow("nothing open") << false << "fast" << 9600u << QString();
}

void SpyCaptureTest::setAppliesTheRate() {
    QFETCH(bool, capturing);
    QFETCH(QString, rateText);
    QFETCH(std::uint32_t, rateAfter);
    QFETCH(QString, message);

    Ui::Form1& f = form();
    board().setScript({SpyStep::pause(1000)});
    bool stillCapturing = false;
    QStringList settingsAtOpen;
    const auto set = [&] {
        settingsAtOpen = bothChannelsSettings();
        board().clearRecords();
        f.ComboBox3->setEditText(rateText);
        QTest::mouseClick(f.Button12, Qt::LeftButton);
        stillCapturing = f.Button11->isEnabled();
    };
    if (capturing) {
        LoopSession session = LoopSession::spy(f);
        session.step(set);
        session.run();
        QVERIFY(stillCapturing);
        QCOMPARE(settingsAtOpen, QStringList(2, SpyLineSettings));
        QCOMPARE(bothChannelsSettings(), QStringList(2, SpyLineSettings));
        QCOMPARE(board().settings(ChannelId::A).baudRate, rateAfter);
        QCOMPARE(board().settings(ChannelId::B).baudRate, rateAfter);
        const bool applied = message.isEmpty();
        QCOMPARE(board().bitModeCalls(ChannelId::B).size(), applied ? 1u : 0u);
        if (applied) {
            QCOMPARE(board().bitModeCalls(ChannelId::B)[0].mask, 0x94);
            QCOMPARE(board().bitModeCalls(ChannelId::B)[0].mode, hx::BitModeReset);
        }
    } else {
        set();
        QVERIFY(board().bitModeCalls(ChannelId::B).empty());
    }
    QCOMPARE(described(*f.RichEdit1).contains("K:" + message), !message.isEmpty());
    QVERIFY(fixture->dialogs.errors.isEmpty());
}

void SpyCaptureTest::openLeavesNothingHalfOpen_data() {
    QTest::addColumn<QString>("board");
    QTest::addColumn<int>("refusedChannel");  // -1 none, else the ChannelId
    QTest::addColumn<QString>("rateText");
    QTest::addColumn<QStringList>("pane");
    QTest::addColumn<int>("dialogs");

    const QString openingA = "K:Opening Device : " + SpyA;
    const QString openingB = "K:Opening Device : " + SpyB;
    QTest::newRow("no board chosen")
        << QString() << -1 << "9600" << QStringList{"K:ERROR : You must select a device"} << 0;
    QTest::newRow("channel A refused")
        << SpyA.chopped(2) << 0 << "9600"
        << QStringList{openingA, openingB, "K:ERROR : failed to open " + SpyA} << 1;
    QTest::newRow("channel B refused")
        << SpyA.chopped(2) << 1 << "9600"
        << QStringList{openingA, "K:Opened OK", openingB, "K:ERROR : failed to open " + SpyB,
                       "K:ERROR : Spy Mode listens on both channels of the board, one for each "
                       "direction: nothing was captured"}
        << 1;
    QTest::newRow("rate not a number")
        << SpyA.chopped(2) << -1 << "96OO"
        << QStringList{openingA, "K:Opened OK", openingB, "K:Opened OK",
                       "K:ERROR : \"96OO\" is not a baud rate the bridge can run at"}
        << 0;
    QTest::newRow("rate below the bridge")
        << SpyA.chopped(2) << -1 << "100"
        << QStringList{openingA, "K:Opened OK", openingB, "K:Opened OK",
                       "K:ERROR : \"100\" is not a baud rate the bridge can run at"}
        << 0;
}

void SpyCaptureTest::openLeavesNothingHalfOpen() {
    QFETCH(QString, board);
    QFETCH(int, refusedChannel);
    QFETCH(QString, rateText);
    QFETCH(QStringList, pane);
    QFETCH(int, dialogs);

    Ui::Form1& f = form();
    if (board.isEmpty()) {
        f.ComboBox1->setEditText(QString());
    }
    if (refusedChannel >= 0) {
        this->board().refuseOpen(static_cast<ChannelId>(refusedChannel), hx::DeviceNotFound);
    }
    f.ComboBox3->setEditText(rateText);
    fixture->window().Button10Click();
    QCOMPARE(described(*f.RichEdit1), pane);
    QCOMPARE(fixture->dialogs.errors.size(), dialogs);
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
    QVERIFY(!fixture->window().link().ChannelAOpen && !fixture->window().link().ChannelBOpen);
    QVERIFY(!fixture->window().flags().SpyOpen);
    QCOMPARE(f.Button10->isEnabled(), !board.isEmpty());
    QVERIFY(!f.Button11->isEnabled());
}

void SpyCaptureTest::captureEndsCleanly_data() {
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("lastLine");
    QTest::addColumn<QStringList>("dialogs");

    QTest::newRow("Close Spy") << "close"
                               << "K:Opened OK" << QStringList();
    QTest::newRow("window closed") << "window"
                                   << "K:Opened OK" << QStringList();
    // Both channels' queries fail in the pass that finds the board gone;
    // closing the channels of a board that is not there says nothing more.
    QTest::newRow("board unplugged") << "unplug"
                                     << "K:ERROR : the board stopped answering: capture ended"
                                     << QStringList(2, "HX_GetQueueStatus - General IO Error...");
}

void SpyCaptureTest::captureEndsCleanly() {
    QFETCH(QString, ending);
    QFETCH(QString, lastLine);
    QFETCH(QStringList, dialogs);

    Ui::Form1& f = form();
    bool locked = false;
    LoopSession session = LoopSession::spy(f);
    session.waitFor([&] { return hexPaneShows(QStringLiteral("Cmd Decode")); })
        .step(
            [&] {
                locked = !f.ComboBox1->isEnabled() && !f.Button6->isEnabled() &&
                         !f.Button2->isEnabled() && !f.Button10->isEnabled();
                if (ending == "close") {
                    QTest::mouseClick(f.Button11, Qt::LeftButton);
                } else if (ending == "window") {
                    fixture->window().close();
                } else {
                    board().unplug();
                }
            },
            [] { return false; });
    session.run();
    QVERIFY(locked);
    QVERIFY(!fixture->window().flags().SpyOpen);
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
    QCOMPARE(fixture->dialogs.errors, dialogs);
    QCOMPARE(described(*f.RichEdit1).filter(QRegularExpression("^K:")).last(), lastLine);
    QVERIFY(f.ComboBox1->isEnabled() && f.Button6->isEnabled() && f.Button2->isEnabled());
    QVERIFY(f.Button10->isEnabled() && !f.Button11->isEnabled());
}

// 100,000 bytes queued at once are more than a read buffer holds: the pass
// reads 65,536 and the next one the rest.
void SpyCaptureTest::longQueueIsReadInBufferSizedPieces() {
    QByteArray answer(100'000, 'x');
    for (qsizetype i = 999; i < answer.size(); i += 1000) {
        answer[i] = '\r';
    }
    board().setScript(
        {SpyStep::pause(100), SpyStep::chipSends(bytesFrom(answer)), SpyStep::pause(5000)},
        3'000'000);
    form().ComboBox3->setEditText(QStringLiteral("3000000"));
    QList<PaneLine> hex;
    LoopSession session = LoopSession::spy(form());
    session.step([&] { fixture->clock.advance(1'000'000'000); },
                 [&] {
                     spy().panes().flush();
                     hex = paneLines(*form().RichEdit2);
                     return bytesShown(hex, SpyPanes::Blue).size() >= answer.size();
                 });
    session.run();
    QVERIFY(session.completed());
    const QStringList blue = linesOf(hex, SpyPanes::Blue);
    QCOMPARE(blue.size(), 2);
    QCOMPARE(hexLineBytes(blue[0]).size(), 65'536);
    QCOMPARE(bytesShown(hex, SpyPanes::Blue), answer);
    QCOMPARE(linesOf(hex, SpyPanes::Green).size(), 100);
    QCOMPARE(board().overrunCount(ChannelId::A), 0u);
}

void SpyCaptureTest::eachCaptureStartsAfresh_data() {
    QTest::addColumn<TimeOfDay>("start");

    QTest::newRow("in the morning") << TimeOfDay{10, 0, 0, 0};
    QTest::newRow("across midnight") << TimeOfDay{23, 59, 58, 500};
}

// A line 3 s after a capture's start carries about Time=3000, whatever the
// time of day, in the next capture too; and the next capture reads nothing
// of a line the last one heard only in part ("IP", "Bad Comm").
void SpyCaptureTest::eachCaptureStartsAfresh() {
    QFETCH(TimeOfDay, start);

    openWindow(start);
    for (const auto& [host, chip] : {std::pair{"IP", "Bad Comm"}, std::pair{"A\r", "and\r"}}) {
        board().setScript({SpyStep::pause(3000), SpyStep::hostSends(host), SpyStep::chipSends(chip),
                           SpyStep::pause(5000)});
        LoopSession session = LoopSession::spy(form());
        session.waitFor([&] { return board().completedRounds() == 1; });
        session.run();
        QVERIFY(session.completed());
        spy().panes().flush();
        const qint64 stamp = stampOf(linesOf(paneLines(*form().RichEdit2), SpyPanes::Red).last());
        QVERIFY2(stamp >= 2990 && stamp < 3200, qPrintable(QString::number(stamp)));
    }
    QCOMPARE(linesOf(paneLines(*form().RichEdit2), SpyPanes::Green),
             QStringList({"Cmd Decode: ", "Ans Decode: "}));
}

QTEST_MAIN(SpyCaptureTest)
#include "tst_spy_capture.moc"
