// The ASCII pane's keyboard: every key typed into Memo2 reaches the terminal
// keyboard before the pane's own editing shows it.
#include <QEvent>
#include <QKeyEvent>

#include "AppendingPane.h"
#include "Form1Ui.h"
#include "ModeLoop.h"
#include "PaneWriter.h"
#include "SlaveFileIo.h"
#include "TForm1.h"
#include "TerminalDisplay.h"
#include "TerminalKeyboard.h"

namespace {

// Ctrl+Space and Ctrl+@ give the recall key; the pane never shows it.
bool isRecallKey(const QKeyEvent& event) {
    const bool control = event.modifiers().testFlag(Qt::ControlModifier);
    return control && (event.key() == Qt::Key_Space || event.key() == Qt::Key_At);
}

// The bytes a key types. Keys that only move or edit in the pane (arrows,
// Delete) type none; characters beyond Latin-1 have no byte on the link and
// stay in the pane only.
QByteArray typedBytes(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return QByteArray(1, TerminalKeyboard::EnterKey);
        case Qt::Key_Backspace:
            return QByteArray(1, TerminalKeyboard::BackspaceKey);
        case Qt::Key_Delete:
            return {};
        default:
            break;
    }
    QByteArray bytes;
    for (QChar character : event.text()) {
        if (character.unicode() <= 0xFF) {
            bytes.append(static_cast<char>(character.unicode()));
        }
    }
    return bytes;
}

class Memo2KeyFilter : public QObject {
  public:
    Memo2KeyFilter(TForm1& window, TerminalDisplay& display)
        : QObject(nullptr), window(window), display(display) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return QObject::eventFilter(watched, event);
        }
        // Lines received before the key go into the pane before the key does.
        display.flush();
        return handleKey(static_cast<QKeyEvent&>(*event));
    }

  private:
    bool handleKey(const QKeyEvent& event) {
        if (isRecallKey(event)) {
            char key = TerminalKeyboard::RecallKey;
            window.Memo2KeyPress(key);
            return true;
        }
        for (char byte : typedBytes(event)) {
            window.Memo2KeyPress(byte);
        }
        return false;
    }

    TForm1& window;
    TerminalDisplay& display;
};

}  // namespace

void TForm1::connectKeyboardHandlers() {
    memo2Writer = std::make_unique<PaneWriter>(*ui->Memo2, windowClock);
    memo3Writer =
        std::make_unique<PaneWriter>(*ui->Memo3, windowClock, TerminalDisplay::HexPaneLineLimit);
    recallPane = std::make_unique<AppendingPane>(*ui->Memo1);
    terminalDisplay = std::make_unique<TerminalDisplay>(*memo2Writer, *memo3Writer);
    terminalLoop =
        std::make_unique<ModeLoop>(windowClock, [this] { terminalDisplay->flushIfDue(); });
    terminalKeyboard =
        std::make_unique<TerminalKeyboard>(*deviceLink, *terminalDisplay, *recallPane);
    memo2KeyFilter = std::make_unique<Memo2KeyFilter>(*this, *terminalDisplay);
    ui->Memo2->installEventFilter(memo2KeyFilter.get());
}

void TForm1::setTerminalTap(TerminalTap* tap) {
    terminalDisplay->setTap(tap);
}

// While a transfer writes on channel A, it carries the transfer's commands
// and data only: a typed key would land in the middle of them. A slave
// receive writes nothing there, and the user may ask the chip for the very
// data it captures.
void TForm1::Memo2KeyPress(char& key) {
    if (modeFlags.TransferBusy && !slaveFileIo->typedKeysReachTheChip()) {
        return;
    }
    terminalKeyboard->Memo2KeyPress(key);
}
