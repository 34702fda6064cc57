#pragma once

#include "ProgressMeter.h"
#include "StatusReporter.h"

class Clock;
class QLabel;
class QProgressBar;
class QStatusBar;

// The main window's status bar: the link at the right (board, rate, open or
// closed, the mode that runs and the indicators' readings), and while a job
// moves bytes, its name, a bar and its figures (bytes of the whole, rate,
// time left) at the left, with the link cut to its board and rate to leave
// them room.
class StatusLine : public StatusReporter {
  public:
    StatusLine(QStatusBar& bar, Clock& clock);

    void showLink(const LinkStatus& link) override;
    void startProgress(const QString& job) override;
    void showProgress(std::uint64_t done, std::optional<std::uint64_t> total) override;
    void endProgress() override;

    // The link's description, as the bar shows it; brief: board and rate.
    static QString describe(const LinkStatus& link, bool brief);

  private:
    void showLinkNow();

    LinkStatus link;
    bool jobRunning = false;
    QLabel* linkLabel;
    QLabel* progressLabel;
    QProgressBar* progressBar;
    ProgressMeter meter;
    QString job;
};
