// The Terminal Mode page's "RS232 Setup" and "Mode" handlers: thin slots over
// the terminal connection.
#include <QPushButton>
#include <QRadioButton>

#include "Form1Ui.h"
#include "StatusRelay.h"
#include "TForm1.h"
#include "TerminalConnection.h"
#include "TerminalPageView.h"

void TForm1::connectTerminalHandlers() {
    Ui::Form1& f = *ui;
    terminalPageView = std::make_unique<TerminalPageView>(f, terminalControls, *statusRelay);
    TerminalConnection::Services services{
        *deviceLink, modeFlags, *this, *terminalDisplay, windowClock, *terminalLoop, [this] {
            RefreshStatus();
        }};
    terminalConnection =
        std::make_unique<TerminalConnection>(std::move(services), *terminalPageView);

    connect(f.Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    connect(f.Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
    connect(f.Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(f.Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    // A radio button's handler runs when it becomes selected, by the user or
    // from code, and not again when it already was.
    const auto onSelected = [this](QRadioButton* button, void (TForm1::*handler)()) {
        connect(button, &QRadioButton::toggled, this, [this, handler](bool checked) {
            if (checked) {
                (this->*handler)();
            }
        });
    };
    onSelected(f.RadioButton1, &TForm1::RadioButton1Click);
    onSelected(f.RadioButton2, &TForm1::RadioButton2Click);
    onSelected(f.RadioButton3, &TForm1::RadioButton3Click);
    onSelected(f.RadioButton4, &TForm1::RadioButton4Click);
    onSelected(f.RadioButton5, &TForm1::RadioButton5Click);
    onSelected(f.RadioButton6, &TForm1::RadioButton6Click);
    onSelected(f.RadioButton7, &TForm1::RadioButton7Click);
}

void TForm1::Button6Click() {
    terminalConnection->open();
}

void TForm1::Button7Click() {
    terminalConnection->close();
}

void TForm1::Button3Click() {
    terminalConnection->set();
}

void TForm1::RadioButton1Click() {
    terminalConnection->resetChip();
}

void TForm1::RadioButton2Click() {
    terminalConnection->runChip();
}

void TForm1::RadioButton7Click() {
    terminalConnection->suspend();
}

void TForm1::Button4Click() {
    terminalConnection->resume();
}

void TForm1::RadioButton3Click() {
    terminalConnection->commandMode();
}

void TForm1::RadioButton4Click() {
    terminalConnection->dataMode();
}

void TForm1::RadioButton5Click() {
    terminalConnection->enableRts();
}

void TForm1::RadioButton6Click() {
    terminalConnection->disableRts();
}
