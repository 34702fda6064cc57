// A board in a rack as the window reaches it: its two channels on scripted
// RFC 2217 servers of the loopback address that record every command. The
// control lines carry the same patterns as on a local board; the modem
// state comes from the server's notifications; and a server that refuses,
// falls silent or sends garbage ends the connection with the mode's words.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ComPortPeer.h"
#include "DeviceLink.h"
#include "DriverRegistry.h"
#include "Form1Ui.h"
#include "HxDriver.h"
#include "LinePane.h"
#include "LoopSession.h"
#include "RemoteBackend.h"
#include "TForm1.h"
#include "TestFiles.h"
#include "WindowFixture.h"

namespace {

using Behaviour = ComPortPeer::Behaviour;

// The commands of opening the terminal in command mode at 9600 baud, before
// and after the line's own settings.
const QStringList OpenedLine = {QStringLiteral("control 11"), QStringLiteral("control 9"),
                                QStringLiteral("baud 9600"),  QStringLiteral("datasize 8"),
                                QStringLiteral("stopsize 1"), QStringLiteral("parity 1"),
                                QStringLiteral("control 3")};
// Channel B's lines released (DTR, RTS), then the run pattern: the first as
// data, before the bit mode turns the lines into outputs; then both lines
// high, which on a serial port is RTS and DTR de-asserted.
const QStringList RunPattern = {QStringLiteral("control 9"), QStringLiteral("control 12"),
                                QStringLiteral("data 14"), QStringLiteral("control 12"),
                                QStringLiteral("control 9")};
// The reset line (RTS) low, the program line (DTR) high.
const QStringList HoldInReset = {QStringLiteral("control 9"), QStringLiteral("control 12"),
                                 QStringLiteral("control 11"), QStringLiteral("control 9")};

// Both lines low (reset held, program line asserted), then the reset line
// released with the program line still low: the chip starts its boot loader.
const QStringList BootLoaderEntry = {QStringLiteral("control 9"),  QStringLiteral("control 12"),
                                     QStringLiteral("control 11"), QStringLiteral("control 8"),
                                     QStringLiteral("control 12"), QStringLiteral("control 8")};

quint16 portNobodyListensOn() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

}  // namespace

class RemotePortTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup();

    void controlLinesAndLineSettings_data();
    void controlLinesAndLineSettings();
    void modemStateFromNotifications_data();
    void modemStateFromNotifications();
    void faultsEndTheConnection_data();
    void faultsEndTheConnection();
    void spyCaptureEndsWithItsConnection();
    void dataGoesAtTheLinesPace();

  private:
    // The window with board "rack" chosen: channel A on a, channel B on b.
    void rackOn(quint16 a, std::optional<quint16> b);
    Ui::Form1& form() { return fixture->form(); }
    QString ascii() { return form().Memo2->toPlainText(); }
    // Opens the terminal and closes it once until holds.
    void openUntil(std::function<bool()> until);

    std::unique_ptr<WindowFixture> fixture;
};

void RemotePortTest::cleanup() {
    fixture.reset();
}

void RemotePortTest::rackOn(quint16 a, std::optional<quint16> b) {
    // The waits of a remote port take real time, a millisecond or more
    // between two readings of the clock.
    fixture = std::make_unique<WindowFixture>(TimeOfDay{10, 0, 0, 0},
                                              SelfAdvancingClock::Steps{10'000'000, 10'000'000});
    RemoteBoard rack{QStringLiteral("rack"), {QStringLiteral("127.0.0.1"), a}, std::nullopt};
    if (b) {
        rack.channelB = RemoteEndpoint{QStringLiteral("127.0.0.1"), *b};
    }
    fixture->drivers.registry().install(std::make_shared<RemoteBackend>(std::vector{rack}));
    QVERIFY(fixture->pickBoard(QStringLiteral("rack")));
}

void RemotePortTest::openUntil(std::function<bool()> until) {
    LoopSession session(form());
    session.waitFor(LoopSession::within(std::move(until)));
    session.run();
}

void RemotePortTest::controlLinesAndLineSettings_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("channelA");
    QTest::addColumn<QStringList>("channelB");
    // No boot loader answers the synchronisation, which fails after 2 s.
    QTest::newRow("program") << "program" << QStringList() << BootLoaderEntry;
    QTest::newRow("run") << "run" << QStringList() << RunPattern;
    QTest::newRow("reset after run") << "reset" << QStringList() << RunPattern + HoldInReset;
    // Open runs the chip twice: through the Run button it selects, then its own.
    QTest::newRow("open in command mode") << "open" << OpenedLine << RunPattern + RunPattern;
    QStringList dataMode = OpenedLine;
    dataMode[1] = QStringLiteral("control 8");
    QTest::newRow("open in data mode") << "open data" << dataMode << RunPattern + RunPattern;
}

void RemotePortTest::controlLinesAndLineSettings() {
    QFETCH(QString, action);
    QFETCH(QStringList, channelA);
    QFETCH(QStringList, channelB);
    ComPortPeer a;
    ComPortPeer b;
    rackOn(a.port(), b.port());
    if (action == QLatin1String("program")) {
        QTemporaryDir dir;
        const QString image = dir.filePath(QStringLiteral("image.rom"));
        QVERIFY(writeFile(image, QByteArray(256, 'x')));
        fixture->dialogs.answerOpen(image);
        QTest::mouseClick(form().Button1, Qt::LeftButton);
        QTest::mouseClick(form().Button2, Qt::LeftButton);
    } else if (action.startsWith(QLatin1String("open"))) {
        QTest::mouseClick(
            action.endsWith(QLatin1String("data")) ? form().RadioButton4 : form().RadioButton3,
            Qt::LeftButton);
        openUntil([&] { return a.events().size() >= channelA.size(); });
    } else {
        QTest::mouseClick(form().RadioButton2, Qt::LeftButton);
        if (action == QLatin1String("reset")) {
            QTest::mouseClick(form().RadioButton1, Qt::LeftButton);
        }
    }
    QTRY_COMPARE(b.events(), channelB);
    QCOMPARE(a.events().mid(0, channelA.size()), channelA);
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
}

void RemotePortTest::modemStateFromNotifications_data() {
    QTest::addColumn<quint8>("modemState");
    QTest::addColumn<QString>("acknowledge");
    // In command mode the board drops DSR: its answer to DTR.
    QTest::newRow("DSR low") << quint8(0x10) << QStringLiteral("ACK");
    QTest::newRow("DSR high") << quint8(0x30) << QStringLiteral("NoACK");
}

void RemotePortTest::modemStateFromNotifications() {
    QFETCH(quint8, modemState);
    QFETCH(QString, acknowledge);
    ComPortPeer a;
    a.greetWith(QByteArray("\xFF\xFA\x2C\x6B", 4) + char(modemState) + QByteArray("\xFF\xF0", 2));
    rackOn(a.port(), std::nullopt);
    QString shown;
    openUntil([&] {
        shown = form().Label12->text();
        return a.events().contains(QStringLiteral("control 3"));
    });
    QCOMPARE(shown, acknowledge);
}

void RemotePortTest::faultsEndTheConnection_data() {
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QByteArray>("sentOnceOpen");
    QTest::addColumn<QString>("message");
    QTest::newRow("connection refused")
        << int(Behaviour::Answering) << false << QByteArray()
        << "ERROR : failed to open rack A: 127.0.0.1:%1 refused the connection";
    QTest::newRow("not an RFC 2217 port")
        << int(Behaviour::RefusingComPort) << true << QByteArray()
        << "ERROR : failed to open rack A: 127.0.0.1:%1 is no RFC 2217 port: it did not take "
           "COM-PORT-OPTION";
    QTest::newRow("settings unanswered")
        << int(Behaviour::SilentOnCommands) << true << QByteArray()
        << "ERROR : the board stopped answering: the connection has ended; press Close, then "
           "Open to connect again";
    // IAC before a byte that is no telnet command.
    QTest::newRow("garbage") << int(Behaviour::Answering) << true << QByteArray("ok\xFF\x10", 4)
                             << "ERROR : the board stopped answering: the connection has ended; "
                                "press Close, then Open to connect again";
}

void RemotePortTest::faultsEndTheConnection() {
    QFETCH(int, behaviour);
    QFETCH(bool, listening);
    QFETCH(QByteArray, sentOnceOpen);
    QFETCH(QString, message);
    auto peer = std::make_unique<ComPortPeer>(static_cast<Behaviour>(behaviour));
    const quint16 port = listening ? peer->port() : portNobodyListensOn();
    rackOn(port, std::nullopt);
    LoopSession session(form());
    session.step([&] { peer->send(sentOnceOpen); },
                 LoopSession::within([&] { return ascii().contains(QLatin1String("ERROR")); }));
    session.run();
    QVERIFY2(ascii().contains(message.arg(port)), qPrintable(ascii()));
    QVERIFY(!fixture->window().flags().TerminalOpen);
    QTest::mouseClick(form().Button7, Qt::LeftButton);
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
}

// Both directions heard through the two ports, each set up for listening;
// channel A's connection dropping ends the capture.
void RemotePortTest::spyCaptureEndsWithItsConnection() {
    ComPortPeer a;
    ComPortPeer b;
    rackOn(a.port(), b.port());
    const auto hex = [this] { return form().RichEdit2->toPlainText(); };
    LoopSession session = LoopSession::spy(form());
    session
        .step(
            [&] {
                a.send("dir\r");
                b.send("\rD:\\>\r");
            },
            LoopSession::within([&] {
                return hex().contains(QLatin1String("64 69 72 0D")) &&
                       hex().contains(QLatin1String("0D 44 3A 5C 3E 0D"));
            }))
        .step([&] { a.drop(); }, LoopSession::within([this] {
                  return form().RichEdit1->toPlainText().contains(QLatin1String("ERROR"));
              }));
    session.run();
    QVERIFY2(session.completed(), qPrintable(hex()));
    QVERIFY(form().RichEdit1->toPlainText().contains(
        QLatin1String("ERROR : the board stopped answering: capture ended")));
    for (const ComPortPeer* peer : {&a, &b}) {
        QVERIFY(peer->events().contains(QStringLiteral("baud 9600")));
        QVERIFY(peer->events().contains(QStringLiteral("control 1")));
    }
    QTest::mouseClick(form().Button11, Qt::LeftButton);
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
}

// A remote port takes a transmit buffer's worth ahead of its wire, as a local
// port does: 4,096 bytes at 9,600 baud leave no room for as long as their
// 4.3 s on the wire, however much the connection would take at once. Every
// byte still reaches the server.
void RemotePortTest::dataGoesAtTheLinesPace() {
    ComPortPeer a;
    rackOn(a.port(), std::nullopt);
    DeviceLink link(fixture->dialogs);
    QVERIFY(link.ChooseBoard(QStringLiteral("rack")) && link.OpenChannelA());
    QCOMPARE(HX_SetBaudRate(link.HandleA, 9600), hx::Ok);
    const QByteArray bytes(4096, '\x55');
    std::uint32_t written = 0;
    QCOMPARE(HX_Write(link.HandleA, bytes.constData(), 4096, &written), hx::Ok);
    QCOMPARE(written, 4096u);
    bool room = true;
    QCOMPARE(WaitForTransmitRoom(link.HandleA, 64, 0, room), hx::Ok);
    QVERIFY(!room);
    QTRY_COMPARE(a.events().join(QLatin1Char(' ')).count(QLatin1String("55")), 4096);
    link.CloseChannelA();
}

QTEST_MAIN(RemotePortTest)
#include "tst_remote_port.moc"
