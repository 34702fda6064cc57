#pragma once

#include "ConsoleProgress.h"
#include "ProgrammerView.h"

// Programmer Mode without a window: the board and image come from the
// command line, the log goes to standard error, the progress to the
// progress line; there are no controls to lock and nothing to paint.
class ConsoleProgrammerView : public ProgrammerView {
  public:
    ConsoleProgrammerView(QString board, QString image, ConsoleProgress& progress);

    QString chosenBoard() const override { return board; }
    QString sourcePath() const override { return image; }
    void setSourcePath(const QString& path) override { image = path; }
    void clearLog() override {}
    void addLogLine(const QString& line) override;
    void startProgress(int maximum, int runEnd, const QString& caption) override;
    void setProgress(int value) override;
    void hideProgress() override;
    void setControlEnabled(Control, bool) override {}
    void paintProgressNow() override {}
    void paintAllNow() override {}

  private:
    QString board;
    QString image;
    ConsoleProgress& progress;
};
