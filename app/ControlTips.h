#pragma once

#include <QObject>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

class QWidget;

// What decides why a control is switched off: whether a board is chosen, and
// which mode, if any, holds the window.
struct WindowActivity {
    bool boardChosen = false;
    bool programming = false;
    bool terminalOpen = false;
    bool transferRunning = false;
    bool spyRunning = false;
};

// The tooltip of every named control of the window (of a page, its tab's):
// what the control does and, while it is switched off, why. The reasons follow
// the controls: a mode switches many of them in one go and sets its flag only
// afterwards, so once the handler that switched them has handed back to an
// event loop, every tip is written again from the window's activity then.
class ControlTips : public QObject {
  public:
    using ActivityReader = std::function<WindowActivity()>;

    ControlTips(QWidget& window, ActivityReader activity);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refreshLater();
    void refresh();

    ActivityReader activity;
    // Each control with the index of its entry in the table of tips.
    std::vector<std::pair<QWidget*, std::size_t>> controls;
    bool refreshPending = false;
};
