#pragma once

#include <QPointer>
#include <QWidget>

#include "Dialogs.h"

// The program's dialogs: message boxes titled with the window's caption and
// the toolkit's file dialogs. The window is attached once it exists, since
// the window itself needs the dialogs to be built.
class QtDialogs : public Dialogs {
  public:
    void attachWindow(QWidget* window) { this->window = window; }

    void showError(const QString& text) override;
    void showInformation(const QString& text) override;
    QString openFileName(const QString& filter) override;
    QString saveFileName(const QString& filter) override;

  private:
    QString title() const;

    QPointer<QWidget> window;
};
