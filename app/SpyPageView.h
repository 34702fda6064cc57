#pragma once

#include "SpyView.h"

class StatusRelay;
namespace Ui {
class Form1;
}

// The Spy Mode page as the spy capture sees it: the port chooser (ComboBox1),
// the baud rate box (ComboBox3), "Show Time" (CheckBox3), "Track Commands"
// (CheckBox4), the command set (RadioButton8 extended, RadioButton9 short),
// the number input (RadioButton10 hex, RadioButton11 ASCII), Open Spy
// (Button10) and Close Spy (Button11). A radio button checked here runs the
// window's handler of it, as one the user checks does.
class SpyPageView final : public SpyView {
  public:
    // A capture's start and end, and the rate it follows, are reported to
    // status as well.
    SpyPageView(Ui::Form1& form, StatusRelay& status) : f(form), status(status) {}

    QString boardName() const override;
    QString baudRateText() const override;
    bool showTime() const override;
    bool trackCommands() const override;
    bool hexNumberInput() const override;
    bool extendedCommandSet() const override;

    void showCaptureRunning(bool running) override;
    void lockBoardChoice(bool locked) override;

    void showCommandSet(bool extended) override;
    void showNumberInput(bool hex) override;
    void showBaudRateText(const QString& text) override;

  private:
    Ui::Form1& f;
    StatusRelay& status;
};
