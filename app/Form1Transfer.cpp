// The Terminal Mode page's "Disk Transfer" and "Slave File I/O" handlers:
// thin slots over the disk transfer and the slave file operations.
#include <QPushButton>

#include "DiskTransfer.h"
#include "Form1Ui.h"
#include "SlaveFileIo.h"
#include "TForm1.h"
#include "TerminalConnection.h"
#include "TerminalPageView.h"
#include "TransferChannel.h"

void TForm1::connectTransferHandlers() {
    Ui::Form1& f = *ui;
    transferChannel =
        std::make_unique<TransferChannel>(*deviceLink, *terminalDisplay, modeFlags, *terminalLoop);
    const TransferServices services{*deviceLink,   modeFlags,   *transferChannel, *terminalDisplay,
                                    windowDialogs, windowClock, *terminalPageView};
    diskTransfer = std::make_unique<DiskTransfer>(
        services, [this] { return terminalConnection->restartMonitor(); });
    slaveFileIo = std::make_unique<SlaveFileIo>(services);

    connect(f.Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    connect(f.Button8, &QPushButton::clicked, this, &TForm1::Button8Click);
    connect(f.Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
    connect(f.Button13, &QPushButton::clicked, this, &TForm1::Button13Click);
    connect(f.Button14, &QPushButton::clicked, this, &TForm1::Button14Click);
}

void TForm1::Button5Click() {
    diskTransfer->Button5Click();
}

void TForm1::Button8Click() {
    diskTransfer->Button8Click();
}

void TForm1::Button9Click() {
    diskTransfer->Button9Click();
}

void TForm1::Button13Click() {
    slaveFileIo->Button13Click();
}

void TForm1::Button14Click() {
    slaveFileIo->Button14Click();
}
