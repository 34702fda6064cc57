#include "StatusRelay.h"

#include <QTimer>

void StatusRelay::setReporter(StatusReporter* listener) {
    reporter = listener;
    linkChanged();
}

void StatusRelay::linkChanged() {
    if (reporter == nullptr || linkReportDue) {
        return;
    }
    linkReportDue = true;
    QTimer::singleShot(0, this, [this] { reportLink(); });
}

void StatusRelay::reportLink() {
    linkReportDue = false;
    if (reporter != nullptr) {
        reporter->showLink(readLink());
    }
}

void StatusRelay::startProgress(const QString& job) {
    if (reporter != nullptr) {
        reporter->startProgress(job);
    }
}

void StatusRelay::showProgress(std::uint64_t done, std::optional<std::uint64_t> total) {
    if (reporter != nullptr) {
        reporter->showProgress(done, total);
    }
}

void StatusRelay::endProgress() {
    if (reporter != nullptr) {
        reporter->endProgress();
    }
}
