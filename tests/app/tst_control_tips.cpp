// The named controls' tooltips: each says what its control does, and while
// the control is switched off, why.
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

#include "Form1Ui.h"
#include "LoopSession.h"
#include "TForm1.h"
#include "WindowFixture.h"

class ControlTipsTest : public QObject {
    Q_OBJECT

  private slots:
    void everyNamedControlSaysWhatItDoes();
    void aSwitchedOffControlSaysWhy_data();
    void aSwitchedOffControlSaysWhy();
};

// The panels and page controls only hold the controls; a page is pointed at
// by its tab.
void ControlTipsTest::everyNamedControlSaysWhatItDoes() {
    const QRegularExpression named(QStringLiteral(
        "^(Button|CheckBox|ComboBox|Edit|GroupBox|Label|Memo|ProgressBar|RadioButton|RichEdit|"
        "TabSheet)\\d+$"));
    WindowFixture run;
    const QList<QWidget*> controls = run.window().findChildren<QWidget*>(named);
    for (QWidget* c : controls) {
        auto* pages = qobject_cast<QTabWidget*>(c->parentWidget()->parentWidget());
        const bool isPage = c->objectName().startsWith(QLatin1String("TabSheet"));
        const QString tip = isPage ? pages->tabToolTip(pages->indexOf(c)) : c->toolTip();
        QVERIFY2(!tip.isEmpty(), qPrintable(c->objectName()));
    }
    QCOMPARE(controls.size(), 75);
}

enum Moment { NoBoard, BoardChosen, TerminalOpen };

void ControlTipsTest::aSwitchedOffControlSaysWhy_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("moment");
    QTest::addColumn<QString>("reason");
    const QList<std::tuple<const char*, Moment, const char*>> rows = {
        {"Button7", NoBoard, "Choose a board in the port list first."},
        {"Button5", BoardChosen, "Open the terminal first."},
        {"Button11", BoardChosen, "No capture is running: Open Spy starts one."},
        {"Button6", BoardChosen, ""},
        {"Button2", TerminalOpen, "Terminal Mode is running: close it first."},
        {"Button6", TerminalOpen, "The terminal is open already."},
    };
    for (const auto& [name, moment, reason] : rows) {
        QTest::addRow("%s %d", name, moment) << name << int(moment) << reason;
    }
}

void ControlTipsTest::aSwitchedOffControlSaysWhy() {
    QFETCH(QString, name);
    QFETCH(int, moment);
    QFETCH(QString, reason);
    WindowFixture run;
    QWidget& c = *run.window().findChild<QWidget*>(name);
    QVERIFY(moment == NoBoard || run.pickEvalBoard());
    QString tip;
    const auto look = [&] { tip = c.toolTip(); };
    if (moment == TerminalOpen) {
        LoopSession session(run.form());
        session.step(look).run();
        QVERIFY(session.completed());
    } else {
        // The tips follow once the handler that switched the controls is done.
        QCoreApplication::processEvents();
        look();
    }
    QCOMPARE(tip.section(QLatin1Char('\n'), 1), reason);
}

QTEST_MAIN(ControlTipsTest)
#include "tst_control_tips.moc"
