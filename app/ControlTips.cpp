#include "ControlTips.h"

#include <QEvent>
#include <QTabWidget>
#include <QWidget>
#include <iterator>
#include <optional>

namespace {

// Whose control it is: a running mode switches the other modes' controls off,
// and its own follow what it is doing.
enum class Owner { Window, PortChooser, Programmer, Terminal, Spy };

struct Tip {
    const char* control;
    Owner owner;
    const char* purpose;
    // Why the control is off when no running mode and no missing board
    // explains it: while its own mode is idle, and while it runs.
    const char* offWhileIdle = nullptr;
    const char* offWhileRunning = nullptr;
};

const char* const OpenTerminalFirst = "Open the terminal first.";

// clang-format off
const Tip Tips[] = {
    {"ComboBox1", Owner::PortChooser, "The board to work with. Opening the list looks for attached "
        "boards again; choosing one switches the controls of the three modes on."},
    {"Label1", Owner::Window, "Choose the board to work with in the list beside."},

    {"TabSheet1", Owner::Window, "Write a ROM image into the chip's flash."},
    {"Memo1", Owner::Window, "Messages of Programmer Mode, and the terminal's recalled lines."},
    {"Label2", Owner::Programmer, "The ROM image to write into the chip's flash."},
    {"Edit1", Owner::Programmer, "The ROM image file to write into the chip's flash, at most "
        "64 KiB: type its path, or pick it with Select File."},
    {"Button1", Owner::Programmer, "Pick the ROM image file to program."},
    {"Button2", Owner::Programmer, "Write the ROM image into the chip's flash through its boot "
        "loader; the chip is then held in reset."},
    {"ProgressBar1", Owner::Window, "How much of the image has been written."},

    {"TabSheet2", Owner::Window, "Talk to the chip's monitor, control the board and copy files."},
    {"Label4", Owner::Window, "The terminal's text pane below."},
    {"Memo2", Owner::Window, "What the board sends, as text. While the terminal is open, type a "
        "monitor command here and press Enter to send it."},
    {"Label5", Owner::Window, "The terminal's hexadecimal pane below."},
    {"Memo3", Owner::Window, "What the board sends, in hexadecimal."},
    {"Label6", Owner::Window, "Command or data mode."},
    {"Label7", Owner::Window, "Command or data mode, as chosen on the Mode page."},
    {"Label8", Owner::Window, "The chip's state."},
    {"Label9", Owner::Window, "The chip: held in reset, running, or its monitor suspended; "
        "unknown once the board has gone away."},
    {"Label10", Owner::Window, "The data link."},
    {"Label11", Owner::Window, "The data link: closed, open with the RTS line raised "
        "(enabled) or lowered (disabled), or lost with the board until it comes back."},
    {"Label12", Owner::Window, "ACK when the board's DSR line answers the chosen mode (clear in "
        "command mode, set in data mode), NoACK when it does not; not available while the link "
        "is closed."},

    {"TabSheet4", Owner::Window, "The link's baud rate."},
    {"Label3", Owner::Terminal, "The link's baud rate."},
    {"ComboBox2", Owner::Terminal, "The link's baud rate: pick it or type it. Open starts the "
        "link at it; while the terminal is open, Set moves both ends to it."},
    {"Button3", Owner::Terminal, "Move the board and this computer to the chosen baud rate "
        "(the terminal must be open)."},

    {"TabSheet5", Owner::Window, "Open and close the terminal; the chip's reset and run lines, "
        "its monitor's suspend and resume, command or data mode, and RTS."},
    {"RadioButton1", Owner::Terminal, "Hold the chip in reset."},
    {"RadioButton2", Owner::Terminal, "Let the chip run."},
    {"RadioButton7", Owner::Terminal, "Suspend the chip's monitor.", OpenTerminalFirst,
        "The monitor is suspended: Resume lets it go on."},
    {"Button4", Owner::Terminal, "Let the suspended monitor go on.", OpenTerminalFirst,
        "The monitor is not suspended."},
    {"RadioButton3", Owner::Terminal, "Command mode: the monitor takes what is typed as "
        "commands."},
    {"RadioButton4", Owner::Terminal, "Data mode: what is typed goes to the chip as data."},
    {"RadioButton5", Owner::Terminal, "Raise the RTS line: the board may send."},
    {"RadioButton6", Owner::Terminal, "Lower the RTS line: the board holds back what it sends."},
    {"Button6", Owner::Terminal, "Open the terminal on the chosen board at the chosen baud rate; "
        "the chip runs, and what it sends shows in the panes.", nullptr,
        "The terminal is open already."},
    {"Button7", Owner::Terminal, "Close the terminal.", OpenTerminalFirst},

    {"TabSheet6", Owner::Window, "Copy files between this computer and the disk on the board."},
    {"GroupBox1", Owner::Terminal, "Copy a file from this computer to the disk on the board.",
        OpenTerminalFirst},
    {"Button5", Owner::Terminal, "Pick a file and copy it to the disk on the board with OPW and "
        "WRF. While the copy runs, this button cancels it.", OpenTerminalFirst},
    {"Label13", Owner::Terminal, "The bytes each WRF command carries, unless Use File Size is "
        "checked.", OpenTerminalFirst},
    {"Edit2", Owner::Terminal, "The bytes each WRF command carries, 1 to 4096, unless Use File "
        "Size is checked.", OpenTerminalFirst},
    {"CheckBox1", Owner::Terminal, "Write the whole file with one WRF command.",
        OpenTerminalFirst},
    {"GroupBox2", Owner::Terminal, "Copy a file from the disk on the board to this computer. "
        "The file on the disk is the one named as the file saved here.", OpenTerminalFirst},
    {"Button8", Owner::Terminal, "Copy a file from the disk on the board with one RD command. "
        "While the copy runs, this button cancels it.", OpenTerminalFirst},
    {"Button9", Owner::Terminal, "Copy a file from the disk on the board with OPR and RDF. While "
        "the copy runs, this button cancels it.", OpenTerminalFirst},
    {"Label14", Owner::Terminal, "The bytes each RDF command asks for, unless Use File Size is "
        "checked.", OpenTerminalFirst},
    {"Edit3", Owner::Terminal, "The bytes each RDF command asks for, unless Use File Size is "
        "checked.", OpenTerminalFirst},
    {"CheckBox2", Owner::Terminal, "Read the whole file with one RDF command.",
        OpenTerminalFirst},

    {"TabSheet7", Owner::Window, "Send or receive a file's raw bytes over the link."},
    {"Button13", Owner::Terminal, "Send a file's bytes over the link unchanged, for a program on "
        "the chip to read (the terminal must be open). While the send runs, this button cancels "
        "it."},
    {"Button14", Owner::Terminal, "Save every byte the chip sends over the link into a file, "
        "until this button, which then reads Close File, is pressed again (the terminal must "
        "be open)."},
    {"ProgressBar2", Owner::Terminal, "How much of the file has been sent."},
    {"Label20", Owner::Terminal, "The last send's throughput."},
    {"Label22", Owner::Terminal, "The last send's throughput, in bytes a second."},
    {"Label21", Owner::Terminal, "What the raw send or receive is doing."},
    {"Label23", Owner::Terminal, "What the raw send or receive is doing."},

    {"TabSheet3", Owner::Window, "Listen to the link between the chip and the host that drives "
        "it, without sending anything."},
    {"Label16", Owner::Window, "Both directions of the link as text, below."},
    {"Label17", Owner::Window, "Both directions of the link in hexadecimal, below."},
    {"Label18", Owner::Window, "What the chip transmits shows in blue."},
    {"Label19", Owner::Window, "What the chip receives shows in red."},
    {"RichEdit1", Owner::Window, "Both directions of the link as text, in their colours."},
    {"RichEdit2", Owner::Window, "Both directions of the link in hexadecimal, in their colours, "
        "with the monitor commands and answers named in green when Track Commands is checked."},
    {"Button10", Owner::Spy, "Start listening to the chosen board's link.", nullptr,
        "A capture is running already."},
    {"Button11", Owner::Spy, "Stop listening.", "No capture is running: Open Spy starts one."},
    {"Label15", Owner::Spy, "The baud rate of the link listened to."},
    {"ComboBox3", Owner::Spy, "The baud rate of the link listened to: pick it or type it. Open "
        "Spy listens at it; during a capture, Set moves to it."},
    {"Button12", Owner::Spy, "Listen at the chosen baud rate from now on."},
    {"Button15", Owner::Spy, "Empty both panes."},
    {"CheckBox4", Owner::Spy, "Name the monitor commands and answers seen on the link, and "
        "follow the link when it changes command set, number input or baud rate."},
    {"CheckBox3", Owner::Spy, "Begin each line with the milliseconds since the capture "
        "started."},
    {"RadioButton8", Owner::Spy, "The commands seen are in the monitor's extended command set."},
    {"RadioButton9", Owner::Spy, "The commands seen are in the monitor's short command set."},
    {"RadioButton10", Owner::Spy, "Numbers in the commands seen are in hexadecimal."},
    {"RadioButton11", Owner::Spy, "Numbers in the commands seen are in ASCII."},
};
// clang-format on

QString reasonOff(const Tip& tip, const WindowActivity& now) {
    if (tip.owner == Owner::Window) {
        return {};
    }
    if (now.programming) {
        return QStringLiteral("Programming is running: wait for it to finish.");
    }
    if (now.terminalOpen && tip.owner != Owner::Terminal) {
        return QStringLiteral("Terminal Mode is running: close it first.");
    }
    if (now.spyRunning && tip.owner != Owner::Spy) {
        return QStringLiteral("Spy Mode is running: close it first.");
    }
    if (now.transferRunning) {
        return QStringLiteral("A file transfer is running: wait for it to end, or cancel it.");
    }
    if (!now.boardChosen) {
        return QStringLiteral("Choose a board in the port list first.");
    }
    const bool ownModeRuns = (tip.owner == Owner::Terminal && now.terminalOpen) ||
                             (tip.owner == Owner::Spy && now.spyRunning);
    const char* own = ownModeRuns ? tip.offWhileRunning : tip.offWhileIdle;
    return own == nullptr ? QString() : QString::fromUtf8(own);
}

std::optional<std::size_t> tipIndex(const QString& control) {
    for (std::size_t i = 0; i < std::size(Tips); ++i) {
        if (control == QLatin1String(Tips[i].control)) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace

ControlTips::ControlTips(QWidget& window, ActivityReader activity) : activity(std::move(activity)) {
    // A page is pointed at by its tab.
    QList<QWidget*> pages;
    for (QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            pages << tabs->widget(i);
            if (const auto index = tipIndex(tabs->widget(i)->objectName())) {
                tabs->setTabToolTip(i, QString::fromUtf8(Tips[*index].purpose));
            }
        }
    }
    for (QWidget* control : window.findChildren<QWidget*>()) {
        const auto index = tipIndex(control->objectName());
        if (index && !pages.contains(control)) {
            controls.emplace_back(control, *index);
            control->installEventFilter(this);
        }
    }
    refresh();
}

bool ControlTips::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        refreshLater();
    }
    return QObject::eventFilter(watched, event);
}

void ControlTips::refreshLater() {
    if (refreshPending) {
        return;
    }
    refreshPending = true;
    QMetaObject::invokeMethod(
        this, [this] { refresh(); }, Qt::QueuedConnection);
}

void ControlTips::refresh() {
    refreshPending = false;
    const WindowActivity now = activity();
    for (const auto& [control, index] : controls) {
        const Tip& tip = Tips[index];
        QString text = QString::fromUtf8(tip.purpose);
        if (!control->isEnabled()) {
            const QString reason = reasonOff(tip, now);
            if (!reason.isEmpty()) {
                text += QLatin1Char('\n') + reason;
            }
        }
        if (control->toolTip() != text) {
            control->setToolTip(text);
        }
    }
}
