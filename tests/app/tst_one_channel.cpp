// A port with one channel only (a lone serial port, a pseudo-terminal): the
// terminal carries data and says once that board control is not there;
// Programmer Mode and Spy Mode, which need both channels, refuse and say
// why; nothing is sent and nothing is left open.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryFile>
#include <QTest>
#include <functional>
#include <memory>

#include "DriverRegistry.h"
#include "Form1Ui.h"
#include "LoopSession.h"
#include "ScriptedBackend.h"
#include "TForm1.h"
#include "WindowFixture.h"

namespace {

const QString NoBoardControl = QStringLiteral(
    "Board control not available: Solo B is not there, so Reset and Run do nothing on this port");

}  // namespace

using Action = std::function<void(Ui::Form1&)>;
Q_DECLARE_METATYPE(Action)

class OneChannelTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void modesOnAOneChannelPort_data();
    void modesOnAOneChannelPort();

  private:
    std::unique_ptr<WindowFixture> fixture;
    std::shared_ptr<ScriptedBackend> solo;
};

void OneChannelTest::init() {
    fixture = std::make_unique<WindowFixture>();
    solo = fixture->addScriptedBackend({"Solo A"});
    QVERIFY(fixture->pickBoard(QStringLiteral("Solo")));
}

void OneChannelTest::cleanup() {
    fixture.reset();
    solo.reset();
}

void OneChannelTest::modesOnAOneChannelPort_data() {
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("times");

    QTest::newRow("terminal open, Run and Reset pressed") << Action([](Ui::Form1& f) {
        LoopSession session(f);
        session.step([&] { f.RadioButton1->click(); }).step([&] { f.RadioButton2->click(); });
        session.run();
    }) << "Memo2" << NoBoardControl << 1;
    QTest::newRow("Reset and Run while closed") << Action([](Ui::Form1& f) {
        f.RadioButton2->click();
        f.RadioButton1->click();
    }) << "Memo2" << NoBoardControl << 1;
    QTest::newRow("Program")
        << Action([](Ui::Form1& f) {
               QTemporaryFile image;
               QVERIFY(image.open());
               image.write(QByteArray(256, '\x5A'));
               image.flush();
               f.Edit1->setText(image.fileName());
               QTest::mouseClick(f.Button2, Qt::LeftButton);
           })
        << "Memo1"
        << "ERROR : programming needs both channels of the board (channel B works the chip's "
           "reset and program lines): nothing was sent"
        << 1;
    QTest::newRow("Open Spy")
        << Action([](Ui::Form1& f) { QTest::mouseClick(f.Button10, Qt::LeftButton); })
        << "RichEdit1"
        << "ERROR : Spy Mode listens on both channels of the board, one for each direction: "
           "nothing was captured"
        << 1;
}

void OneChannelTest::modesOnAOneChannelPort() {
    QFETCH(Action, action);
    QFETCH(QString, pane);
    QFETCH(QString, message);
    QFETCH(int, times);

    action(fixture->form());
    // The Programmer Mode pane is a plain text editor, the others line panes.
    QWidget* widget = fixture->window().findChild<QWidget*>(pane);
    const auto* lines = qobject_cast<LinePane*>(widget);
    const QString text = lines != nullptr ? lines->toPlainText()
                                          : qobject_cast<QPlainTextEdit*>(widget)->toPlainText();
    QCOMPARE(text.count(message), times);
    QVERIFY2(fixture->dialogs.errors.isEmpty(), qPrintable(fixture->dialogs.errors.join('\n')));
    QVERIFY(solo->writes().empty());
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
}

QTEST_MAIN(OneChannelTest)
#include "tst_one_channel.moc"
