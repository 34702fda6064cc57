#pragma once

#include "ProgrammerView.h"

class QWidget;
class StatusRelay;
namespace Ui {
class Form1;
}

// The window's Programmer Mode page as Programmer Mode sees it: the port
// chooser, the source file field, the log pane, the progress bar and its
// caption, and the page's two buttons.
class ProgrammerPageView : public ProgrammerView {
  public:
    // A run's progress is reported to status as well.
    ProgrammerPageView(QWidget& window, Ui::Form1& form, StatusRelay& status);

    QString chosenBoard() const override;
    QString sourcePath() const override;
    void setSourcePath(const QString& path) override;
    void clearLog() override;
    void addLogLine(const QString& line) override;
    void startProgress(int maximum, int runEnd, const QString& caption) override;
    void setProgress(int value) override;
    void hideProgress() override;
    void setControlEnabled(Control control, bool enabled) override;
    void paintProgressNow() override;
    void paintAllNow() override;

  private:
    QWidget& window;
    Ui::Form1& form;
    StatusRelay& status;
    int progressWhole = 0;
};
