#pragma once

#include "Dialogs.h"

// The dialogs of a run without a window: every message goes to standard
// error in the program's own words, and a file asked for is the one the
// command line named.
class ConsoleDialogs : public Dialogs {
  public:
    void showError(const QString& text) override;
    void showInformation(const QString& text) override;
    QString openFileName(const QString& filter) override;
    QString saveFileName(const QString& filter) override;

    // The file the next dialog answers with.
    void answerWith(const QString& path) { answer = path; }
    bool errorShown() const { return anyError; }

  private:
    QString answer;
    bool anyError = false;
};
