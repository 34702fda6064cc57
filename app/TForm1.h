#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "ControlGroups.h"
#include "ModeFlags.h"
#include "StatusReporter.h"

class Clock;
class Dialogs;
class AppendingPane;
class DeviceLink;
class PaneWriter;
class TerminalPageView;
class ModeLoop;
class QCloseEvent;
class Programmer;
class ProgrammerPageView;
class TerminalConnection;
class TerminalDisplay;
class TerminalKeyboard;
class TransferChannel;
class DiskTransfer;
class SlaveFileIo;
class PaneWriter;
class SpyCapture;
class SpyPageView;
class ControlTips;
struct WindowActivity;
class PaneLines;
class PaneTee;
class StatusRelay;
class TerminalTap;

namespace Ui {
class Form1;
}

// The program's one window: the port chooser, the three mode pages, the mode
// flags and control groups that keep the modes apart, and the terminal's
// status indicators. Each mode's handlers are thin slots that live in the
// mode's own file (Form1Programmer.cpp, Form1Terminal.cpp, ...) and call the
// mode object, which was given its page's view, its panes' writers and the
// link when the window built it; no mode object sees a widget.
class TForm1 : public QWidget, public ControlGroups {
    Q_OBJECT

  public:
    TForm1(Clock& clock, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    DeviceLink& link() { return *deviceLink; }
    ModeFlags& flags() { return modeFlags; }
    Clock& clock() { return windowClock; }
    Dialogs& dialogs() { return windowDialogs; }
    // The generated widgets; include Form1Ui.h to use them.
    Ui::Form1& form() { return *ui; }
    const Ui::Form1& form() const { return *ui; }
    SpyCapture& spy() { return *spyCapture; }

    void DisableProgrammerControls() override;
    void EnableProgrammerControls() override;
    void DisableTerminalControls() override;
    void EnableTerminalControls() override;
    void DisableSpyControls() override;
    void EnableSpyControls() override;

    void TerminalLog(const QString& text);
    void RefreshStatus();
    void RefreshSpyOptions();
    void PaintStatusLabels();
    void FillPortList();
    // Switches the three groups on when a board is named in the port chooser
    // and off when it is empty, unless a mode is running: the running mode
    // owns the groups then.
    void applyPortGroupRule();

    // What the main window around the form adds: its status bar, and its
    // logs, which follow the terminal's traffic and take copies of the spy
    // panes' lines. Each is null while there is none, as for a form alone.
    void setStatusReporter(StatusReporter* reporter);
    void setTerminalTap(TerminalTap* tap);
    void copySpyPanes(PaneLines* ascii, PaneLines* hex);
    LinkStatus linkStatus() const;

    // Indicator states, recomputed by RefreshStatus, with what they hold.
    static constexpr std::uint8_t CommandModeState = 0;
    static constexpr std::uint8_t DataModeState = 1;
    static constexpr std::uint8_t BoardInReset = 0;
    static constexpr std::uint8_t BoardRunning = 1;
    static constexpr std::uint8_t BoardSuspended = 2;
    // The board went away under the open terminal: its state is not known.
    static constexpr std::uint8_t BoardUnknown = 3;
    static constexpr std::uint8_t InterfaceClosed = 0;
    static constexpr std::uint8_t InterfaceRtsEnabled = 1;
    static constexpr std::uint8_t InterfaceRtsDisabled = 2;
    static constexpr std::uint8_t InterfaceLost = 3;
    std::uint8_t ModeState = CommandModeState;
    std::uint8_t BoardState = BoardInReset;
    std::uint8_t InterfaceState = InterfaceClosed;

  public slots:
    void FormCreate();
    void FormClose();
    void ComboBox1DropDown();
    void ComboBox1Change();
    void TabSheet1Show();
    void TabSheet2Show();
    void TabSheet3Show();

    // Programmer Mode handlers (Form1Programmer.cpp).
    void Button1Click();
    void Button2Click();

    // Terminal Mode handlers (Form1Terminal.cpp).
    void Button6Click();
    void Button7Click();
    void Button3Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton7Click();
    void Button4Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void RadioButton5Click();
    void RadioButton6Click();
    // The ASCII pane's key handler (Form1Keyboard.cpp).
    void Memo2KeyPress(char& key);

    // Disk Transfer and Slave File I/O handlers (Form1Transfer.cpp).
    void Button5Click();
    void Button8Click();
    void Button9Click();
    void Button13Click();
    void Button14Click();

    // Spy Mode handlers (Form1Spy.cpp).
    void Button10Click();
    void Button11Click();
    void Button12Click();
    void Button15Click();
    void CheckBox4Click();
    void RadioButton8Click();
    void RadioButton9Click();
    void RadioButton10Click();
    void RadioButton11Click();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void collectControlGroups();
    void connectWindowHandlers();
    void connectProgrammerHandlers();
    // Before the terminal connection: it shows its bytes in the display.
    void connectKeyboardHandlers();
    void connectTerminalHandlers();
    void connectTransferHandlers();
    void connectSpyHandlers();
    void substituteWindowFont();
    void applyPaneFonts();
    void fitTabBars();
    void fitIndicatorRow();
    void pageShown(int index);
    void informIf(bool condition, const QString& text);
    WindowActivity activity() const;

    Clock& windowClock;
    Dialogs& windowDialogs;
    std::unique_ptr<Ui::Form1> ui;
    // Made before the page views, which report through it.
    std::unique_ptr<StatusRelay> statusRelay;
    // Heap-held: the link's fixed buffers are far too large for the stack.
    std::unique_ptr<DeviceLink> deviceLink;
    ModeFlags modeFlags;

    std::vector<QWidget*> programmerControls;
    std::vector<QWidget*> terminalControls;
    std::vector<QWidget*> spyControls;

    // Mode objects.
    std::unique_ptr<ProgrammerPageView> programmerView;
    std::unique_ptr<Programmer> programmer;
    // The Terminal Mode page's panes and view, made before the terminal's
    // mode objects that write to them.
    std::unique_ptr<PaneWriter> memo2Writer;
    std::unique_ptr<PaneWriter> memo3Writer;
    std::unique_ptr<AppendingPane> recallPane;
    std::unique_ptr<TerminalPageView> terminalPageView;
    std::unique_ptr<TerminalDisplay> terminalDisplay;
    // The terminal's loop, which the transfers inside it run on too.
    std::unique_ptr<ModeLoop> terminalLoop;
    std::unique_ptr<TerminalKeyboard> terminalKeyboard;
    std::unique_ptr<TerminalConnection> terminalConnection;
    std::unique_ptr<TransferChannel> transferChannel;
    std::unique_ptr<DiskTransfer> diskTransfer;
    std::unique_ptr<SlaveFileIo> slaveFileIo;
    // The Spy Mode page's controls and panes (RichEdit1, RichEdit2) as the
    // capture reaches them.
    std::unique_ptr<SpyPageView> spyView;
    std::unique_ptr<PaneWriter> spyAsciiPane;
    std::unique_ptr<PaneWriter> spyHexPane;
    std::unique_ptr<PaneTee> spyAsciiTee;
    std::unique_ptr<PaneTee> spyHexTee;
    std::unique_ptr<SpyCapture> spyCapture;
    std::unique_ptr<QObject> memo2KeyFilter;
    // Last: it watches the controls, and goes before they do.
    std::unique_ptr<ControlTips> controlTips;
};
