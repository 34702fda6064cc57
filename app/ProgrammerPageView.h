#pragma once

#include "ProgrammerView.h"

class QWidget;
namespace Ui {
class Form1;
}

// The window's Programmer Mode page as Programmer Mode sees it: the port
// chooser, the source file field, the log pane, the progress bar and its
// caption, and the page's two buttons.
class ProgrammerPageView : public ProgrammerView {
  public:
    ProgrammerPageView(QWidget& window, Ui::Form1& form);

    QString chosenBoard() const override;
    QString sourcePath() const override;
    void setSourcePath(const QString& path) override;
    void clearLog() override;
    void addLogLine(const QString& line) override;
    void startProgress(int maximum, const QString& caption) override;
    void setProgress(int value) override;
    void hideProgress() override;
    void setControlEnabled(Control control, bool enabled) override;
    void paintProgressNow() override;
    void paintAllNow() override;

  private:
    QWidget& window;
    Ui::Form1& form;
};
