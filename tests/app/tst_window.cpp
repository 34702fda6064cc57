// The main window against a scripted driver backend: start-up state, the port
// chooser and the control groups, the status indicators, the page-show
// notices, closing, and the file-dialog filters.
#include <QTest>
#include <memory>

#include "DeviceLink.h"
#include "DriverRegistry.h"
#include "FileFilter.h"
#include "Form1Ui.h"
#include "ScriptedBackend.h"
#include "SimBackend.h"
#include "TForm1.h"
#include "TestLink.h"
#include "WindowFixture.h"

Q_DECLARE_METATYPE(ModeFlags)

namespace {

const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);
const QColor Black(0, 0, 0);

QColor textColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void startsLockedWithStartIndicators();
    void controlsCarryTheirCaptions_data();
    void controlsCarryTheirCaptions();
    void startStates();
    void radioGroupsAreIndependent();

    void dropDownListsEachBoardOnceAndLocksEverything();
    void typingANameUnlocksAndClearingLocks();
    void noDeviceGivesAnEmptyList();
    void simulatedBoardsAreInTheChooser();
    void failedCountGivesAnEmptyListWithoutDialog();
    void runningCaptureKeepsItsGroupsThroughThePortChooser();

    void ackIndicator_data();
    void ackIndicator();
    void failedModemQueryIsReported();
    void boardAndInterfaceIndicators_data();
    void boardAndInterfaceIndicators();

    void pageShowNotices_data();
    void pageShowNotices();

    void closingStopsLoopsAndClosesBothChannels();
    void terminalLogAddsLines();

    void dialogFilters_data();
    void dialogFilters();

  private:
    Ui::Form1& ui() { return fixture->form(); }
    void openChannelA();
    void expectGroups(bool programmer, bool terminal, bool spy);

    std::unique_ptr<WindowFixture> fixture;
    ScriptedBackend* backend = nullptr;
    TForm1* window = nullptr;
};

void WindowTest::init() {
    fixture = WindowFixture::overScriptedBackend();
    backend = &fixture->scripted();
    window = &fixture->window();
}

void WindowTest::cleanup() {
    fixture.reset();
}

void WindowTest::openChannelA() {
    QVERIFY(openChannelAByHand(window->link(), QStringLiteral("X A")));
}

void WindowTest::expectGroups(bool programmer, bool terminal, bool spy) {
    Ui::Form1& f = ui();
    const QList<QWidget*> programmerGroup = {f.Button1, f.Button2, f.Edit1, f.Label2};
    for (QWidget* w : programmerGroup) {
        QVERIFY2(w->isEnabled() == programmer, qPrintable(w->objectName()));
    }
    const QList<QWidget*> terminalGroup = {
        f.ComboBox2,    f.Button3,      f.RadioButton1, f.RadioButton2, f.RadioButton3,
        f.RadioButton4, f.RadioButton5, f.RadioButton6, f.RadioButton7, f.Button4,
        f.Button6,      f.Button13,     f.Button14,     f.ProgressBar2, f.Label3,
        f.Label20,      f.Label21,      f.Label22,      f.Label23};
    for (QWidget* w : terminalGroup) {
        QVERIFY2(w->isEnabled() == terminal, qPrintable(w->objectName()));
    }
    // The disk-transfer controls sit in group boxes that only an open
    // terminal switches on: their own state is what the group sets.
    const QList<QWidget*> transferGroup = {f.Button5,   f.Button8,   f.Button9,
                                           f.CheckBox1, f.CheckBox2, f.Edit2,
                                           f.Edit3,     f.Label13,   f.Label14};
    for (QWidget* w : transferGroup) {
        QVERIFY2(w->isEnabledTo(w->parentWidget()) == terminal, qPrintable(w->objectName()));
    }
    const QList<QWidget*> spyGroup = {
        f.Button10,  f.Button12,     f.Button15,     f.ComboBox3,     f.Label15,      f.CheckBox3,
        f.CheckBox4, f.RadioButton8, f.RadioButton9, f.RadioButton10, f.RadioButton11};
    for (QWidget* w : spyGroup) {
        QVERIFY2(w->isEnabled() == spy, qPrintable(w->objectName()));
    }
    QVERIFY(!f.Button7->isEnabled());
    QVERIFY(!f.Button11->isEnabled());
    QVERIFY(f.ComboBox1->isEnabled());
}

void WindowTest::startsLockedWithStartIndicators() {
    Ui::Form1& f = ui();
    QCOMPARE(window->windowTitle(), QStringLiteral("Tarvik Evaluation Board Program Version 0.97"));
    QCOMPARE(f.PageControl1->currentWidget(), f.TabSheet2);
    QCOMPARE(f.PageControl2->currentWidget(), f.TabSheet5);
    QCOMPARE(f.Label7->text(), QStringLiteral("Command"));
    QCOMPARE(f.Label9->text(), QStringLiteral("Reset"));
    QCOMPARE(textColour(f.Label9), Red);
    QCOMPARE(f.Label11->text(), QStringLiteral("Closed"));
    QCOMPARE(textColour(f.Label11), Red);
    QCOMPARE(f.Label12->text(), QStringLiteral("Not Avail"));
    QCOMPARE(textColour(f.Label12), Black);
    QVERIFY(!window->flags().TerminalOpen);
    QVERIFY(!window->flags().SpyOpen);
    QVERIFY(fixture->dialogs.informations.isEmpty());
    expectGroups(false, false, false);
}

void WindowTest::controlsCarryTheirCaptions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const QList<std::pair<const char*, const char*>> captions = {
        {"Label1", "Select Port"},
        {"Label2", "Source File"},
        {"Button1", "Select File"},
        {"Button2", "Program"},
        {"Label4", "ASCII Data"},
        {"Label5", "HEX Data"},
        {"Label6", "Mode :"},
        {"Label8", "Status :"},
        {"Label10", "Interface :"},
        {"Label3", "BaudRate"},
        {"Button3", "Set"},
        {"RadioButton1", "Reset Tarvik"},
        {"RadioButton2", "Run Tarvik"},
        {"RadioButton7", "Suspend"},
        {"Button4", "Resume"},
        {"RadioButton3", "Command Mode"},
        {"RadioButton4", "Data Mode"},
        {"RadioButton5", "Enable RTS"},
        {"RadioButton6", "Disable RTS"},
        {"Button6", "Open"},
        {"Button7", "Close"},
        {"Button5", "Send File (OPW/WRF)"},
        {"Label13", "Block Size to use for Write"},
        {"Edit2", "512"},
        {"CheckBox1", "Use File Size"},
        {"Button8", "Receive File (RD)"},
        {"Button9", "Receive File (OPR/RDF)"},
        {"Label14", "Block Size to use for Read"},
        {"Edit3", "512"},
        {"CheckBox2", "Use File Size"},
        {"Button13", "Send File"},
        {"Button14", "Rcv File"},
        {"Label20", "Bytes / Sec ="},
        {"Label21", "Status : "},
        {"Label22", ""},
        {"Label23", ""},
        {"Label16", "ASCII"},
        {"Label17", "HEX"},
        {"Label18", "Tarvik Transmit In BLUE"},
        {"Label19", "Tarvik Receive In RED"},
        {"Button10", "Open Spy"},
        {"Button11", "Close Spy"},
        {"Label15", "Baud Rate"},
        {"ComboBox3", "9600"},
        {"ComboBox2", "9600"},
        {"Button12", "Set"},
        {"Button15", "Clear Windows"},
        {"CheckBox4", "Track Commands"},
        {"CheckBox3", "Show Time"},
        {"RadioButton8", "Extended Cmd Set"},
        {"RadioButton9", "Short Cmd Set"},
        {"RadioButton10", "Input is Hex"},
        {"RadioButton11", "Input is ASCII"},
        {"Edit1", ""},
    };
    for (const auto& [name, caption] : captions) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption);
    }
}

void WindowTest::controlsCarryTheirCaptions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QWidget* control = window->findChild<QWidget*>(name);
    QVERIFY2(control, "control missing");
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QCOMPARE(button->text(), caption);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), caption);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        QCOMPARE(edit->text(), caption);
    } else if (auto* box = qobject_cast<QComboBox*>(control)) {
        QCOMPARE(box->currentText(), caption);
    } else {
        QFAIL("unexpected kind of control");
    }
}

void WindowTest::startStates() {
    Ui::Form1& f = ui();
    QCOMPARE(f.PageControl1->tabText(0), QStringLiteral("Programmer Mode"));
    QCOMPARE(f.PageControl1->tabText(1), QStringLiteral("Terminal Mode"));
    QCOMPARE(f.PageControl1->tabText(2), QStringLiteral("Spy Mode"));
    QCOMPARE(f.PageControl2->tabText(0), QStringLiteral("RS232 Setup"));
    QCOMPARE(f.PageControl2->tabText(1), QStringLiteral("Mode"));
    QCOMPARE(f.PageControl2->tabText(2), QStringLiteral("Disk Transfer"));
    QCOMPARE(f.PageControl2->tabText(3), QStringLiteral("Slave File I/O"));
    QCOMPARE(f.GroupBox1->title(), QStringLiteral("PC to Tarvik"));
    QCOMPARE(f.GroupBox2->title(), QStringLiteral("Tarvik to PC"));
    QVERIFY(!f.GroupBox1->isEnabled());
    QVERIFY(!f.GroupBox2->isEnabled());
    QVERIFY(f.ProgressBar1->isHidden());
    QVERIFY(f.Memo1->toPlainText().isEmpty());
    const QList<QAbstractButton*> checkedAtStart = {f.RadioButton1, f.RadioButton3,  f.RadioButton5,
                                                    f.RadioButton8, f.RadioButton10, f.CheckBox1,
                                                    f.CheckBox2,    f.CheckBox3,     f.CheckBox4};
    for (QAbstractButton* on : checkedAtStart) {
        QVERIFY2(on->isChecked(), qPrintable(on->objectName()));
    }
    QVERIFY(f.RichEdit1->isReadOnly());
    QVERIFY(f.RichEdit2->isReadOnly());
    QVERIFY(QFontInfo(f.RichEdit1->font()).fixedPitch());
    QCOMPARE(textColour(f.Label18), QColor(0, 0, 255));
    QCOMPARE(textColour(f.Label19), Red);
    QCOMPARE(itemsOf(f.ComboBox2),
             QStringList({"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600",
                          "115200", "230400", "460800", "921600", "1000000", "3000000"}));
    QCOMPARE(
        itemsOf(f.ComboBox3),
        QStringList({"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600",
                     "115200", "230400", "460800", "921600", "1000000", "2000000", "3000000"}));
    QVERIFY(f.ComboBox1->isEditable());
    QVERIFY(f.ComboBox2->isEditable());
    QVERIFY(f.ComboBox3->isEditable());
    QCOMPARE(f.ComboBox1->currentText(), QString());
}

// Each radio group switches only its own members.
void WindowTest::radioGroupsAreIndependent() {
    QVERIFY(fixture->pickBoard(QStringLiteral("X")));
    Ui::Form1& f = ui();
    QTest::mouseClick(f.RadioButton7, Qt::LeftButton);
    QVERIFY(f.RadioButton7->isChecked());
    QVERIFY(!f.RadioButton1->isChecked());
    QVERIFY(f.RadioButton3->isChecked());
    QVERIFY(f.RadioButton5->isChecked());
    QTest::mouseClick(f.RadioButton4, Qt::LeftButton);
    QVERIFY(!f.RadioButton3->isChecked());
    QVERIFY(f.RadioButton7->isChecked());
    QVERIFY(f.RadioButton5->isChecked());
    QTest::mouseClick(f.RadioButton6, Qt::LeftButton);
    QVERIFY(!f.RadioButton5->isChecked());
    QVERIFY(f.RadioButton4->isChecked());
    f.PageControl1->setCurrentWidget(f.TabSheet3);
    QTest::mouseClick(f.RadioButton9, Qt::LeftButton);
    QTest::mouseClick(f.RadioButton11, Qt::LeftButton);
    QVERIFY(!f.RadioButton8->isChecked());
    QVERIFY(!f.RadioButton10->isChecked());
    QVERIFY(f.RadioButton9->isChecked());
    QVERIFY(f.RadioButton11->isChecked());
}

// The list ends at the first empty description: W is not shown.
void WindowTest::dropDownListsEachBoardOnceAndLocksEverything() {
    backend->setDevices({"X A", "X B", "Y A", "Y B", "Z", "DATA", "A", "", "W A"});
    QVERIFY(fixture->pickBoard(QStringLiteral("Y")));
    expectGroups(true, true, true);

    ui().ComboBox1->showPopup();
    QCOMPARE(itemsOf(ui().ComboBox1), QStringList({"X", "Y", "DA", ""}));
    ui().ComboBox1->hidePopup();
    QCOMPARE(ui().ComboBox1->currentText(), QString());
    expectGroups(false, false, false);
    QCOMPARE(window->link().DeviceList[4], QStringLiteral("Z"));
    // Listing opens nothing.
    QCOMPARE(backend->openChannelCount(), 0);
    QVERIFY(fixture->dialogs.errors.isEmpty());
}

void WindowTest::typingANameUnlocksAndClearingLocks() {
    ui().ComboBox1->setFocus();
    QTest::keyClicks(ui().ComboBox1, "Q");
    expectGroups(true, true, true);
    QTest::keyClick(ui().ComboBox1, Qt::Key_Backspace);
    QCOMPARE(ui().ComboBox1->currentText(), QString());
    expectGroups(false, false, false);
}

void WindowTest::noDeviceGivesAnEmptyList() {
    backend->setDevices({});
    window->ComboBox1DropDown();
    QCOMPARE(ui().ComboBox1->count(), 0);
    QCOMPARE(ui().ComboBox1->currentText(), QString());
    expectGroups(false, false, false);
}

// The simulated boards stand in for real ones: both appear by name, and the
// indicator reads the evaluation board's own DSR line.
void WindowTest::simulatedBoardsAreInTheChooser() {
    DriverRegistry::instance().reset();
    DriverRegistry::instance().install(std::make_shared<SimBackend>(fixture->clock));
    window->ComboBox1DropDown();
    QCOMPARE(itemsOf(ui().ComboBox1),
             QStringList({SimBackend::EvalBoardName, SimBackend::SpyBoardName}));
    QVERIFY(fixture->pickBoard(QString::fromLatin1(SimBackend::EvalBoardName)));
    expectGroups(true, true, true);

    DeviceLink& link = window->link();
    QVERIFY(openChannelAByHand(link, QStringLiteral("Tarvik Eval Board A")));
    QVERIFY(link.LowerDtr() == hx::Ok);
    window->RefreshStatus();
    QCOMPARE(ui().Label12->text(), QStringLiteral("ACK"));
    QTest::mouseClick(ui().RadioButton4, Qt::LeftButton);
    window->RefreshStatus();
    QCOMPARE(ui().Label12->text(), QStringLiteral("NoACK"));
    // A chip held in reset does not answer the request for data mode.
    QVERIFY(link.RaiseDtr() == hx::Ok);
    window->RefreshStatus();
    QCOMPARE(ui().Label12->text(), QStringLiteral("NoACK"));
    QCOMPARE(textColour(ui().Label12), Red);
    QVERIFY(fixture->dialogs.errors.isEmpty());
}

void WindowTest::failedCountGivesAnEmptyListWithoutDialog() {
    QVERIFY(fixture->pickBoard(QStringLiteral("X")));
    backend->fail("count", hx::IoError);
    window->ComboBox1DropDown();
    QCOMPARE(ui().ComboBox1->count(), 0);
    QVERIFY(fixture->dialogs.errors.isEmpty());
    expectGroups(false, false, false);
}

// A capture has switched the programmer and terminal groups off and keeps
// Close Spy on; relisting the boards must not turn either around.
void WindowTest::runningCaptureKeepsItsGroupsThroughThePortChooser() {
    QVERIFY(fixture->pickBoard(QStringLiteral("X")));
    window->flags().SpyOpen = true;
    window->DisableProgrammerControls();
    window->DisableTerminalControls();
    ui().Button10->setEnabled(false);
    ui().Button11->setEnabled(true);

    window->ComboBox1DropDown();
    ui().ComboBox1->setCurrentIndex(0);

    QVERIFY(ui().Button11->isEnabled());
    QVERIFY(!ui().Button10->isEnabled());
    QVERIFY(!ui().Button1->isEnabled());
    QVERIFY(!ui().Button6->isEnabled());
    QCOMPARE(itemsOf(ui().ComboBox1), QStringList({"X"}));
}

void WindowTest::ackIndicator_data() {
    QTest::addColumn<bool>("dataMode");
    QTest::addColumn<bool>("channelOpen");
    QTest::addColumn<uint>("modemStatus");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("command, closed") << false << false << 0u << "Not Avail" << Black;
    QTest::newRow("data, closed") << true << false << 0u << "Not AVAIL" << Black;
    QTest::newRow("command, DSR clear") << false << true << 0u << "ACK" << Green;
    QTest::newRow("command, DSR set") << false << true << 0x20u << "NoACK" << Red;
    QTest::newRow("data, DSR set") << true << true << 0x20u << "ACK" << Green;
    QTest::newRow("data, DSR clear") << true << true << 0x10u << "NoACK" << Red;
    QTest::newRow("data, DSR and CTS") << true << true << 0x30u << "ACK" << Green;
}

void WindowTest::ackIndicator() {
    QFETCH(bool, dataMode);
    QFETCH(bool, channelOpen);
    QFETCH(uint, modemStatus);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    QVERIFY(fixture->pickBoard(QStringLiteral("X")));
    backend->setModemStatus("X A", modemStatus);
    if (channelOpen) {
        openChannelA();
    }
    QTest::mouseClick(dataMode ? ui().RadioButton4 : ui().RadioButton3, Qt::LeftButton);
    window->RefreshStatus();
    QCOMPARE(ui().Label12->text(), text);
    QCOMPARE(textColour(ui().Label12), colour);
    QCOMPARE(ui().Label7->text(), dataMode ? QStringLiteral("Data") : QStringLiteral("Command"));
    QCOMPARE(window->ModeState, dataMode ? 1 : 0);
    QVERIFY(fixture->dialogs.errors.isEmpty());
}

void WindowTest::failedModemQueryIsReported() {
    QVERIFY(fixture->pickBoard(QStringLiteral("X")));
    openChannelA();
    backend->fail("modemStatus", hx::IoError);
    window->RefreshStatus();
    QCOMPARE(fixture->dialogs.errors,
             QStringList({QStringLiteral("HX_GetModemStatus - General IO Error...")}));
    // Nothing was read: the last status (0) stands, which command mode reads
    // as the board agreeing.
    QCOMPARE(ui().Label12->text(), QStringLiteral("ACK"));
}

void WindowTest::boardAndInterfaceIndicators_data() {
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("rts");
    QTest::addColumn<bool>("channelOpen");
    QTest::addColumn<QString>("boardText");
    QTest::addColumn<QColor>("boardColour");
    QTest::addColumn<QString>("interfaceText");
    QTest::addColumn<QColor>("interfaceColour");
    QTest::newRow("reset, closed") << "RadioButton1"
                                   << "RadioButton5" << false << "Reset" << Red << "Closed" << Red;
    QTest::newRow("running, RTS on")
        << "RadioButton2"
        << "RadioButton5" << true << "Running" << Green << "Enabled" << Green;
    QTest::newRow("suspended, RTS off")
        << "RadioButton7"
        << "RadioButton6" << true << "Suspend" << Red << "Disabled" << Red;
    QTest::newRow("suspended, closed")
        << "RadioButton7"
        << "RadioButton6" << false << "Suspend" << Red << "Closed" << Red;
}

void WindowTest::boardAndInterfaceIndicators() {
    QFETCH(QString, board);
    QFETCH(QString, rts);
    QFETCH(bool, channelOpen);
    QFETCH(QString, boardText);
    QFETCH(QColor, boardColour);
    QFETCH(QString, interfaceText);
    QFETCH(QColor, interfaceColour);
    QVERIFY(fixture->pickBoard(QStringLiteral("X")));
    if (channelOpen) {
        openChannelA();
    }
    QTest::mouseClick(window->findChild<QRadioButton*>(board), Qt::LeftButton);
    QTest::mouseClick(window->findChild<QRadioButton*>(rts), Qt::LeftButton);
    window->RefreshStatus();
    QCOMPARE(ui().Label9->text(), boardText);
    QCOMPARE(textColour(ui().Label9), boardColour);
    QCOMPARE(ui().Label11->text(), interfaceText);
    QCOMPARE(textColour(ui().Label11), interfaceColour);
}

void WindowTest::pageShowNotices_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<ModeFlags>("flags");
    QTest::addColumn<QStringList>("notices");
    const QString closeTerminal = "You must close Terminal Mode before programming.";
    const QString closeSpy = "You must close Spy Mode before programming.";
    const QString waitProgramming = "You must wait for programming to finish.";
    const QString spyBeforeTerminal = "You must close Spy Mode before entering terminal mode.";
    const QString terminalBeforeSpy = "You must close Terminal Mode before entering Spy mode.";
    ModeFlags terminal;
    terminal.TerminalOpen = true;
    ModeFlags spy;
    spy.SpyOpen = true;
    ModeFlags programming;
    programming.ProgrammingBusy = true;
    ModeFlags all;
    all.TerminalOpen = all.SpyOpen = all.ProgrammingBusy = true;

    QTest::newRow("programmer, idle") << 0 << ModeFlags{} << QStringList{};
    QTest::newRow("programmer, terminal") << 0 << terminal << QStringList{closeTerminal};
    QTest::newRow("programmer, spy") << 0 << spy << QStringList{closeSpy};
    QTest::newRow("programmer, both") << 0 << all << QStringList{closeTerminal, closeSpy};
    QTest::newRow("terminal, programming") << 1 << programming << QStringList{waitProgramming};
    QTest::newRow("terminal, spy") << 1 << spy << QStringList{spyBeforeTerminal};
    QTest::newRow("terminal, own mode") << 1 << terminal << QStringList{};
    QTest::newRow("terminal, both") << 1 << all << QStringList{waitProgramming, spyBeforeTerminal};
    QTest::newRow("spy, programming") << 2 << programming << QStringList{waitProgramming};
    QTest::newRow("spy, terminal") << 2 << terminal << QStringList{terminalBeforeSpy};
    QTest::newRow("spy, both: programming wins") << 2 << all << QStringList{waitProgramming};
    QTest::newRow("spy, own mode") << 2 << spy << QStringList{};
}

void WindowTest::pageShowNotices() {
    QFETCH(int, page);
    QFETCH(ModeFlags, flags);
    QFETCH(QStringList, notices);
    // Start from another page so that the switch is a real change.
    ui().PageControl1->setCurrentIndex(page == 0 ? 2 : 0);
    fixture->dialogs.clear();
    window->flags() = flags;
    ui().PageControl1->setCurrentIndex(page);
    QCOMPARE(fixture->dialogs.informations, notices);
    QCOMPARE(ui().PageControl1->currentIndex(), page);
}

void WindowTest::closingStopsLoopsAndClosesBothChannels() {
    DeviceLink& link = window->link();
    openChannelA();
    QVERIFY(link.FindAndOpenChannel(QStringLiteral("X B")));
    link.HandleB = link.CurrentHandle;
    link.ChannelBOpen = true;
    QCOMPARE(backend->openChannelCount(), 2);
    backend->clearLog();

    QVERIFY(window->close());

    QVERIFY(window->flags().TerminalStop);
    QVERIFY(window->flags().SpyStop);
    QVERIFY(!link.ChannelAOpen);
    QVERIFY(!link.ChannelBOpen);
    QCOMPARE(backend->openChannelCount(), 0);
    QCOMPARE(backend->calls().filter(QStringLiteral("close")).size(), 2);
    QVERIFY(fixture->dialogs.errors.isEmpty());
}

void WindowTest::terminalLogAddsLines() {
    window->TerminalLog(QStringLiteral("Opened OK"));
    window->TerminalLog(QStringLiteral("ERROR : You must select a device"));
    QCOMPARE(ui().Memo2->toPlainText(),
             QStringLiteral("Opened OK\nERROR : You must select a device\n"));
}

void WindowTest::dialogFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("dialogFilter");
    QTest::newRow("ROM images") << "*.ROM|*.ROM|Any File (*.*)|*.*"
                                << "*.ROM (*.ROM);;Any File (*)";
    QTest::newRow("any file") << "*.*|*.*"
                              << "*.* (*)";
    QTest::newRow("none") << ""
                          << "";
    QTest::newRow("several patterns") << "Images|*.ROM;*.BIN"
                                      << "Images (*.ROM *.BIN)";
    QTest::newRow("dangling description") << "Text|*.TXT|Broken"
                                          << "Text (*.TXT)";
}

void WindowTest::dialogFilters() {
    QFETCH(QString, filter);
    QFETCH(QString, dialogFilter);
    QCOMPARE(ToDialogFilter(filter), dialogFilter);
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
