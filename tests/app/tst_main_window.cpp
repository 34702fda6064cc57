// The main window around the form: its logs keep every byte and line across
// the panes' emptying, its status bar follows a copy while it runs, each
// menu item that stands for a button is enabled exactly while the button is,
// and its remote boards dialog takes only boards it can list.
#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "DriverRegistry.h"
#include "EvalBoard.h"
#include "Form1Ui.h"
#include "LoopSession.h"
#include "MainWindow.h"
#include "SpyCapture.h"
#include "TForm1.h"
#include "TerminalDisplay.h"
#include "TerminalTranscript.h"
#include "TestFiles.h"
#include "WindowFixture.h"
#include "WindowLogs.h"

namespace {

QStringList linesOf(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

// A transcript read back: the chip's bytes (each line's stamp and the line
// feed the log added after each CR taken away) and the typed lines.
struct Transcript {
    QByteArray received;
    QList<QByteArray> typed;
    bool everyLineStamped = true;
};

Transcript readTranscript(const QByteArray& file, bool stamped) {
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d $"));
    Transcript t;
    for (QByteArray line : file.split('\n')) {
        if (line.isEmpty()) {
            continue;
        }
        if (stamped) {
            t.everyLineStamped &= stamp.match(QString::fromLatin1(line.left(13))).hasMatch();
            line = line.mid(13);
        }
        if (line.startsWith(TerminalTranscript::TypedMark)) {
            t.typed << line.mid(qstrlen(TerminalTranscript::TypedMark));
        } else {
            t.received += line;
        }
    }
    return t;
}

// Types into the cell being edited, then moves on to the next cell (Tab) or
// ends the row (Return).
void typeCell(QTableWidget& table, const QString& text, Qt::Key then) {
    QWidget* editor = table.indexWidget(table.currentIndex());
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, then);
}

enum State { NoBoard, BoardChosen, TerminalOpen, SpyCapturing };

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void terminalLogKeepsEveryByte_data();
    void terminalLogKeepsEveryByte();
    void spyLogKeepsEveryLine_data();
    void spyLogKeepsEveryLine();
    void statusBarFollowsACopy_data();
    void statusBarFollowsACopy();
    void menuActionsFollowTheirButtons_data();
    void menuActionsFollowTheirButtons();
    void closingEndsARunningMode_data();
    void closingEndsARunningMode();
    void remoteBoardsDialogTakesOnlyBoards_data();
    void remoteBoardsDialogTakesOnlyBoards();

  private:
    Ui::Form1& form() { return fixture->form(); }
    EvalBoard& board() { return fixture->evalBoard(); }
    QAction* action(const QString& name) { return fixture->mainWindow().findChild<QAction*>(name); }
    QString path(const QString& name) { return dir->filePath(name); }
    QStringList enabledButtonActions();

    std::unique_ptr<WindowFixture> fixture;
    std::unique_ptr<QTemporaryDir> dir;
};

void MainWindowTest::init() {
    fixture = std::make_unique<WindowFixture>();
    fixture->mainWindow();
    dir = std::make_unique<QTemporaryDir>();
}

void MainWindowTest::cleanup() {
    fixture.reset();
    dir.reset();
}

void MainWindowTest::terminalLogKeepsEveryByte_data() {
    QTest::addColumn<bool>("stamped");
    QTest::newRow("as received") << false;
    QTest::newRow("time stamped") << true;
}

// In Data Mode the chip echoes a typed line, then sends more lines than the
// HEX pane keeps; the ASCII pane is emptied fifty times over meanwhile.
void MainWindowTest::terminalLogKeepsEveryByte() {
    QFETCH(bool, stamped);
    QVERIFY(fixture->pickEvalBoard());
    action(QStringLiteral("timeStampsAction"))->setChecked(stamped);
    fixture->dialogs.answerSave(path(QStringLiteral("terminal.txt")));
    action(QStringLiteral("terminalLogAction"))->trigger();
    QByteArray bulk;
    for (int i = 0; i <= TerminalDisplay::HexPaneLineLimit; ++i) {
        bulk += QByteArray::number(i).rightJustified(6, '0') + '\r';
    }
    const auto logged = [&] {
        fixture->mainWindow().logs().flush();
        return fileBytes(path(QStringLiteral("terminal.txt"))).endsWith(bulk.right(7) + '\n');
    };
    LoopSession session(form());
    session.promptAtRate(form(), board())
        .step(
            [&] {
                QTest::mouseClick(form().RadioButton4, Qt::LeftButton);
                QTest::keyClicks(form().Memo2, QStringLiteral("hello"));
                QTest::keyClick(form().Memo2, Qt::Key_Return);
            },
            [&] { return board().dataReceived().endsWith("hello\r"); })
        .step([&] { board().sendInDataMode(bulk); }, logged);
    session.run();
    QVERIFY(session.completed());
    action(QStringLiteral("terminalLogAction"))->trigger();

    const Transcript t = readTranscript(fileBytes(path(QStringLiteral("terminal.txt"))), stamped);
    QVERIFY(t.everyLineStamped);
    QCOMPARE(t.typed, QList<QByteArray>{"hello"});
    QVERIFY(t.received.endsWith("hello\r" + bulk));
    QVERIFY(form().Memo3->lineCount() <= TerminalDisplay::HexPaneLineLimit);
}

void MainWindowTest::spyLogKeepsEveryLine_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("csv");
    QTest::newRow("text") << QStringLiteral("capture.txt") << false;
    QTest::newRow("csv") << QStringLiteral("capture.CSV") << true;
}

// Passes of the chip's transmissions past the HEX pane's limit: the file
// holds every line the pane showed before and after its emptying.
void MainWindowTest::spyLogKeepsEveryLine() {
    QFETCH(QString, name);
    QFETCH(bool, csv);
    form().CheckBox4->setChecked(false);
    fixture->dialogs.answerSave(path(name));
    action(QStringLiteral("spyLogAction"))->trigger();
    SpyCapture& spy = fixture->window().spy();
    DeviceLink& link = fixture->window().link();
    QStringList shown;
    const auto takeShown = [&] {
        spy.panes().flush();
        shown += linesOf(form().RichEdit2->toPlainText());
    };
    for (int i = 0; i < SpyPanes::PaneLineLimit + 500; ++i) {
        if (spy.panes().HexPaneLines == SpyPanes::PaneLineLimit) {
            takeShown();
        }
        const QByteArray payload = "P" + QByteArray::number(i);
        std::copy(payload.begin(), payload.end(), link.ReadBufferA.begin());
        spy.ShowCapturedBytes(QStringLiteral("1234"), static_cast<std::uint32_t>(payload.size()),
                              0);
    }
    takeShown();
    action(QStringLiteral("spyLogAction"))->trigger();

    QStringList expected = shown;
    if (csv) {
        const QString stamp = QStringLiteral("Time=1234 :");
        expected = {QStringLiteral("time_ms,kind,hex,text")};
        for (int i = 0; i < shown.size(); ++i) {
            QVERIFY(shown[i].startsWith(stamp));
            expected << QStringLiteral("1234,answer,%1,P%2")
                            .arg(shown[i].mid(stamp.size()).trimmed())
                            .arg(i);
        }
    }
    QCOMPARE(shown.size(), SpyPanes::PaneLineLimit + 500);
    QCOMPARE(linesOf(QString::fromLatin1(fileBytes(path(name)))), expected);
}

void MainWindowTest::statusBarFollowsACopy_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("job");
    QTest::newRow("send") << QStringLiteral("Button5") << QStringLiteral("Disk send");
    QTest::newRow("receive") << QStringLiteral("Button8") << QStringLiteral("Disk receive (RD)");
}

// The copy is started from its menu item; while it runs, the bar moves
// forward and the figures name the job, the whole, the rate and the time left.
void MainWindowTest::statusBarFollowsACopy() {
    QFETCH(QString, button);
    QFETCH(QString, job);
    QVERIFY(fixture->pickEvalBoard());
    const QByteArray bytes = patterned(200'000);
    QVERIFY(writeFile(path(QStringLiteral("MID.BIN")), bytes));
    board().disk().put("MID.BIN", std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("back")));
    fixture->dialogs.answerOpen(path(QStringLiteral("MID.BIN")));
    fixture->dialogs.answerSave(path(QStringLiteral("back/MID.BIN")));
    auto* label = fixture->mainWindow().findChild<QLabel*>(QStringLiteral("statusProgress"));
    auto* bar = fixture->mainWindow().findChild<QProgressBar*>(QStringLiteral("statusProgressBar"));
    QStringList figures;
    QList<int> values;
    QTimer sampler;
    sampler.setInterval(0);
    sampler.callOnTimeout([&] {
        if (bar->isVisible() && bar->value() > 0 && bar->value() < bar->maximum()) {
            figures << label->text();
            values << bar->value();
        }
    });
    LoopSession session(form());
    session.promptAtRate(form(), board()).step([&] {
        sampler.start();
        action(button + QStringLiteral("Action"))->trigger();
        sampler.stop();
    });
    session.run();
    QVERIFY(session.completed());
    QVERIFY(!figures.isEmpty());
    QVERIFY(std::is_sorted(values.begin(), values.end()));
    // The rate and the time left from the second report that moved bytes on.
    const QRegularExpression shape(
        QStringLiteral("^%1: \\d+ of 200000 bytes(, \\d+ bytes/s, \\d+ s left)?$")
            .arg(QRegularExpression::escape(job)));
    for (const QString& text : figures) {
        QVERIFY2(shape.match(text).hasMatch(), qPrintable(text));
    }
    QVERIFY(shape.match(figures.last()).hasCaptured(1));
    QVERIFY(!label->isVisible());
    QVERIFY(!bar->isVisible());
}

QStringList MainWindowTest::enabledButtonActions() {
    static const QRegularExpression named(QStringLiteral("^(Button\\d+)Action$"));
    QStringList enabled;
    for (QAction* a : fixture->mainWindow().findChildren<QAction*>()) {
        const QRegularExpressionMatch match = named.match(a->objectName());
        if (!match.hasMatch()) {
            continue;
        }
        auto* button = fixture->window().findChild<QAbstractButton*>(match.captured(1));
        if (a->isEnabled() != button->isEnabled()) {
            return {QStringLiteral("differs: ") + a->objectName()};
        }
        if (a->isEnabled()) {
            enabled << match.captured(1);
        }
    }
    enabled.sort();
    return enabled;
}

void MainWindowTest::menuActionsFollowTheirButtons_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<QStringList>("enabled");
    QTest::newRow("no board") << int{NoBoard} << QStringList();
    QTest::newRow("board chosen") << int{BoardChosen}
                                  << QStringList{"Button10", "Button13", "Button14",
                                                 "Button15", "Button2",  "Button6"};
    QTest::newRow("terminal open")
        << int{TerminalOpen}
        << QStringList{"Button13", "Button14", "Button5", "Button7", "Button8", "Button9"};
    QTest::newRow("spy capturing") << int{SpyCapturing} << QStringList{"Button11", "Button15"};
}

void MainWindowTest::menuActionsFollowTheirButtons() {
    QFETCH(int, state);
    QFETCH(QStringList, enabled);
    QStringList seen;
    const auto look = [&] { seen = enabledButtonActions(); };
    if (state == NoBoard) {
        look();
    } else if (state == BoardChosen) {
        QVERIFY(fixture->pickEvalBoard());
        look();
    } else if (state == TerminalOpen) {
        QVERIFY(fixture->pickEvalBoard());
        LoopSession session(form());
        session.waitFor([&] { return form().GroupBox1->isEnabled(); }).step(look);
        session.run();
    } else {
        QVERIFY(fixture->pickSpyBoard());
        LoopSession session = LoopSession::spy(form());
        session.waitFor([&] { return form().Button11->isEnabled(); }).step(look);
        session.run();
    }
    QCOMPARE(seen, enabled);
}

void MainWindowTest::closingEndsARunningMode_data() {
    QTest::addColumn<bool>("spy");
    QTest::newRow("terminal") << false;
    QTest::newRow("spy") << true;
}

// Closed from its title bar (or Quit), the main window closes the form, whose
// closing stops the running mode and closes both channels.
void MainWindowTest::closingEndsARunningMode() {
    QFETCH(bool, spy);
    QVERIFY(spy ? fixture->pickSpyBoard() : fixture->pickEvalBoard());
    ModeFlags& flags = fixture->window().flags();
    LoopSession session = spy ? LoopSession::spy(form()) : LoopSession(form());
    session.waitFor([&] { return flags.TerminalOpen || flags.SpyOpen; }).step([&] {
        fixture->mainWindow().close();
    });
    session.run();
    QCOMPARE((spy ? flags.SpyStop : flags.TerminalStop).why(), StopCause::WindowClosing);
    QVERIFY(!flags.TerminalOpen && !flags.SpyOpen);
    QCOMPARE(DriverRegistry::instance().openHandleCount(), std::size_t{0});
    QCOMPARE(fixture->mainWindow().windowTitle(),
             QStringLiteral("Tarvik Evaluation Board Program Version 0.97"));
}

void MainWindowTest::remoteBoardsDialogTakesOnlyBoards_data() {
    QTest::addColumn<QStringList>("rows");  // name|channel A|channel B
    QTest::addColumn<QString>("problem");
    const QString rack = QStringLiteral("Rack|rack.invalid:7001|");
    const QString taken =
        QStringLiteral("The name %1 is taken: each board needs a name of its own.");
    const QString long48(48, u'N');
    QTest::newRow("one channel") << QStringList{rack} << QString();
    QTest::newRow("two channels") << QStringList{"Rack|rack.invalid:7001|[::1]:7002"} << QString();
    QTest::newRow("bad port") << QStringList{"Rack|rack.invalid:7001|rack.invalid:0"}
                              << QStringLiteral("Board Rack: 0 is not a TCP port (1 to 65535).");
    QTest::newRow("simulated board's name")
        << QStringList{"Tarvik Eval Board|rack.invalid:7001|"} << taken.arg("Tarvik Eval Board");
    QTest::newRow("name given twice")
        << QStringList{rack, "Rack|rack.invalid:7003|"} << taken.arg("Rack");
    QTest::newRow("48-character name")
        << QStringList{long48 + "|rack.invalid:7001|"}
        << QStringLiteral("The name \"%1\" is longer than 47 characters.").arg(long48);
}

// Typed into the dialog from the File menu, Tab from cell to cell and Enter
// at a row's end, then OK: it takes the boards, listed at the chooser's next drop-down, or
// says what is wrong and stays open.
void MainWindowTest::remoteBoardsDialogTakesOnlyBoards() {
    QFETCH(QStringList, rows);
    QFETCH(QString, problem);
    action(QStringLiteral("remoteBoardsAction"))->trigger();
    QPointer dialog = fixture->mainWindow().findChild<QDialog*>("remoteBoardsDialog");
    auto& table = *dialog->findChild<QTableWidget*>("remoteBoardsTable");
    for (const QString& row : rows) {
        QTest::mouseClick(dialog->findChild<QPushButton*>("addBoardButton"), Qt::LeftButton);
        const QStringList cells = row.split(u'|');
        typeCell(table, cells[0], Qt::Key_Tab);
        typeCell(table, cells[1], Qt::Key_Tab);
        typeCell(table, cells[2], Qt::Key_Return);
    }
    QPointer problemLabel = dialog->findChild<QLabel*>("remoteBoardsProblem");
    auto* buttons = dialog->findChild<QDialogButtonBox*>("remoteBoardsButtons");
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    QCOMPARE(problemLabel ? problemLabel->text() : QString(), problem);
    QCOMPARE(dialog && dialog->isVisible(), !problem.isEmpty());
    QCOMPARE(fixture->listedBoards().contains("Rack"), problem.isEmpty());
}

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
