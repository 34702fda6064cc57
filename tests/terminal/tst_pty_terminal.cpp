// Terminal Mode over a real tty: the simulated board served on a
// pseudo-terminal by its own process, on the real clock, reached two ways:
// through the serial-port backend, and as a board in a rack, through ser2net
// serving the pseudo-terminal on an RFC 2217 port of the loopback address.
// A user opens the terminal, lists the disk, moves the link to 115,200 baud
// (over ser2net, through the remote line settings), copies a file with every
// byte the framing could touch to the disk and back, and closes; the far end
// going away mid-loop or mid-copy ends the connection.
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "DriverRegistry.h"
#include "Form1Ui.h"
#include "LoopSession.h"
#include "RemoteBackend.h"
#include "ScriptedDialogs.h"
#include "Ser2NetServer.h"
#include "SerialBackend.h"
#include "SystemClock.h"
#include "TForm1.h"
#include "TestFiles.h"

namespace {

// Long enough for every step on a loaded machine; a step that takes this
// long has failed.
constexpr qint64 StepLimitMs = 20'000;

}  // namespace

class PtyTerminalTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase_data();
    void init();
    void cleanup();

    void sessionOverAPseudoTerminal();
    void farEndClosedEndsTheConnection();
    void farEndGoneMidCopy();

  private:
    Ui::Form1& form() { return window->form(); }
    QString ascii() const { return window->form().Memo2->toPlainText(); }
    void type(const QString& line);
    // Types dir and waits for the listing's last entry.
    LoopSession& listTheDisk(LoopSession& session);
    // The pseudo-terminal's server, or ser2net in front of it, goes away.
    void endFarEnd();

    QProcess server;
    Ser2NetServer rack;
    bool overSer2Net = false;
    QString board;
    QString ptyPath;
    SystemClock clock;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> window;
    QTemporaryDir dir;
};

void PtyTerminalTest::initTestCase_data() {
    QTest::addColumn<bool>("overSer2Net");
    QTest::newRow("serial port") << false;
    QTest::newRow("ser2net") << true;
}

void PtyTerminalTest::init() {
    QFETCH_GLOBAL(bool, overSer2Net);
    this->overSer2Net = overSer2Net;
    server.setProgram(QStringLiteral(TARVIK_SIM_PTY));
    server.start();
    QVERIFY(server.waitForStarted());
    QVERIFY(server.waitForReadyRead(StepLimitMs));
    ptyPath = QString::fromLocal8Bit(server.readLine()).trimmed();
    QVERIFY2(ptyPath.startsWith(QLatin1String("/dev/")), qPrintable(ptyPath));

    DriverRegistry::instance().reset();
    board = ptyPath;
    if (overSer2Net) {
        QVERIFY2(rack.start(ptyPath), qPrintable(rack.problem));
        board = QStringLiteral("rack");
        DriverRegistry::instance().install(std::make_shared<RemoteBackend>(
            std::vector{*ParseRemoteBoard(rack.remoteText(board)).board}));
    } else {
        DriverRegistry::instance().install(std::make_shared<SerialBackend>(QStringList{ptyPath}));
    }
    dialogs.clear();
    window = std::make_unique<TForm1>(clock, dialogs);
    window->show();
    QComboBox& chooser = *form().ComboBox1;
    chooser.showPopup();
    const int index = chooser.findText(board);
    chooser.hidePopup();
    QVERIFY2(index >= 0, qPrintable(board));
    chooser.setCurrentIndex(index);
}

void PtyTerminalTest::cleanup() {
    window.reset();
    DriverRegistry::instance().reset();
    rack.stop();
    server.kill();
    server.waitForFinished();
}

void PtyTerminalTest::type(const QString& line) {
    QTest::keyClicks(form().Memo2, line);
    QTest::keyClick(form().Memo2, Qt::Key_Return);
}

LoopSession& PtyTerminalTest::listTheDisk(LoopSession& session) {
    return session.step([this] { type(QStringLiteral("dir")); }, LoopSession::within([this] {
                            return ascii().contains(QLatin1String("README.TXT"));
                        }));
}

void PtyTerminalTest::endFarEnd() {
    if (overSer2Net) {
        rack.stop();
        return;
    }
    server.kill();
    server.waitForFinished();
}

void PtyTerminalTest::sessionOverAPseudoTerminal() {
    Ui::Form1& f = form();
    // IAC (0xFF) doubled and undone by the framing, CR and NUL kept as they are.
    const QByteArray original = patterned(3000, 37, 253) + QByteArray("\xFF\xFF\r\0\r\n\xFF\0", 8);
    const QString source = dir.filePath(QStringLiteral("PTY.BIN"));
    QVERIFY(writeFile(source, original));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("back")));
    const QString back = dir.filePath(QStringLiteral("back/PTY.BIN"));

    LoopSession session(f);
    listTheDisk(session)
        .step(
            [&] {
                f.ComboBox2->setEditText(QStringLiteral("115200"));
                QTest::mouseClick(f.Button3, Qt::LeftButton);
                type(QStringLiteral("fwv"));
            },
            // The whole answer, prompt included: a copy started before it
            // has come would take its rest for the copy's answer.
            LoopSession::within(
                [&] { return ascii().contains(QLatin1String("Tarvik Monitor 1.0\nD:\\>")); }))
        .step([&] {
            dialogs.answerOpen(source);
            QTest::mouseClick(f.Button5, Qt::LeftButton);
        })
        .step([&] {
            dialogs.answerSave(back);
            QTest::mouseClick(f.Button8, Qt::LeftButton);
        });
    session.run();
    QVERIFY(session.completed());

    QVERIFY2(!ascii().contains(QLatin1String("ERROR")),
             qPrintable(ascii().right(500).replace(QChar(0), QStringLiteral("<00>"))));
    QCOMPARE(fileBytes(back), original);
    QVERIFY2(dialogs.errors.isEmpty(), qPrintable(dialogs.errors.join('\n')));
    QVERIFY(ascii().contains(QStringLiteral("Device ") + board + QStringLiteral(" Closed")));
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
}

// The loop ends by itself, and with it the polling: no Close is pressed
// until it has (a loop still running after the step limit is closed by the
// session, and the message is then missing).
void PtyTerminalTest::farEndClosedEndsTheConnection() {
    Ui::Form1& f = form();
    LoopSession session(f);
    listTheDisk(session).step([&] { endFarEnd(); }, LoopSession::within([] { return false; }));
    session.run();
    QVERIFY(!window->flags().TerminalOpen);
    QVERIFY(ascii().contains(
        QLatin1String("ERROR : the board stopped answering: the connection has ended")));
    QVERIFY(dialogs.errors.size() <= 1);
    QTest::mouseClick(f.Button7, Qt::LeftButton);
    QVERIFY(f.Button6->isEnabled());
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
}

// The copy ends with the link, says so, and leaves no file behind.
void PtyTerminalTest::farEndGoneMidCopy() {
    Ui::Form1& f = form();
    const QString copy = dir.filePath(QStringLiteral("BIG.BIN"));
    LoopSession session(f);
    listTheDisk(session).step([&] {
        QTimer::singleShot(1500, [this] { endFarEnd(); });
        dialogs.answerSave(copy);
        QTest::mouseClick(f.Button8, Qt::LeftButton);
    });
    session.run();
    QVERIFY(!window->flags().TerminalOpen);
    QVERIFY(ascii().contains(
        QStringLiteral("ERROR : the link failed during BIG.BIN: nothing was saved to ") + copy));
    QVERIFY(!QFile::exists(copy));
}

QTEST_MAIN(PtyTerminalTest)
#include "tst_pty_terminal.moc"
