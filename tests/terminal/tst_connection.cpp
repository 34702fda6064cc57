// Terminal Mode's connection and board control end to end: a user picks the
// simulated board, presses Open, types, changes the rate, suspends, resets and
// closes; the tests look at what each channel of the board received, the
// chip's lines and rate, and what the window shows.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "BaudDivisor.h"
#include "DeviceLink.h"
#include "DriverRegistry.h"
#include "EvalBoard.h"
#include "Form1Ui.h"
#include "LoopSession.h"
#include "SimBackend.h"
#include "TForm1.h"
#include "TestLink.h"
#include "WindowFixture.h"

namespace {

const QString BoardName = QString::fromLatin1(SimBackend::EvalBoardName);
const QString SignOn = QStringLiteral("Tarvik Monitor 1.0 ready");
// The sign-on carries the version too: the answer to FWV makes it twice.
const QString Version = QStringLiteral("Tarvik Monitor 1.0");
const QString PortMustBeOpen = QStringLiteral("ERROR : Port must be open");
const QString SelectDevice = QStringLiteral("ERROR : You must select a device");

QByteArray divisorBytes(std::uint32_t baudRate) {
    const DivisorBytes divisor = BaudDivisorBytes(baudRate).value();
    return bytesOf({divisor[0], divisor[1], divisor[2]});
}

QByteArray joined(const std::vector<QByteArray>& writes, std::size_t from = 0) {
    QByteArray all;
    for (std::size_t i = from; i < writes.size(); ++i) {
        all += writes[i];
    }
    return all;
}

}  // namespace

class ConnectionTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void divisorBytesOfEveryRate_data();
    void divisorBytesOfEveryRate();
    void unexpressibleRatesAreRefused_data();
    void unexpressibleRatesAreRefused();

    void openStartsTheChipAndShowsItsSignOn();
    void aWholeSession();
    void closeRestoresTheClosedState();
    void boardHandlersNeedADevice_data();
    void boardHandlersNeedADevice();
    void openRefusesABadRate_data();
    void openRefusesABadRate();
    void unopenableChannelAIsReportedAndLeavesNothingOpen();

    void setChangesBothEnds_data();
    void setChangesBothEnds();
    void setWhileClosedDoesNothing();
    void setRefusesABadRate();
    void stagedKeysGoOutAheadOfTheBaudCommand();

    void suspendAndResume();
    void suspendAndResumeNeedAnOpenPort();

    void boardControlWhileClosed_data();
    void boardControlWhileClosed();

    void openAndSetDriveTheLines_data();
    void openAndSetDriveTheLines();
    void dataAndCommandModeAcknowledgement();
    void disabledRtsHoldsTheChipWithoutLoss();

    void failedQueueStatusEndsTheLoop();
    void linkFollowsAChipRestart_data();
    void linkFollowsAChipRestart();
    void boardThatComesBackIsReopened();

  private:
    Ui::Form1& form() { return fixture->form(); }
    EvalBoard& board() { return fixture->evalBoard(); }
    QString ascii() { return form().Memo2->toPlainText(); }
    QString hex() { return form().Memo3->toPlainText(); }
    // The pane keeps an empty last line for typing.
    QStringList asciiLines() {
        QStringList lines = ascii().split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty()) {
            lines.removeLast();
        }
        return lines;
    }
    LoopSession::Condition versionAnswered() {
        return [this] { return ascii().count(Version) >= 2; };
    }
    bool asciiShows(const QString& text) { return ascii().contains(text); }
    LoopSession::Condition shows(const QString& text) {
        return [this, text] { return asciiShows(text); };
    }
    LoopSession::Condition signedOn() { return shows(SignOn); }
    void typeLine(const QString& line);
    void chooseRate(const QString& text) { form().ComboBox2->setEditText(text); }
    std::size_t writesToA() { return board().writes(ChannelId::A).size(); }

    std::unique_ptr<WindowFixture> fixture;
};

void ConnectionTest::init() {
    fixture = std::make_unique<WindowFixture>();
    QVERIFY(fixture->pickEvalBoard());
}

void ConnectionTest::cleanup() {
    fixture.reset();
}

void ConnectionTest::typeLine(const QString& line) {
    form().Memo2->setFocus();
    QTest::keyClicks(form().Memo2, line);
    QTest::keyClick(form().Memo2, Qt::Key_Return);
}

// --- The divisor bytes ---

void ConnectionTest::divisorBytesOfEveryRate_data() {
    QTest::addColumn<std::uint32_t>("baudRate");
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](std::uint32_t rate, std::initializer_list<int> divisor) {
        QTest::addRow("%u", rate) << rate << bytesOf(divisor);
    };
    row(300, {0x10, 0x27, 0x00});
    row(600, {0x88, 0x13, 0x00});
    row(1200, {0xC4, 0x09, 0x00});
    row(2400, {0xE2, 0x04, 0x00});
    row(4800, {0x71, 0x02, 0x00});
    row(9600, {0x38, 0x41, 0x00});
    row(19200, {0x9C, 0x80, 0x00});
    row(38400, {0x4E, 0xC0, 0x00});
    row(57600, {0x34, 0xC0, 0x00});
    row(115200, {0x1A, 0x00, 0x00});
    row(230400, {0x0D, 0x00, 0x00});
    row(460800, {0x06, 0x40, 0x00});
    row(921600, {0x03, 0x80, 0x00});
    row(1000000, {0x03, 0x00, 0x00});
    row(2000000, {0x01, 0x00, 0x00});
    row(3000000, {0x00, 0x00, 0x00});
    // The edges of what the divisor can carry, and a rate off the list whose
    // fraction falls in the widened six-eighths row (F = 813).
    row(184, {0xB0, 0x3F, 0x01});
    row(1500000, {0x02, 0x00, 0x00});
    row(1200000, {0x02, 0x40, 0x00});
    row(14400, {0xD0, 0x00, 0x01});
    row(1045, {0x36, 0x8B, 0x01});
}

void ConnectionTest::divisorBytesOfEveryRate() {
    QFETCH(std::uint32_t, baudRate);
    QFETCH(QByteArray, expected);
    const std::optional<DivisorBytes> divisor = BaudDivisorBytes(baudRate);
    QVERIFY(divisor.has_value());
    QCOMPARE(bytesOf({(*divisor)[0], (*divisor)[1], (*divisor)[2]}).toHex(' '),
             expected.toHex(' '));
}

void ConnectionTest::unexpressibleRatesAreRefused_data() {
    QTest::addColumn<std::uint32_t>("baudRate");
    QTest::newRow("zero") << 0u;
    QTest::newRow("183: the integer part needs 15 bits") << 183u;
    QTest::newRow("above the serial clock") << 3'000'001u;
    QTest::newRow("far above") << 4'000'000'000u;
    QTest::newRow("2500000: divisor 1 selects 2000000") << 2'500'000u;
    QTest::newRow("1500001: divisor 1 selects 2000000") << 1'500'001u;
}

void ConnectionTest::unexpressibleRatesAreRefused() {
    QFETCH(std::uint32_t, baudRate);
    QVERIFY(!BaudDivisorBytes(baudRate).has_value());
}

// --- Open and Close ---

void ConnectionTest::openStartsTheChipAndShowsItsSignOn() {
    QString runningLabel;
    QString interfaceLabel;
    QString ackLabel;
    bool openState = false;
    LoopSession session(form());
    session.waitFor(signedOn()).step([&] {
        runningLabel = form().Label9->text();
        interfaceLabel = form().Label11->text();
        ackLabel = form().Label12->text();
        openState = !form().Button6->isEnabled() && form().Button7->isEnabled() &&
                    !form().ComboBox1->isEnabled() && form().RadioButton7->isEnabled() &&
                    !form().Button4->isEnabled() && form().GroupBox1->isEnabled() &&
                    form().GroupBox2->isEnabled() && !form().Button1->isEnabled() &&
                    !form().Button10->isEnabled() && fixture->window().flags().TerminalOpen;
    });
    session.run();
    QVERIFY(session.completed());

    const QStringList lines = asciiLines();
    QCOMPARE(lines.value(0),
             QStringLiteral("Opening Device : ") + BoardName + QStringLiteral(" A"));
    QCOMPARE(lines.value(1), QStringLiteral("Opened OK"));
    QVERIFY(asciiShows(SignOn));
    // "Tarvik Monitor 1.0 ready" as the HEX pane shows its first 16 bytes.
    QVERIFY(hex().contains(QStringLiteral("54 61 72 76 69 6B 20 4D 6F 6E 69 74 6F 72 20 31 ")));
    QCOMPARE(runningLabel, QStringLiteral("Running"));
    QCOMPARE(interfaceLabel, QStringLiteral("Enabled"));
    QCOMPARE(ackLabel, QStringLiteral("ACK"));
    QVERIFY(openState);
    QVERIFY(form().RadioButton2->isChecked());

    // Run from the radio button, then Open's own run: 0x14, bit mode, 0x14 twice.
    for (const QByteArray& write : board().writes(ChannelId::B)) {
        QCOMPARE(write, bytesOf({0x14}));
    }
    QCOMPARE(board().writes(ChannelId::B).size(), std::size_t{4});
    QCOMPARE(board().bitModeCalls(ChannelId::B).size(), std::size_t{2});
    for (const BitModeCall& call : board().bitModeCalls(ChannelId::B)) {
        QCOMPARE(call.mask, std::uint8_t{0x94});
        QCOMPARE(call.mode, std::uint8_t{4});
    }
    const ChannelSettings& a = board().settings(ChannelId::A);
    QCOMPARE(a.baudRate, 9600u);
    QVERIFY(a.rtsCtsHandshake());
    QCOMPARE(a.xon, std::uint8_t{0x11});
    QCOMPARE(a.xoff, std::uint8_t{0x13});
    QVERIFY(fixture->dialogs.errors.isEmpty());
}

// A first session as a new user would have it, and the link still carries
// the monitor's answers after each step.
void ConnectionTest::aWholeSession() {
    const auto listed = [this] { return ascii().count(QStringLiteral("README.TXT")) >= 2; };
    std::size_t channelBWrites = 0;
    bool heldInReset = false;
    QString resetLabel;
    LoopSession session(form());
    session.waitFor(signedOn())
        .step([&] { typeLine(QStringLiteral("DIR")); }, shows(QStringLiteral("README.TXT")))
        .step(
            [&] {
                chooseRate(QStringLiteral("115200"));
                QTest::mouseClick(form().Button3, Qt::LeftButton);
                typeLine(QStringLiteral("DIR"));
            },
            listed)
        .step([&] { QTest::mouseClick(form().RadioButton7, Qt::LeftButton); })
        .step([&] { QTest::mouseClick(form().Button4, Qt::LeftButton); })
        .step([&] { typeLine(QStringLiteral("FWV")); }, versionAnswered())
        .step([&] {
            channelBWrites = board().writes(ChannelId::B).size();
            form().Memo2->clear();
            QTest::mouseClick(form().RadioButton1, Qt::LeftButton);
            heldInReset = !board().resetLine() && !board().isOpen(ChannelId::B);
            resetLabel = form().Label9->text();
        })
        // Run starts the firmware again, at its own start rate of 9600.
        .step(
            [&] {
                chooseRate(QStringLiteral("9600"));
                QTest::mouseClick(form().Button3, Qt::LeftButton);
                QTest::mouseClick(form().RadioButton2, Qt::LeftButton);
            },
            signedOn());
    session.run();
    QVERIFY2(session.completed(), qPrintable(QString::number(session.stepsDone())));
    QVERIFY(heldInReset);
    QCOMPARE(resetLabel, QStringLiteral("Reset"));
    QCOMPARE(joined(board().writes(ChannelId::B), channelBWrites), bytesOf({0x10, 0x14, 0x14}));
    QCOMPARE(asciiLines().last(),
             QStringLiteral("Device ") + BoardName + QStringLiteral(" Closed"));
    QVERIFY(fixture->dialogs.errors.isEmpty());
}

void ConnectionTest::closeRestoresTheClosedState() {
    LoopSession session(form());
    session.waitFor(signedOn()).step([&] { form().RadioButton6->setChecked(true); });
    session.run();
    QVERIFY(session.completed());

    QCOMPARE(asciiLines().last(),
             QStringLiteral("Device ") + BoardName + QStringLiteral(" Closed"));
    QVERIFY(form().Button6->isEnabled());
    QVERIFY(!form().Button7->isEnabled());
    QVERIFY(form().ComboBox1->isEnabled());
    QVERIFY(!form().RadioButton7->isEnabled());
    QVERIFY(!form().Button4->isEnabled());
    QVERIFY(!form().GroupBox1->isEnabled());
    QVERIFY(!form().GroupBox2->isEnabled());
    QVERIFY(form().Button1->isEnabled());
    QVERIFY(form().Button10->isEnabled());
    QCOMPARE(form().Label11->text(), QStringLiteral("Closed"));
    QCOMPARE(form().Label12->text(), QStringLiteral("Not Avail"));
    // The selections stay as the user left them.
    QVERIFY(form().RadioButton2->isChecked());
    QVERIFY(form().RadioButton6->isChecked());
    QVERIFY(!board().isOpen(ChannelId::A));
    QVERIFY(!board().isOpen(ChannelId::B));
    QVERIFY(!fixture->window().flags().TerminalOpen);
    QVERIFY(fixture->window().flags().TerminalStop);
    // Close writes nothing to channel B before it closes it.
    QCOMPARE(board().writes(ChannelId::B).size(), std::size_t{4});
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
}

void ConnectionTest::boardHandlersNeedADevice_data() {
    QTest::addColumn<QString>("handler");
    for (const char* handler :
         {"Button6Click", "RadioButton1Click", "RadioButton2Click", "RadioButton7Click"}) {
        QTest::newRow(handler) << QString::fromLatin1(handler);
    }
}

// The buttons are off without a port; the handlers still guard themselves.
void ConnectionTest::boardHandlersNeedADevice() {
    QFETCH(QString, handler);
    form().ComboBox1->setEditText(QString());
    QVERIFY(QMetaObject::invokeMethod(&fixture->window(), qPrintable(handler)));
    QCOMPARE(asciiLines(), QStringList{SelectDevice});
    QVERIFY(!board().isOpen(ChannelId::A));
    QVERIFY(!board().isOpen(ChannelId::B));
    QVERIFY(board().writes(ChannelId::B).empty());
}

void ConnectionTest::openRefusesABadRate_data() {
    QTest::addColumn<QString>("rate");
    QTest::newRow("not a number") << QStringLiteral("12x");
    QTest::newRow("empty") << QString();
    QTest::newRow("negative") << QStringLiteral("-9600");
    QTest::newRow("below the divisor's range") << QStringLiteral("183");
    QTest::newRow("above the divisor's range") << QStringLiteral("3000001");
    QTest::newRow("between the fixed top rates") << QStringLiteral("2500000");
}

void ConnectionTest::openRefusesABadRate() {
    QFETCH(QString, rate);
    chooseRate(rate);
    QTest::mouseClick(form().Button6, Qt::LeftButton);
    QCOMPARE(
        asciiLines(),
        QStringList{
            QStringLiteral("ERROR : \"%1\" is not a baud rate the link can run at").arg(rate)});
    QVERIFY(!board().isOpen(ChannelId::A));
    QVERIFY(!board().isOpen(ChannelId::B));
    QVERIFY(form().Button6->isEnabled());
    QVERIFY(!fixture->window().flags().TerminalOpen);
}

void ConnectionTest::unopenableChannelAIsReportedAndLeavesNothingOpen() {
    board().refuseOpen(ChannelId::A, hx::DeviceNotOpened);
    QTest::mouseClick(form().Button6, Qt::LeftButton);
    QCOMPARE(fixture->dialogs.errors,
             QStringList{
                 QStringLiteral("Open_USB_Device_By_Device_Description - Device Not Opened...")});
    QCOMPARE(asciiLines().last(),
             QStringLiteral("ERROR : failed to open ") + BoardName + QStringLiteral(" A"));
    QVERIFY(!board().isOpen(ChannelId::B));
    QVERIFY(!fixture->window().link().ChannelAOpen);
    QVERIFY(form().Button6->isEnabled());
    QVERIFY(!form().Button7->isEnabled());
    QVERIFY(form().ComboBox1->isEnabled());
}

// --- Set ---

void ConnectionTest::setChangesBothEnds_data() {
    QTest::addColumn<QString>("rate");
    // The window's own list, and 2000000, which is not on it but can be typed.
    for (const char* rate :
         {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200",
          "230400", "460800", "921600", "1000000", "3000000", "2000000"}) {
        QTest::newRow(rate) << QString::fromLatin1(rate);
    }
}

void ConnectionTest::setChangesBothEnds() {
    QFETCH(QString, rate);
    const std::uint32_t baudRate = rate.toUInt();
    if (rate != QStringLiteral("2000000")) {
        QVERIFY(form().ComboBox2->findText(rate) >= 0);
    }
    std::size_t setWrite = 0;
    std::uint32_t bridgeRateRightAfterSend = 0;
    LoopSession session(form());
    session.waitFor(signedOn())
        .step(
            [&] {
                chooseRate(rate);
                setWrite = writesToA();
                QTest::mouseClick(form().Button3, Qt::LeftButton);
                bridgeRateRightAfterSend = board().settings(ChannelId::A).baudRate;
            },
            [&] { return board().chipBaudRate() == baudRate; })
        .step([&] { typeLine(QStringLiteral("FWV")); }, versionAnswered());
    session.run();
    QVERIFY2(session.completed(), qPrintable(QString::number(session.stepsDone())));

    const QByteArray expected = QByteArray("SBD ") + divisorBytes(baudRate) + bytesOf({0x0D});
    QCOMPARE(board().writes(ChannelId::A).at(setWrite).toHex(' '), expected.toHex(' '));
    QCOMPARE(bridgeRateRightAfterSend, baudRate);
    QCOMPARE(board().settings(ChannelId::A).baudRate, baudRate);
    QVERIFY(board().settings(ChannelId::A).rtsCtsHandshake());
    // The command is shown as if the chip had sent it (a divisor byte 0D ends
    // a HEX line early, as a received carriage return does).
    const QString shownHex = QString::fromLatin1(expected.toHex(' ').toUpper()) + QLatin1Char(' ');
    QVERIFY(hex().remove(QLatin1Char('\n')).contains(shownHex));
}

void ConnectionTest::setWhileClosedDoesNothing() {
    chooseRate(QStringLiteral("12x"));
    QTest::mouseClick(form().Button3, Qt::LeftButton);
    chooseRate(QStringLiteral("115200"));
    QTest::mouseClick(form().Button3, Qt::LeftButton);
    QCOMPARE(ascii(), QString());
    QVERIFY(!board().isOpen(ChannelId::A));
    QVERIFY(board().writes(ChannelId::A).empty());
    QVERIFY(fixture->dialogs.errors.isEmpty());
}

void ConnectionTest::setRefusesABadRate() {
    std::size_t writesBefore = 0;
    std::int32_t staged = -1;
    LoopSession session(form());
    session.waitFor(signedOn()).step([&] {
        QTest::keyClicks(form().Memo2, QStringLiteral("ab"));
        writesBefore = writesToA();
        chooseRate(QStringLiteral("12x"));
        QTest::mouseClick(form().Button3, Qt::LeftButton);
        staged = fixture->window().link().WriteCountA;
    });
    session.run();
    QVERIFY(session.completed());
    QVERIFY(asciiShows(QStringLiteral("ERROR : \"12x\" is not a baud rate the link can run at")));
    QCOMPARE(writesToA(), writesBefore);
    QCOMPARE(board().settings(ChannelId::A).baudRate, 9600u);
    // The typed keys wait for their Enter as before.
    QCOMPARE(staged, 2);
    QVERIFY(!hex().contains(QStringLiteral("53 42 44 20")));
}

void ConnectionTest::stagedKeysGoOutAheadOfTheBaudCommand() {
    std::size_t setWrite = 0;
    LoopSession session(form());
    session.waitFor(signedOn()).step([&] {
        QTest::keyClicks(form().Memo2, QStringLiteral("ab"));
        chooseRate(QStringLiteral("19200"));
        setWrite = writesToA();
        QTest::mouseClick(form().Button3, Qt::LeftButton);
    });
    session.run();
    QVERIFY(session.completed());
    QCOMPARE(board().writes(ChannelId::A).at(setWrite),
             QByteArray("abSBD ") + divisorBytes(19200) + bytesOf({0x0D}));
    QCOMPARE(board().settings(ChannelId::A).baudRate, 19200u);
}

// --- Suspend and Resume ---

void ConnectionTest::suspendAndResume() {
    std::size_t suspendWrite = 0;
    std::size_t resumeWrite = 0;
    std::size_t channelBWrites = 0;
    QString suspendedLabel;
    bool suspendedControls = false;
    bool resumedControls = false;
    bool channelBClosed = false;
    QString resumedLabel;
    LoopSession session(form());
    session.waitFor(signedOn())
        .step([&] {
            // Keys typed without Enter are dropped by both.
            QTest::keyClicks(form().Memo2, QStringLiteral("xy"));
            suspendWrite = writesToA();
            QTest::mouseClick(form().RadioButton7, Qt::LeftButton);
            suspendedLabel = form().Label9->text();
            suspendedControls = form().Button4->isEnabled() && !form().RadioButton7->isEnabled();
        })
        .step([&] {
            QTest::keyClicks(form().Memo2, QStringLiteral("zz"));
            resumeWrite = writesToA();
            channelBWrites = board().writes(ChannelId::B).size();
            QTest::mouseClick(form().Button4, Qt::LeftButton);
            resumedControls = form().RadioButton2->isChecked() &&
                              form().RadioButton7->isEnabled() && !form().Button4->isEnabled();
            resumedLabel = form().Label9->text();
            channelBClosed = !board().isOpen(ChannelId::B);
        })
        // The monitor answers again.
        .step([&] { typeLine(QStringLiteral("FWV")); }, versionAnswered());
    session.run();
    QVERIFY(session.completed());

    QCOMPARE(board().writes(ChannelId::A).at(suspendWrite), bytesOf({0x53, 0x55, 0x4D, 0x0D}));
    QCOMPARE(suspendedLabel, QStringLiteral("Suspend"));
    QVERIFY(suspendedControls);
    QVERIFY(hex().contains(QStringLiteral("53 55 4D 0D ")));
    QCOMPARE(board().writes(ChannelId::A).at(resumeWrite), bytesOf({0x0D}));
    // Resume selects Run again: channel B gets the run pattern and is closed.
    QCOMPARE(joined(board().writes(ChannelId::B), channelBWrites), bytesOf({0x14, 0x14}));
    QVERIFY(channelBClosed);
    QVERIFY(resumedControls);
    QCOMPARE(resumedLabel, QStringLiteral("Running"));
}

void ConnectionTest::suspendAndResumeNeedAnOpenPort() {
    form().RadioButton7->setChecked(true);
    fixture->window().Button4Click();
    QCOMPARE(asciiLines(), (QStringList{PortMustBeOpen, PortMustBeOpen}));
    QVERIFY(board().writes(ChannelId::A).empty());
}

// --- Reset and Run ---

void ConnectionTest::boardControlWhileClosed_data() {
    QTest::addColumn<bool>("reset");
    QTest::addColumn<QByteArray>("channelB");
    QTest::addColumn<int>("bitModeCalls");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("released");
    QTest::newRow("run") << false << bytesOf({0x14, 0x14}) << 1 << QStringLiteral("Running")
                         << true;
    QTest::newRow("reset after run")
        << true << bytesOf({0x14, 0x14, 0x10}) << 2 << QStringLiteral("Reset") << false;
}

void ConnectionTest::boardControlWhileClosed() {
    QFETCH(bool, reset);
    QFETCH(QByteArray, channelB);
    QFETCH(int, bitModeCalls);
    QFETCH(QString, status);
    QFETCH(bool, released);
    QTest::mouseClick(form().RadioButton2, Qt::LeftButton);
    if (reset) {
        QTest::mouseClick(form().RadioButton1, Qt::LeftButton);
    }
    QCOMPARE(joined(board().writes(ChannelId::B)), channelB);
    QCOMPARE(static_cast<int>(board().bitModeCalls(ChannelId::B).size()), bitModeCalls);
    QCOMPARE(board().resetLine(), released);
    QVERIFY(board().programLine());
    QVERIFY(!board().isOpen(ChannelId::B));
    QVERIFY(!board().isOpen(ChannelId::A));
    QCOMPARE(form().Label9->text(), status);
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
}

// --- Command and data mode, RTS ---

void ConnectionTest::openAndSetDriveTheLines_data() {
    QTest::addColumn<bool>("dataMode");
    QTest::newRow("command mode") << false;
    QTest::newRow("data mode") << true;
}

// Open selects "Enable RTS" and both Open and Set raise RTS and set DTR from
// the mode buttons, whatever the RTS buttons or the lines showed before.
void ConnectionTest::openAndSetDriveTheLines() {
    QFETCH(bool, dataMode);
    QTest::mouseClick(dataMode ? form().RadioButton4 : form().RadioButton3, Qt::LeftButton);
    QTest::mouseClick(form().RadioButton6, Qt::LeftButton);
    const auto lines = [this] {
        const ChannelSettings& a = board().settings(ChannelId::A);
        return std::pair{a.dtr, a.rts};
    };
    std::pair<bool, bool> atOpen;
    std::pair<bool, bool> afterSet;
    bool rtsEnabledAtOpen = false;
    bool rtsDisabledAfterSet = false;
    LoopSession session(form());
    session.step([&] {
        atOpen = lines();
        rtsEnabledAtOpen = form().RadioButton5->isChecked();
        QTest::mouseClick(form().RadioButton6, Qt::LeftButton);
        // DTR moved away from the mode behind the program's back.
        DeviceLink& link = fixture->window().link();
        dataMode ? link.LowerDtr() : link.RaiseDtr();
        QTest::mouseClick(form().Button3, Qt::LeftButton);
        afterSet = lines();
        rtsDisabledAfterSet = form().RadioButton6->isChecked();
    });
    session.run();
    QVERIFY(session.completed());
    QCOMPARE(atOpen, std::pair(dataMode, true));
    QVERIFY(rtsEnabledAtOpen);
    QCOMPARE(afterSet, std::pair(dataMode, true));
    QVERIFY(rtsDisabledAfterSet);
}

void ConnectionTest::dataAndCommandModeAcknowledgement() {
    QStringList acks;
    std::vector<bool> dtr;
    const auto note = [&] {
        acks << form().Label12->text();
        dtr.push_back(board().settings(ChannelId::A).dtr);
    };
    LoopSession session(form());
    session.waitFor(signedOn()).step([&] {
        QTest::mouseClick(form().RadioButton4, Qt::LeftButton);
        note();
        QTest::mouseClick(form().RadioButton3, Qt::LeftButton);
        note();
        // A chip held in reset does not acknowledge data mode.
        QTest::mouseClick(form().RadioButton1, Qt::LeftButton);
        QTest::mouseClick(form().RadioButton4, Qt::LeftButton);
        note();
    });
    session.run();
    QVERIFY(session.completed());
    QCOMPARE(acks,
             (QStringList{QStringLiteral("ACK"), QStringLiteral("ACK"), QStringLiteral("NoACK")}));
    QCOMPARE(dtr, (std::vector<bool>{true, false, true}));
    QCOMPARE(form().Label7->text(), QStringLiteral("Data"));
}

void ConnectionTest::disabledRtsHoldsTheChipWithoutLoss() {
    bool heldWhileDisabled = false;
    QString disabledLabel;
    int passes = 0;
    LoopSession session(form());
    session.waitFor(signedOn())
        .step([&] {
            QTest::mouseClick(form().RadioButton6, Qt::LeftButton);
            disabledLabel = form().Label11->text();
            typeLine(QStringLiteral("FWV"));
        })
        // Long enough for the answer to have crossed the wire many times over.
        .waitFor([&] { return ++passes > 20'000; })
        .step(
            [&] {
                heldWhileDisabled =
                    ascii().count(Version) == 1 && !board().settings(ChannelId::A).rts;
                QTest::mouseClick(form().RadioButton5, Qt::LeftButton);
            },
            versionAnswered());
    session.run();
    QVERIFY(session.completed());
    QCOMPARE(disabledLabel, QStringLiteral("Disabled"));
    QVERIFY(heldWhileDisabled);
    QCOMPARE(form().Label11->text(), QStringLiteral("Closed"));
    QCOMPARE(board().overrunCount(ChannelId::A), std::uint64_t{0});
    QVERIFY(asciiShows(QStringLiteral("D:\\>")));
}

// --- Ending the loop ---

void ConnectionTest::failedQueueStatusEndsTheLoop() {
    LoopSession session(form());
    // The loop ends by itself: the session's Close never comes.
    session.waitFor(signedOn()).step([&] { board().unplug(); }, [] { return false; });
    session.run();
    QCOMPARE(fixture->dialogs.errors.value(0),
             QStringLiteral("HX_GetQueueStatus - General IO Error..."));
    QVERIFY(!fixture->window().flags().TerminalOpen);
    // The window keeps the controls of an open connection until Close.
    QVERIFY(form().Button7->isEnabled());
    QVERIFY(!form().Button6->isEnabled());
    QVERIFY(form().Memo2->toPlainText().contains(
        QStringLiteral("ERROR : the board stopped answering: the connection has ended")));
    QTest::mouseClick(form().Button7, Qt::LeftButton);
    QVERIFY(form().Button6->isEnabled());
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
    // Closing the channels of a board that has gone says nothing more.
    QCOMPARE(fixture->dialogs.errors.size(), 1);
}

// --- The link after a restart of the chip ---

const QString FollowsRestart = QStringLiteral(
    "Tarvik restarted from reset: its monitor runs at its start rate, and the link follows it "
    "at 9600 baud");

void ConnectionTest::linkFollowsAChipRestart_data() {
    QTest::addColumn<bool>("open");
    QTest::addColumn<QStringList>("clicks");  // radio buttons, after Set 115200 when open
    QTest::addColumn<QString>("rateAfter");   // the box; the bridge too when open
    QTest::newRow("reset then run, open")
        << true << QStringList{"RadioButton1", "RadioButton2"} << "9600";
    QTest::newRow("suspend then resume, open")
        << true << QStringList{"RadioButton7", "Button4"} << "115200";
    // At start the reset button is selected already: a click on it changes
    // nothing.
    QTest::newRow("reset then run, closed")
        << false << QStringList{"RadioButton2", "RadioButton1", "RadioButton2"} << "9600";
}

void ConnectionTest::linkFollowsAChipRestart() {
    QFETCH(bool, open);
    QFETCH(QStringList, clicks);
    QFETCH(QString, rateAfter);
    const auto clickAll = [&] {
        for (const QString& name : clicks) {
            QTest::mouseClick(form().PageControl2->findChild<QAbstractButton*>(name),
                              Qt::LeftButton);
        }
    };
    chooseRate(QStringLiteral("115200"));
    if (open) {
        chooseRate(QStringLiteral("9600"));
        LoopSession session(form());
        session.promptAtRate(form(), board(), 115200)
            .step(clickAll, [&] { return board().chipState() == SimChip::State::Monitor; })
            .step([&] { typeLine(QStringLiteral("FWV")); },
                  [&] { return ascii().count(Version) >= 3 - int(rateAfter != "9600"); });
        session.run();
        QVERIFY2(session.completed(), qPrintable(ascii()));
        QCOMPARE(board().settings(ChannelId::A).baudRate, rateAfter.toUInt());
    } else {
        clickAll();
    }
    QCOMPARE(form().ComboBox2->currentText(), rateAfter);
    QCOMPARE(asciiShows(FollowsRestart), rateAfter == QStringLiteral("9600"));
}

// Unplugged under the open terminal, the board's indicators say the link is
// gone; plugged in again, it is opened by itself at the monitor's start rate.
void ConnectionTest::boardThatComesBackIsReopened() {
    LoopSession lost(form());
    lost.promptAtRate(form(), board(), 115200)
        .step([&] { board().unplug(); }, [&] { return form().Label11->text() == "Lost"; });
    lost.run();
    QCOMPARE(form().Label9->text() + form().Label11->text() + form().Label12->text(),
             QStringLiteral("UnknownLostNot Avail"));
    // The button that starts the second session plugs the board in and
    // waits, while the return watch reopens the terminal, until it is closed.
    QPushButton plugIn;
    connect(&plugIn, &QPushButton::clicked, [&] {
        board().plugIn();
        (void)QTest::qWaitFor([&] { return form().Button6->isEnabled(); }, 20'000);
    });
    plugIn.show();
    LoopSession back(plugIn, *form().Button7);
    back.waitFor(shows(BoardName + QStringLiteral(" is back")))
        .step([&] { typeLine(QStringLiteral("FWV")); },
              [&] { return ascii().count(Version) >= 3; });
    back.run();
    QVERIFY2(back.completed(), qPrintable(ascii()));
    QCOMPARE(form().ComboBox2->currentText(), QStringLiteral("9600"));
    QCOMPARE(fixture->dialogs.errors.size(), 1);
}

QTEST_MAIN(ConnectionTest)
#include "tst_connection.moc"
