#include "MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QStatusBar>

#include "ButtonAction.h"
#include "Dialogs.h"
#include "Form1Ui.h"
#include "RemoteBoardList.h"
#include "RemoteBoardsDialog.h"
#include "StatusLine.h"
#include "TForm1.h"
#include "WindowLogs.h"

MainWindow::MainWindow(TForm1& form, Dialogs& dialogs, Clock& clock, RemoteBoardList& remoteBoards,
                       QWidget* parent)
    : QMainWindow(parent),
      form(&form),
      dialogs(dialogs),
      remoteBoards(remoteBoards),
      statusLine(std::make_unique<StatusLine>(*statusBar(), clock)),
      windowLogs(std::make_unique<WindowLogs>(form, dialogs, clock)) {
    setCentralWidget(&form);
    setWindowTitle(form.windowTitle());
    connect(&form, &QWidget::windowTitleChanged, this, &QWidget::setWindowTitle);
    buildFileMenu();
    buildModesMenu();
    buildHelpMenu();
    form.setStatusReporter(statusLine.get());
    // The form's defined client area, with the bars above and below it.
    const QSize client = form.minimumSize();
    resize(client.width(),
           client.height() + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
}

MainWindow::~MainWindow() {
    windowLogs.reset();
    if (form) {
        form->setStatusReporter(nullptr);
        takeCentralWidget();
        form->setParent(nullptr);
    }
}

// The form's own closing stops a running mode and closes the channels; a
// form that refuses to close keeps the window open.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (form && !form->close()) {
        event->ignore();
        return;
    }
    windowLogs->stopTerminalLog();
    windowLogs->stopSpyLog();
    event->accept();
}

QString MainWindow::aboutText() {
    return QStringLiteral(
               "Tarvik Evaluation Board Control, version %1\n\n"
               "Flash programming, a terminal to the chip's monitor with disk and slave file "
               "transfers, and a spy on the chip's serial link.")
        .arg(QStringLiteral(TARVIK_VERSION));
}

// Ctrl+Shift keys: a plain Ctrl key in the terminal pane sends the chip its
// control character, which Ctrl+Shift would send only a second way.
void MainWindow::buildFileMenu() {
    QMenu& file = *menuBar()->addMenu(QStringLiteral("&File"));
    terminalLogAction =
        addLogAction(file, QStringLiteral("&Log Terminal to File…"),
                     QKeySequence(QStringLiteral("Ctrl+Shift+L")), &WindowLogs::startTerminalLog,
                     &WindowLogs::stopTerminalLog, &WindowLogs::terminalLogging);
    terminalLogAction->setObjectName(QStringLiteral("terminalLogAction"));
    terminalLogAction->setStatusTip(
        QStringLiteral("Writes what the chip sends and the lines you type to a file, until "
                       "unticked; a file chosen again is replaced"));
    QAction* stamps = file.addAction(QStringLiteral("&Time Stamps in Log"));
    stamps->setObjectName(QStringLiteral("timeStampsAction"));
    stamps->setCheckable(true);
    connect(stamps, &QAction::toggled, this, [this](bool on) { windowLogs->setTimeStamps(on); });
    spyLogAction =
        addLogAction(file, QStringLiteral("&Save Spy Capture to File…"),
                     QKeySequence(QStringLiteral("Ctrl+Shift+S")), &WindowLogs::startSpyLog,
                     &WindowLogs::stopSpyLog, &WindowLogs::spyLogging);
    spyLogAction->setObjectName(QStringLiteral("spyLogAction"));
    spyLogAction->setStatusTip(
        QStringLiteral("Writes the spy capture to a file, as text or as CSV for a .csv name, "
                       "until unticked; a file chosen again is replaced"));
    file.addSeparator();
    QAction* remote = file.addAction(QStringLiteral("&Remote Boards…"));
    remote->setObjectName(QStringLiteral("remoteBoardsAction"));
    remote->setStatusTip(
        QStringLiteral("The boards in a rack, reached over the network, that the board chooser "
                       "lists: add, change or remove them"));
    connect(remote, &QAction::triggered, this, &MainWindow::editRemoteBoards);
    file.addSeparator();
    QAction* quit = file.addAction(QStringLiteral("&Quit"));
    quit->setObjectName(QStringLiteral("quitAction"));
    quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Q")));
    connect(quit, &QAction::triggered, this, &QWidget::close);
    // A log stopped by a failed write is unticked by the next look.
    connect(&file, &QMenu::aboutToShow, this, &MainWindow::showLogStates);
}

// The item starts its log, or stops the one running; its tick shows which.
QAction* MainWindow::addLogAction(QMenu& menu, const QString& text, const QKeySequence& key,
                                  bool (WindowLogs::*start)(), void (WindowLogs::*stop)(),
                                  bool (WindowLogs::*logging)() const) {
    QAction* action = menu.addAction(text);
    action->setCheckable(true);
    action->setShortcut(key);
    connect(action, &QAction::triggered, this, [this, action, start, stop, logging] {
        WindowLogs& logs = *windowLogs;
        if ((logs.*logging)()) {
            (logs.*stop)();
        } else {
            (logs.*start)();
        }
        action->setChecked((logs.*logging)());
    });
    return action;
}

void MainWindow::showLogStates() {
    terminalLogAction->setChecked(windowLogs->terminalLogging());
    spyLogAction->setChecked(windowLogs->spyLogging());
}

// Opened, not run in a loop of its own: a running mode's loop, inside which
// the menu's handler runs, goes on serving the board meanwhile. The boards
// are listed from the board chooser's next drop-down.
void MainWindow::editRemoteBoards() {
    auto* dialog = new RemoteBoardsDialog(remoteBoards.kept(), remoteBoards.takenNames(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { remoteBoards.setKept(dialog->boards()); });
    dialog->open();
}

QAction* MainWindow::addButtonAction(QMenu& menu, const QString& text, QAbstractButton* button,
                                     const QKeySequence& key) {
    QAction* action = menu.addAction(text);
    action->setObjectName(button->objectName() + QStringLiteral("Action"));
    action->setShortcut(key);
    new ButtonAction(*action, *button);
    return action;
}

// Function keys: the terminal pane sends none of them to the chip. A mode's
// start and stop share a key, the stop with Shift.
void MainWindow::buildModesMenu() {
    Ui::Form1& f = form->form();
    QMenu& modes = *menuBar()->addMenu(QStringLiteral("&Modes"));
    addButtonAction(modes, QStringLiteral("&Program Flash"), f.Button2, Qt::Key_F9);
    modes.addSeparator();
    addButtonAction(modes, QStringLiteral("&Open Terminal"), f.Button6, Qt::Key_F2);
    addButtonAction(modes, QStringLiteral("&Close Terminal"), f.Button7, Qt::SHIFT | Qt::Key_F2);
    addButtonAction(modes, QStringLiteral("&Send File to Disk (OPW/WRF)"), f.Button5, Qt::Key_F5);
    addButtonAction(modes, QStringLiteral("&Receive File from Disk (RD)"), f.Button8, Qt::Key_F6);
    addButtonAction(modes, QStringLiteral("Receive File from &Disk (OPR/RDF)"), f.Button9,
                    Qt::Key_F7);
    addButtonAction(modes, QStringLiteral("Slave Send &File"), f.Button13, Qt::Key_F8);
    addButtonAction(modes, QStringLiteral("Slave Recei&ve File"), f.Button14,
                    Qt::SHIFT | Qt::Key_F8);
    modes.addSeparator();
    addButtonAction(modes, QStringLiteral("Open S&py"), f.Button10, Qt::Key_F3);
    addButtonAction(modes, QStringLiteral("Close Sp&y"), f.Button11, Qt::SHIFT | Qt::Key_F3);
    addButtonAction(modes, QStringLiteral("Clear Spy &Windows"), f.Button15, Qt::Key_F4);
}

void MainWindow::buildHelpMenu() {
    QMenu& help = *menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* about = help.addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("aboutAction"));
    connect(about, &QAction::triggered, this, [this] { dialogs.showInformation(aboutText()); });
}
