// The terminal keyboard through the window: keys typed into the ASCII pane
// while the connection is open, what goes out on channel A and when, the
// line history and its recall into the Programmer Mode pane.
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <functional>
#include <memory>

#include "DeviceLink.h"
#include "Form1Ui.h"
#include "LoopSession.h"
#include "PaneText.h"
#include "ScriptedBackend.h"
#include "TForm1.h"
#include "TerminalKeyboard.h"
#include "WindowFixture.h"

using Step = std::function<void()>;

namespace {

const std::string ChannelA = "X A";

// A recalled line as the Programmer Mode pane shows it: one line of 127
// characters, the typed ones, the Enter that ended them as its control
// picture, then spaces.
QString recalled(const QString& typed) {
    return (typed + QChar(0x240D)).leftJustified(127, QLatin1Char(' '));
}

QStringList blockTexts(const QPlainTextEdit& pane) {
    QStringList lines;
    for (QTextBlock block = pane.document()->begin(); block.isValid(); block = block.next()) {
        lines << block.text();
    }
    return lines;
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void typedLinesGoOutInOneWriteAtEnter_data();
    void typedLinesGoOutInOneWriteAtEnter();
    void nothingGoesOutBeforeEnter();
    void closedConnectionOnlyChangesThePane();
    void typingGoesAfterTheNewestTextWhereverTheClick();

    void recallKey_data();
    void recallKey();
    void recallWalksTheHistoryFromTheMostRecentLine();
    void historyStartsWithBlankLines();
    void recordStartsAfreshButKeepsTheStaging_data();
    void recordStartsAfreshButKeepsTheStaging();

  private:
    Ui::Form1& ui() { return fixture->form(); }
    // Runs each step inside the open connection's receive loop, with receive
    // passes between the steps, then presses Close.
    void whileOpen(const QList<Step>& steps);
    void type(const QString& keys);
    void recall(int times = 1);
    void chipSends(const QByteArray& bytes);
    QList<QByteArray> writesOnChannelA() const;

    std::unique_ptr<WindowFixture> fixture;
    ScriptedBackend* backend = nullptr;
    TForm1* window = nullptr;
};

void KeyboardTest::init() {
    fixture = WindowFixture::overScriptedBackend();
    backend = &fixture->scripted();
    window = &fixture->window();
    QVERIFY(fixture->pickBoard(QStringLiteral("X")));
    QVERIFY(ui().Button6->isEnabled());
}

void KeyboardTest::cleanup() {
    fixture.reset();
}

// Each step runs once the loop has made two passes since the step before:
// one may have been under way when that step ran.
void KeyboardTest::whileOpen(const QList<Step>& steps) {
    const auto twoPasses = [this] {
        return backend->calls().filter(QStringLiteral("queueStatus")).size() >= 2;
    };
    LoopSession session(ui());
    session.waitFor(twoPasses);
    for (const Step& step : steps) {
        session.step(
            [this, step] {
                backend->clearLog();
                step();
            },
            twoPasses);
    }
    session.run();
    QVERIFY(session.completed());
    QVERIFY(!window->link().ChannelAOpen);
}

// Backspace and Enter are written as \b and \r.
void KeyboardTest::type(const QString& keys) {
    for (QChar key : keys) {
        if (key == QLatin1Char('\r')) {
            QTest::keyClick(ui().Memo2, Qt::Key_Return);
        } else if (key == QLatin1Char('\b')) {
            QTest::keyClick(ui().Memo2, Qt::Key_Backspace);
        } else if (key.unicode() > 0x7F) {
            // Latin-1 letters carry their upper-case code as their key.
            QTest::sendKeyEvent(QTest::Click, ui().Memo2, Qt::Key(key.toUpper().unicode()),
                                QString(key), Qt::NoModifier);
        } else {
            QTest::keyClicks(ui().Memo2, QString(key));
        }
    }
}

void KeyboardTest::recall(int times) {
    for (int i = 0; i < times; ++i) {
        QTest::keyClick(ui().Memo2, Qt::Key_Space, Qt::ControlModifier);
    }
}

void KeyboardTest::chipSends(const QByteArray& bytes) {
    backend->queueReceived(ChannelA, bytes);
}

QList<QByteArray> KeyboardTest::writesOnChannelA() const {
    QList<QByteArray> result;
    for (const ScriptedBackend::Written& w : backend->writes()) {
        if (w.device == ChannelA) {
            result << w.bytes;
        }
    }
    return result;
}

void KeyboardTest::typedLinesGoOutInOneWriteAtEnter_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QString>("lastPaneLine");

    QTest::newRow("dir") << "dir\r" << QList<QByteArray>{"dir\r"} << "dir";
    QTest::newRow("backspace takes back the byte before it")
        << "ab\bc\r" << QList<QByteArray>{"ac\r"} << "ac";
    QTest::newRow("backspace first after a send leaves nothing staged")
        << "x\r\by\r" << QList<QByteArray>{"x\r", "y\r"} << "xy";
    QTest::newRow("two backspaces in a row") << "abc\b\bd\r" << QList<QByteArray>{"ad\r"} << "ad";
    QTest::newRow("bytes above 0x7F as typed")
        << QString::fromLatin1("\xE9t\xE9\r") << QList<QByteArray>{"\xE9t\xE9\r"}
        << QString::fromLatin1("\xE9t\xE9");
}

void KeyboardTest::typedLinesGoOutInOneWriteAtEnter() {
    QFETCH(QString, keys);
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QString, lastPaneLine);

    whileOpen({[&] { type(keys); }});

    QCOMPARE(writesOnChannelA(), writes);
    QCOMPARE(window->link().WriteCountA, 0);
    // The pane showed the keys through its own editing: the typed line,
    // then the fresh line Enter started, then the Close message.
    const QStringList pane = lineTexts(*ui().Memo2);
    QCOMPARE(pane.at(pane.size() - 2), lastPaneLine);
    QCOMPARE(pane.last(), QString("Device X Closed"));
}

void KeyboardTest::nothingGoesOutBeforeEnter() {
    whileOpen({[&] { type("di"); },
               [&] {
                   type("r");
                   QVERIFY(writesOnChannelA().isEmpty());
                   QCOMPARE(window->link().WriteCountA, 3);
               },
               [&] { type("\r"); }});
    QCOMPARE(writesOnChannelA(), QList<QByteArray>{"dir\r"});
}

void KeyboardTest::closedConnectionOnlyChangesThePane() {
    type("dir\r");
    QVERIFY(backend->writes().empty());
    QCOMPARE(window->link().WriteCountA, 0);
    QCOMPARE(ui().Memo2->toPlainText(), QString("dir\n"));
    QCOMPARE(ui().Memo1->toPlainText(), QString());
}

// A click on an earlier line selects there; the keys still reach the chip
// as typed and show after the newest line.
void KeyboardTest::typingGoesAfterTheNewestTextWhereverTheClick() {
    whileOpen({[&] { chipSends("\rTarvik Monitor 1.0\rD:\\>\r"); },
               [&] {
                   QTest::mouseClick(ui().Memo2->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
                   type("dir\r");
               }});
    QCOMPARE(writesOnChannelA(), QList<QByteArray>{"dir\r"});
    QCOMPARE(lineTexts(*ui().Memo2),
             QStringList({"Opening Device : X A", "Opened OK", "", "Tarvik Monitor 1.0", "D:\\>",
                          "dir", "Device X Closed"}));
}

void KeyboardTest::recallKey_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Ctrl+Space") << int(Qt::Key_Space);
    QTest::newRow("Ctrl+@") << int(Qt::Key_At);
}

// A recall sends nothing, leaves the staged bytes where they are and is not
// typed into the pane.
void KeyboardTest::recallKey() {
    QFETCH(int, key);
    QString paneBeforeRecall;
    whileOpen({[&] { type("ver\r"); },
               [&] {
                   type("ab");
                   paneBeforeRecall = ui().Memo2->toPlainText();
                   QTest::keyClick(ui().Memo2, Qt::Key(key), Qt::ControlModifier);
                   QCOMPARE(writesOnChannelA().size(), 1);
                   QCOMPARE(window->link().WriteCountA, 2);
                   QCOMPARE(ui().Memo2->toPlainText(), paneBeforeRecall);
               },
               [&] { type("\r"); }});
    QCOMPARE(writesOnChannelA(), (QList<QByteArray>{"ver\r", "ab\r"}));
    QCOMPARE(blockTexts(*ui().Memo1), QStringList{recalled("ver")});
}

void KeyboardTest::recallWalksTheHistoryFromTheMostRecentLine() {
    QList<Step> steps;
    for (int line = 0; line < 11; ++line) {
        steps << [this, line] {
            type(QStringLiteral("cmd%1\r").arg(line, 2, 10, QLatin1Char('0')));
            chipSends("OK\r");
        };
    }
    steps << [this] { recall(12); };
    whileOpen(steps);

    QCOMPARE(writesOnChannelA().size(), 11);
    QStringList expected;
    for (int line : {10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 10}) {
        expected << recalled(QStringLiteral("cmd%1").arg(line, 2, 10, QLatin1Char('0')));
    }
    QCOMPARE(blockTexts(*ui().Memo1), expected);
}

void KeyboardTest::historyStartsWithBlankLines() {
    whileOpen({[&] { recall(2); }});
    const QString blank(127, QLatin1Char(' '));
    QCOMPARE(blockTexts(*ui().Memo1), (QStringList{blank, blank}));
    QVERIFY(writesOnChannelA().isEmpty());
}

void KeyboardTest::recordStartsAfreshButKeepsTheStaging_data() {
    QTest::addColumn<bool>("closeAndReopen");
    QTest::newRow("a line from the chip") << false;
    QTest::newRow("Close and Open") << true;
}

// Half-way through a line, a line from the chip or a Close starts a fresh
// record of blanks at the next key; the staged bytes stay for the Enter.
void KeyboardTest::recordStartsAfreshButKeepsTheStaging() {
    QFETCH(bool, closeAndReopen);
    const Step typeHalf = [&] {
        type("dir /");
        if (!closeAndReopen) {
            chipSends("D:\\>\r");
        }
    };
    const Step finish = [&] {
        type("w\r");
        recall();
    };
    if (closeAndReopen) {
        whileOpen({typeHalf});
        whileOpen({finish});
    } else {
        whileOpen({typeHalf, finish});
        // The chip's line went into the pane after what had been typed before it.
        const QStringList pane = lineTexts(*ui().Memo2);
        QCOMPARE(pane.at(pane.indexOf("dir /") + 1), QString("D:\\>"));
    }
    QCOMPARE(writesOnChannelA(), QList<QByteArray>{"dir /w\r"});
    QCOMPARE(blockTexts(*ui().Memo1), QStringList{recalled("w")});
}

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
