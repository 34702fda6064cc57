#pragma once

#include <QString>

// What Programmer Mode reads from and shows to whoever drives it: the
// window's Programmer Mode page, or no more than a log when a run goes
// without a window, where the progress, the controls and the painting may do
// nothing.
class ProgrammerView {
  public:
    // The controls a run locks while it goes on.
    enum class Control { BoardChoice, SelectFile, Program };

    virtual ~ProgrammerView() = default;

    // The name of the board to program; empty for none.
    virtual QString chosenBoard() const = 0;
    // The ROM file to send; empty for none.
    virtual QString sourcePath() const = 0;
    virtual void setSourcePath(const QString& path) = 0;

    virtual void clearLog() = 0;
    virtual void addLogLine(const QString& line) = 0;

    // Shows the progress from 0 out of 0..maximum, under the caption. The
    // run ends at runEnd, short of maximum for an image smaller than the
    // flash: a job's whole and its time left count to there.
    virtual void startProgress(int maximum, int runEnd, const QString& caption) = 0;
    virtual void setProgress(int value) = 0;
    virtual void hideProgress() = 0;

    virtual void setControlEnabled(Control control, bool enabled) = 0;

    // Paints at once what would otherwise wait for the next event pass: the
    // progress alone, or everything the view shows.
    virtual void paintProgressNow() = 0;
    virtual void paintAllNow() = 0;
};
