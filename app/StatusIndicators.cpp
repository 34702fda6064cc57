// The terminal's indicator row: what the mode, board and interface radio
// buttons ask for, and whether the board's DSR line agrees with the mode.
#include <QColor>
#include <QPalette>

#include "DeviceLink.h"
#include "Form1Ui.h"
#include "HxTypes.h"
#include "StatusRelay.h"
#include "TForm1.h"
#include "TerminalConnection.h"

namespace {

const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);
const QColor Black(0, 0, 0);

void paint(QLabel* label, const QString& text, const QColor& colour) {
    label->setText(text);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

// DSR answers DTR: the board drops it in command mode and raises it in data
// mode, so "ACK" means the board has followed the requested mode.
void TForm1::RefreshStatus() {
    Ui::Form1& f = *ui;
    const bool commandMode = f.RadioButton3->isChecked();
    ModeState = commandMode ? CommandModeState : DataModeState;
    // A board that has gone away is not asked for its lines, and its last
    // states are not shown as if they still held.
    const bool lost = terminalConnection && terminalConnection->linkLost();
    if (deviceLink->ChannelAOpen && !lost) {
        deviceLink->FetchModemStatus();
        const bool dsr = (deviceLink->ModemStatus & hx::ModemStatusDsr) != 0;
        f.Label12->setText(dsr != commandMode ? QStringLiteral("ACK") : QStringLiteral("NoACK"));
    } else {
        f.Label12->setText(commandMode ? QStringLiteral("Not Avail") : QStringLiteral("Not AVAIL"));
    }
    BoardState = lost                          ? BoardUnknown
                 : f.RadioButton1->isChecked() ? BoardInReset
                 : f.RadioButton2->isChecked() ? BoardRunning
                                               : BoardSuspended;
    InterfaceState = lost                          ? InterfaceLost
                     : !deviceLink->ChannelAOpen   ? InterfaceClosed
                     : f.RadioButton5->isChecked() ? InterfaceRtsEnabled
                                                   : InterfaceRtsDisabled;
    PaintStatusLabels();
    statusRelay->linkChanged();
}

LinkStatus TForm1::linkStatus() const {
    const Ui::Form1& f = *ui;
    LinkStatus status;
    status.board = f.ComboBox1->currentText();
    status.open = deviceLink->ChannelAOpen;
    status.baudRate =
        status.open ? QString::number(deviceLink->BaudRate) : f.ComboBox2->currentText();
    status.mode = modeFlags.ProgrammingBusy ? QStringLiteral("Programmer Mode")
                  : modeFlags.TerminalOpen  ? QStringLiteral("Terminal Mode")
                  : modeFlags.SpyOpen       ? QStringLiteral("Spy Mode")
                                            : QString();
    // The indicators are the terminal's: another mode's run leaves them stale.
    if (modeFlags.ProgrammingBusy || modeFlags.SpyOpen) {
        return status;
    }
    status.commandOrData = f.Label7->text();
    status.chip = f.Label9->text();
    status.interfaceState = f.Label11->text();
    status.acknowledge = f.Label12->text();
    return status;
}

void TForm1::PaintStatusLabels() {
    Ui::Form1& f = *ui;
    f.Label7->setText(ModeState == CommandModeState ? QStringLiteral("Command")
                                                    : QStringLiteral("Data"));

    if (BoardState == BoardUnknown) {
        paint(f.Label9, QStringLiteral("Unknown"), Red);
    } else if (BoardState == BoardInReset) {
        paint(f.Label9, QStringLiteral("Reset"), Red);
    } else if (BoardState == BoardSuspended) {
        paint(f.Label9, QStringLiteral("Suspend"), Red);
    } else {
        paint(f.Label9, QStringLiteral("Running"), Green);
    }

    if (InterfaceState == InterfaceLost) {
        paint(f.Label11, QStringLiteral("Lost"), Red);
    } else if (InterfaceState == InterfaceClosed) {
        paint(f.Label11, QStringLiteral("Closed"), Red);
    } else if (InterfaceState == InterfaceRtsEnabled) {
        paint(f.Label11, QStringLiteral("Enabled"), Green);
    } else {
        paint(f.Label11, QStringLiteral("Disabled"), Red);
    }

    const QString ack = f.Label12->text();
    const QColor ackColour = ack == QLatin1String("ACK")     ? Green
                             : ack == QLatin1String("NoACK") ? Red
                                                             : Black;
    paint(f.Label12, ack, ackColour);

    // A polling loop keeps the window busy; the indicators must change anyway.
    f.Label9->repaint();
    f.Label11->repaint();
}
