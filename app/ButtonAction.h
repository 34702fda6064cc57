#pragma once

#include <QObject>

class QAbstractButton;
class QAction;

// A menu action that stands for one of the form's buttons: triggering it
// brings the button's page (and sub-page) to the front and clicks the
// button, so the button's own rules hold; it is enabled exactly while the
// button is, whether the button or a group around it was switched.
class ButtonAction : public QObject {
  public:
    ButtonAction(QAction& action, QAbstractButton& button);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void trigger();

    QAction& action;
    QAbstractButton& button;
};
