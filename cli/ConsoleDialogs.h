#pragma once

#include "Dialogs.h"

// The dialogs of a run without a window: every message goes to standard
// error in the program's own words. The commands name their files
// themselves, so a file dialog is answered as cancelled.
class ConsoleDialogs : public Dialogs {
  public:
    void showError(const QString& text) override;
    void showInformation(const QString& text) override;
    QString openFileName(const QString& filter) override;
    QString saveFileName(const QString& filter) override;
};
