#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

class Clock;
class Dialogs;
class QAbstractButton;
class QAction;
class QMenu;
class RemoteBoardList;
class StatusLine;
class TForm1;
class WindowLogs;

// The program's main window around the form: the form's pages in the middle,
// unchanged; the menus (File with the logs, the remote boards and Quit, Modes with each mode's
// frequent buttons on keys the terminal pane does not need, Help); and the
// status bar with the link and the progress of a running job. It takes the
// form's caption, and closing it closes the form first, which ends a running
// mode as the form's own closing does.
class MainWindow : public QMainWindow {
  public:
    // The form stays the caller's: shown here, and handed back when the main
    // window goes.
    MainWindow(TForm1& form, Dialogs& dialogs, Clock& clock, RemoteBoardList& remoteBoards,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    WindowLogs& logs() { return *windowLogs; }
    static QString aboutText();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildFileMenu();
    void buildModesMenu();
    void buildHelpMenu();
    QAction* addButtonAction(QMenu& menu, const QString& text, QAbstractButton* button,
                             const QKeySequence& key);
    QAction* addLogAction(QMenu& menu, const QString& text, const QKeySequence& key,
                          bool (WindowLogs::*start)(), void (WindowLogs::*stop)(),
                          bool (WindowLogs::*logging)() const);
    void showLogStates();
    void editRemoteBoards();

    QPointer<TForm1> form;
    Dialogs& dialogs;
    RemoteBoardList& remoteBoards;
    std::unique_ptr<StatusLine> statusLine;
    std::unique_ptr<WindowLogs> windowLogs;
    QAction* terminalLogAction = nullptr;
    QAction* spyLogAction = nullptr;
};
