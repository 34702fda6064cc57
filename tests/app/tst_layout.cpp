// The window at its defined size: every control of every page shows whole
// inside its page, and the Terminal Mode side panel shows all its tabs at once.
#include <QLabel>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "DriverRegistry.h"
#include "Form1Ui.h"
#include "ScriptedBackend.h"
#include "ScriptedDialogs.h"
#include "SelfAdvancingClock.h"
#include "TForm1.h"

namespace {

// Brings the page to the front of its tab widget and of every tab widget
// around it.
void bringToFront(QWidget* page) {
    for (QWidget* w = page; w->parentWidget() != nullptr; w = w->parentWidget()) {
        // A page's parent is its tab widget's stack.
        if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget())) {
            tabs->setCurrentWidget(w);
        }
    }
    QCoreApplication::processEvents();
}

// The window definition's own controls on the page: named widgets below it
// through named widgets only, which leaves out each widget's inner parts
// (viewports, a tab widget's bar and stack) and the pages of a nested tab
// widget.
QList<QWidget*> controlsOf(QWidget* page) {
    QList<QWidget*> controls;
    for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QString name = child->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) {
            continue;
        }
        controls << child << controlsOf(child);
    }
    return controls;
}

QString describe(const QWidget* control, const QRect& r, const QWidget* holder) {
    QString text;
    QDebug(&text) << control->objectName() << r << "leaves" << holder->objectName()
                  << holder->size();
    return text;
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void pageShowsEveryControlWhole_data();
    void pageShowsEveryControlWhole();
    void sidePanelShowsAllItsTabs();
    void indicatorsShowTheirWholeText_data();
    void indicatorsShowTheirWholeText();

  private:
    SelfAdvancingClock clock;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> window;
};

void LayoutTest::init() {
    ScriptedBackend::installFresh();
    window = std::make_unique<TForm1>(clock, dialogs);
    window->show();
}

void LayoutTest::cleanup() {
    window.reset();
    DriverRegistry::instance().reset();
}

void LayoutTest::pageShowsEveryControlWhole_data() {
    QTest::addColumn<QString>("page");
    QTest::newRow("Programmer Mode") << "TabSheet1";
    QTest::newRow("Terminal Mode") << "TabSheet2";
    QTest::newRow("Spy Mode") << "TabSheet3";
    QTest::newRow("RS232 Setup") << "TabSheet4";
    QTest::newRow("Mode") << "TabSheet5";
    QTest::newRow("Disk Transfer") << "TabSheet6";
    QTest::newRow("Slave File I/O") << "TabSheet7";
}

// Each control lies inside every widget between it and its page, the page
// included, so no frame or page edge cuts any of it off.
void LayoutTest::pageShowsEveryControlWhole() {
    QFETCH(QString, page);
    QWidget* sheet = window->findChild<QWidget*>(page);
    QVERIFY(sheet);
    bringToFront(sheet);
    QVERIFY(sheet->isVisible());
    const QList<QWidget*> controls = controlsOf(sheet);
    QVERIFY(!controls.isEmpty());
    for (QWidget* control : controls) {
        for (QWidget* holder = control->parentWidget(); holder != sheet->parentWidget();
             holder = holder->parentWidget()) {
            const QRect r(control->mapTo(holder, QPoint(0, 0)), control->size());
            QVERIFY2(holder->rect().contains(r), qPrintable(describe(control, r, holder)));
        }
    }
}

void LayoutTest::sidePanelShowsAllItsTabs() {
    Ui::Form1& f = window->form();
    bringToFront(f.TabSheet2);
    QTabBar* bar = f.PageControl2->tabBar();
    QVERIFY(f.PageControl2->rect().contains(bar->geometry()));
    for (const QToolButton* scroll : bar->findChildren<QToolButton*>()) {
        QVERIFY2(!scroll->isVisible(), "the tab bar scrolls");
    }
    const QFontMetrics metrics = bar->fontMetrics();
    for (int i = 0; i < bar->count(); ++i) {
        const QRect tab = bar->tabRect(i);
        QVERIFY2(bar->rect().contains(tab), qPrintable(bar->tabText(i)));
        QVERIFY2(tab.width() > metrics.horizontalAdvance(bar->tabText(i)),
                 qPrintable(bar->tabText(i)));
    }
}

void LayoutTest::indicatorsShowTheirWholeText_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::newRow("Mode :") << "Label6" << QString();
    QTest::newRow("Status :") << "Label8" << QString();
    QTest::newRow("Interface :") << "Label10" << QString();
    QTest::newRow("Command") << "Label7"
                             << "Command";
    QTest::newRow("Suspend") << "Label9"
                             << "Suspend";
    QTest::newRow("Disabled") << "Label11"
                              << "Disabled";
    QTest::newRow("Not AVAIL") << "Label12"
                               << "Not AVAIL";
}

// The indicator row's captions, and the longest reading each indicator
// shows, fit in their places.
void LayoutTest::indicatorsShowTheirWholeText() {
    QFETCH(QString, label);
    QFETCH(QString, text);
    const QLabel* indicator = window->findChild<QLabel*>(label);
    QVERIFY(indicator);
    const QString shown = text.isEmpty() ? indicator->text() : text;
    QVERIFY2(indicator->fontMetrics().horizontalAdvance(shown) <= indicator->width(),
             qPrintable(shown));
}

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
