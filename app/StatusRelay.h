#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "StatusReporter.h"

// The window's side of its status reports: the page views and the indicator
// row report here, and the relay hands each report on to the main window's
// status bar when there is one. The link is read afresh at the next pass of
// the window's events after a change, when the mode that changed it has set
// its flags; several changes in one pass make one report.
class StatusRelay : public QObject {
  public:
    explicit StatusRelay(std::function<LinkStatus()> readLink) : readLink(std::move(readLink)) {}

    // Null: nobody listens.
    void setReporter(StatusReporter* listener);
    void linkChanged();
    void startProgress(const QString& job);
    void showProgress(std::uint64_t done, std::optional<std::uint64_t> total);
    void endProgress();

  private:
    void reportLink();

    std::function<LinkStatus()> readLink;
    StatusReporter* reporter = nullptr;
    bool linkReportDue = false;
};
