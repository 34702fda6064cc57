// The window at its defined size and grown: every control in its defined
// place at the defined size, which is also the smallest; grown, the panes take
// the extra room while every other control keeps its size and its place beside
// them; at both sizes every control shows whole inside its page, none overlaps
// another, and the Terminal Mode side panel shows all its tabs at once.
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "Form1Ui.h"
#include "TForm1.h"
#include "WindowFixture.h"

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

// Hidden controls (the programmer's progress bar) are laid out only once
// shown; the tests measure where they appear.
void reveal(const QList<QWidget*>& controls) {
    for (QWidget* control : controls) {
        control->setVisible(true);
    }
    QCoreApplication::processEvents();
}

QRect placeIn(const QWidget* control, const QWidget* holder) {
    return {control->mapTo(holder, QPoint(0, 0)), control->size()};
}

// The smallest window, the size it opens at: the client area inside the
// window's defined outer size of 697 by 467.
const QSize DefinedSize(689, 433);
const QSize GrownSize(1600, 1000);

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

    void opensAtItsSmallestSize();
    void controlsAtTheirDefinedPlaces_data();
    void controlsAtTheirDefinedPlaces();
    void grownWindowKeepsControlsBesideThePanes_data();
    void grownWindowKeepsControlsBesideThePanes();
    void grownPanesTakeTheExtraRoom_data();
    void grownPanesTakeTheExtraRoom();
    void noControlOverlapsAnother_data();
    void noControlOverlapsAnother();
    void pageShowsEveryControlWhole_data();
    void pageShowsEveryControlWhole();
    void sidePanelShowsAllItsTabs_data();
    void sidePanelShowsAllItsTabs();
    void indicatorsShowTheirWholeText_data();
    void indicatorsShowTheirWholeText();

  private:
    QWidget* control(const QString& name);
    void resizeWindow(const QSize& size);

    std::unique_ptr<WindowFixture> fixture;
    TForm1* window = nullptr;
};

void LayoutTest::init() {
    fixture = WindowFixture::overScriptedBackend();
    window = &fixture->window();
}

void LayoutTest::cleanup() {
    fixture.reset();
}

QWidget* LayoutTest::control(const QString& name) {
    if (name == window->objectName()) {
        return window;
    }
    return window->findChild<QWidget*>(name);
}

void LayoutTest::resizeWindow(const QSize& size) {
    window->resize(size);
    QCoreApplication::processEvents();
}

void LayoutTest::opensAtItsSmallestSize() {
    QCOMPARE(window->size(), DefinedSize);
    QCOMPARE(window->minimumSize(), DefinedSize);
    resizeWindow(QSize(500, 300));
    QCOMPARE(window->size(), DefinedSize);
}

void LayoutTest::controlsAtTheirDefinedPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("holder");
    QTest::addColumn<QRect>("place");
    const struct {
        const char* name;
        const char* holder;
        QRect place;
    } places[] = {
        {"Panel1", "Form1", {0, 0, 689, 41}},
        {"ComboBox1", "Panel1", {8, 8, 145, 21}},
        {"Label1", "Panel1", {168, 10, 70, 13}},
        {"Panel2", "Form1", {0, 42, 689, 391}},
        {"Memo1", "TabSheet1", {0, 0, 313, 129}},
        {"Label2", "TabSheet1", {328, 8, 249, 13}},
        {"Edit1", "TabSheet1", {328, 24, 249, 21}},
        {"Button1", "TabSheet1", {592, 24, 75, 25}},
        {"Button2", "TabSheet1", {328, 72, 75, 25}},
        {"ProgressBar1", "TabSheet1", {328, 112, 337, 17}},
        {"Label4", "TabSheet2", {0, 2, 70, 13}},
        {"Label6", "TabSheet2", {75, 2, 34, 13}},
        {"Label7", "TabSheet2", {110, 2, 56, 13}},
        {"Label12", "TabSheet2", {168, 2, 60, 13}},
        {"Label8", "TabSheet2", {230, 2, 39, 13}},
        {"Label9", "TabSheet2", {270, 2, 56, 13}},
        {"Label10", "TabSheet2", {328, 2, 55, 13}},
        {"Label11", "TabSheet2", {384, 2, 80, 13}},
        {"Memo2", "TabSheet2", {0, 20, 465, 153}},
        {"Label5", "TabSheet2", {0, 182, 70, 13}},
        {"Memo3", "TabSheet2", {0, 200, 465, 161}},
        {"Panel3", "TabSheet2", {472, 0, 209, 365}},
        {"Label3", "TabSheet4", {8, 10, 60, 13}},
        {"ComboBox2", "TabSheet4", {8, 26, 121, 21}},
        {"Button3", "TabSheet4", {136, 24, 41, 25}},
        {"RadioButton1", "TabSheet5", {8, 8, 121, 17}},
        {"RadioButton2", "TabSheet5", {8, 28, 121, 17}},
        {"RadioButton7", "TabSheet5", {8, 48, 81, 17}},
        {"Button4", "TabSheet5", {104, 44, 75, 25}},
        {"RadioButton3", "TabSheet5", {8, 92, 121, 17}},
        {"RadioButton4", "TabSheet5", {8, 112, 121, 17}},
        {"RadioButton5", "TabSheet5", {8, 156, 121, 17}},
        {"RadioButton6", "TabSheet5", {8, 176, 121, 17}},
        {"Button6", "TabSheet5", {8, 220, 75, 25}},
        {"Button7", "TabSheet5", {104, 220, 75, 25}},
        {"GroupBox1", "TabSheet6", {4, 4, 193, 137}},
        {"Button5", "GroupBox1", {8, 20, 145, 25}},
        {"Label13", "GroupBox1", {8, 52, 177, 13}},
        {"Edit2", "GroupBox1", {8, 68, 65, 21}},
        {"CheckBox1", "GroupBox1", {8, 96, 121, 17}},
        {"GroupBox2", "TabSheet6", {4, 148, 193, 169}},
        {"Button8", "GroupBox2", {8, 20, 145, 25}},
        {"Button9", "GroupBox2", {8, 52, 145, 25}},
        {"Label14", "GroupBox2", {8, 84, 177, 13}},
        {"Edit3", "GroupBox2", {8, 100, 65, 21}},
        {"CheckBox2", "GroupBox2", {8, 128, 121, 17}},
        {"Button13", "TabSheet7", {8, 8, 75, 25}},
        {"Button14", "TabSheet7", {104, 8, 75, 25}},
        {"ProgressBar2", "TabSheet7", {8, 48, 185, 17}},
        {"Label20", "TabSheet7", {8, 80, 80, 13}},
        {"Label22", "TabSheet7", {92, 80, 101, 13}},
        {"Label21", "TabSheet7", {8, 104, 80, 13}},
        {"Label23", "TabSheet7", {8, 120, 185, 13}},
        {"Panel6", "TabSheet3", {0, 8, 513, 353}},
        {"Label16", "Panel6", {8, 8, 40, 13}},
        {"Label18", "Panel6", {120, 8, 150, 13}},
        {"Label19", "Panel6", {300, 8, 150, 13}},
        {"RichEdit1", "Panel6", {8, 24, 497, 145}},
        {"Label17", "Panel6", {8, 184, 40, 13}},
        {"RichEdit2", "Panel6", {8, 200, 497, 145}},
        {"Panel10", "TabSheet3", {515, 8, 161, 353}},
        {"Button10", "Panel10", {16, 8, 129, 25}},
        {"Button11", "Panel10", {16, 40, 129, 25}},
        {"Label15", "Panel10", {16, 76, 80, 13}},
        {"ComboBox3", "Panel10", {16, 92, 81, 21}},
        {"Button12", "Panel10", {104, 90, 41, 25}},
        {"Button15", "Panel10", {16, 124, 129, 25}},
        {"CheckBox4", "Panel10", {16, 160, 129, 17}},
        {"CheckBox3", "Panel10", {16, 180, 129, 17}},
        {"RadioButton8", "Panel10", {16, 212, 129, 17}},
        {"RadioButton9", "Panel10", {16, 232, 129, 17}},
        {"RadioButton10", "Panel10", {16, 264, 129, 17}},
        {"RadioButton11", "Panel10", {16, 284, 129, 17}},
    };
    for (const auto& entry : places) {
        QTest::newRow(entry.name) << QString::fromLatin1(entry.name)
                                  << QString::fromLatin1(entry.holder) << entry.place;
    }
}

// Each control at the place the window definition gives it, measured in the
// widget it is placed in there.
void LayoutTest::controlsAtTheirDefinedPlaces() {
    QFETCH(QString, name);
    QFETCH(QString, holder);
    QFETCH(QRect, place);
    QWidget* shown = control(name);
    const QWidget* in = control(holder);
    QVERIFY(shown && in);
    bringToFront(shown);
    reveal({shown});
    QCOMPARE(placeIn(shown, in), place);
}

void LayoutTest::grownWindowKeepsControlsBesideThePanes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pane");
    QTest::addColumn<bool>("besideRightEdge");
    const struct {
        const char* name;
        const char* pane;
        bool besideRightEdge;
    } rows[] = {
        {"ComboBox1", "Form1", false},
        {"Label1", "Form1", false},
        {"Label2", "Memo1", true},
        {"Edit1", "Memo1", true},
        {"Button1", "Memo1", true},
        {"Button2", "Memo1", true},
        {"ProgressBar1", "Memo1", true},
        {"Label4", "Memo2", false},
        {"Label6", "Memo2", false},
        {"Label7", "Memo2", false},
        {"Label12", "Memo2", false},
        {"Label8", "Memo2", false},
        {"Label9", "Memo2", false},
        {"Label10", "Memo2", false},
        {"Label11", "Memo2", false},
        {"Label5", "Memo3", false},
        {"Panel3", "Memo2", true},
        {"Button6", "Memo2", true},
        {"Label16", "RichEdit1", false},
        {"Label18", "RichEdit1", false},
        {"Label19", "RichEdit1", false},
        {"Label17", "RichEdit2", false},
        {"Button10", "RichEdit1", true},
        {"Button11", "RichEdit1", true},
        {"Label15", "RichEdit1", true},
        {"ComboBox3", "RichEdit1", true},
        {"Button12", "RichEdit1", true},
        {"Button15", "RichEdit1", true},
        {"CheckBox4", "RichEdit1", true},
        {"CheckBox3", "RichEdit1", true},
        {"RadioButton8", "RichEdit1", true},
        {"RadioButton9", "RichEdit1", true},
        {"RadioButton10", "RichEdit1", true},
        {"RadioButton11", "RichEdit1", true},
    };
    for (const auto& row : rows) {
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << QString::fromLatin1(row.pane)
                                << row.besideRightEdge;
    }
}

// A control beside a pane keeps its size and its distance from the pane's
// top corner on that side: labels above a pane move down with it, the columns
// right of a pane move right with its edge.
void LayoutTest::grownWindowKeepsControlsBesideThePanes() {
    QFETCH(QString, name);
    QFETCH(QString, pane);
    QFETCH(bool, besideRightEdge);
    QWidget* shown = control(name);
    const QWidget* beside = control(pane);
    QVERIFY(shown && beside);
    bringToFront(shown);
    reveal({shown});
    const auto relativePlace = [&] {
        const QRect edge = placeIn(beside, window);
        const QPoint corner = besideRightEdge ? edge.topRight() : edge.topLeft();
        return placeIn(shown, window).translated(-corner);
    };
    const QRect atDefinedSize = relativePlace();
    resizeWindow(GrownSize);
    QCOMPARE(relativePlace(), atDefinedSize);
}

void LayoutTest::grownPanesTakeTheExtraRoom_data() {
    QTest::addColumn<QString>("pane");
    QTest::addColumn<QString>("sharesHeightWith");
    QTest::newRow("Memo1") << "Memo1" << QString();
    QTest::newRow("Memo2") << "Memo2"
                           << "Memo3";
    QTest::newRow("Memo3") << "Memo3"
                           << "Memo2";
    QTest::newRow("RichEdit1") << "RichEdit1"
                               << "RichEdit2";
    QTest::newRow("RichEdit2") << "RichEdit2"
                               << "RichEdit1";
}

// All the room the window gains goes to the panes: each takes the whole extra
// width, and the two panes of a page share the height between them evenly.
void LayoutTest::grownPanesTakeTheExtraRoom() {
    QFETCH(QString, pane);
    QFETCH(QString, sharesHeightWith);
    QWidget* grown = control(pane);
    QVERIFY(grown);
    const QWidget* partner = sharesHeightWith.isEmpty() ? nullptr : control(sharesHeightWith);
    bringToFront(grown);
    const QSize before = grown->size();
    const int bothBefore = before.height() + (partner ? partner->height() : 0);
    resizeWindow(GrownSize);
    const QSize extra = GrownSize - DefinedSize;
    QCOMPARE(grown->width() - before.width(), extra.width());
    const int both = grown->height() + (partner ? partner->height() : 0);
    QCOMPARE(both - bothBefore, extra.height());
    if (partner != nullptr) {
        QVERIFY2(qAbs(grown->height() - partner->height()) <= 1,
                 qPrintable(
                     QStringLiteral("%1 and %2 high").arg(grown->height()).arg(partner->height())));
    }
}

namespace {

void addPageRows(const QList<QSize>& sizes) {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QSize>("size");
    const std::pair<const char*, const char*> pages[] = {{"Programmer Mode", "TabSheet1"},
                                                         {"Terminal Mode", "TabSheet2"},
                                                         {"Spy Mode", "TabSheet3"},
                                                         {"RS232 Setup", "TabSheet4"},
                                                         {"Mode", "TabSheet5"},
                                                         {"Disk Transfer", "TabSheet6"},
                                                         {"Slave File I/O", "TabSheet7"}};
    for (const QSize& size : sizes) {
        for (const auto& [caption, page] : pages) {
            QTest::addRow("%s at %dx%d", caption, size.width(), size.height())
                << QString::fromLatin1(page) << size;
        }
    }
}

// The window definition lets the box of "Run Tarvik" reach one pixel into the
// top of Resume; its caption ends far left of the button.
bool overlapIsDefined(const QWidget* a, const QWidget* b) {
    const QStringList pair = {a->objectName(), b->objectName()};
    return pair.contains(QLatin1String("RadioButton2")) && pair.contains(QLatin1String("Button4"));
}

}  // namespace

void LayoutTest::noControlOverlapsAnother_data() {
    addPageRows({DefinedSize, GrownSize});
}

// Controls that do not hold one another share no pixel.
void LayoutTest::noControlOverlapsAnother() {
    QFETCH(QString, page);
    QFETCH(QSize, size);
    resizeWindow(size);
    QWidget* sheet = control(page);
    QVERIFY(sheet);
    bringToFront(sheet);
    const QList<QWidget*> controls = controlsOf(sheet);
    reveal(controls);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            const QWidget* a = controls[i];
            const QWidget* b = controls[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a) || overlapIsDefined(a, b)) {
                continue;
            }
            QVERIFY2(!placeIn(a, sheet).intersects(placeIn(b, sheet)),
                     qPrintable(a->objectName() + QLatin1String(" overlaps ") + b->objectName()));
        }
    }
}

void LayoutTest::pageShowsEveryControlWhole_data() {
    addPageRows({DefinedSize, GrownSize});
}

// Each control lies inside every widget between it and its page, the page
// included, so no frame or page edge cuts any of it off.
void LayoutTest::pageShowsEveryControlWhole() {
    QFETCH(QString, page);
    QFETCH(QSize, size);
    resizeWindow(size);
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

void LayoutTest::sidePanelShowsAllItsTabs_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("defined size") << DefinedSize;
    QTest::newRow("1600x1000") << GrownSize;
}

void LayoutTest::sidePanelShowsAllItsTabs() {
    QFETCH(QSize, size);
    resizeWindow(size);
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
