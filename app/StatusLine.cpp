#include "StatusLine.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>

namespace {
// The bar counts in these steps of the whole: its range is an int.
constexpr int BarSteps = 1000;
}  // namespace

StatusLine::StatusLine(QStatusBar& bar, Clock& clock)
    : linkLabel(new QLabel(&bar)),
      progressLabel(new QLabel(&bar)),
      progressBar(new QProgressBar(&bar)),
      meter(clock) {
    linkLabel->setObjectName(QStringLiteral("statusLink"));
    progressLabel->setObjectName(QStringLiteral("statusProgress"));
    progressBar->setObjectName(QStringLiteral("statusProgressBar"));
    progressBar->setRange(0, BarSteps);
    progressBar->setMaximumWidth(120);
    progressBar->setTextVisible(false);
    bar.addWidget(progressLabel);
    bar.addWidget(progressBar);
    bar.addPermanentWidget(linkLabel);
    progressLabel->hide();
    progressBar->hide();
}

QString StatusLine::describe(const LinkStatus& link, bool brief) {
    if (link.board.isEmpty()) {
        return QStringLiteral("No board chosen");
    }
    const QString rate = QStringLiteral("%1 · %2 baud").arg(link.board, link.baudRate);
    if (brief) {
        return rate;
    }
    QString state = link.open ? QStringLiteral("open") : QStringLiteral("closed");
    if (!link.mode.isEmpty()) {
        state = link.mode + QLatin1Char(' ') + state;
    }
    if (link.commandOrData.isEmpty()) {
        return QStringLiteral("%1 · %2").arg(rate, state);
    }
    return QStringLiteral("%1 · %2 · %3, %4, interface %5, %6")
        .arg(rate, state, link.commandOrData, link.chip, link.interfaceState, link.acknowledge);
}

void StatusLine::showLink(const LinkStatus& now) {
    link = now;
    showLinkNow();
}

void StatusLine::showLinkNow() {
    linkLabel->setText(describe(link, jobRunning));
}

// The job's time runs from its start: a copy asks the chip for the file
// before any of its bytes move.
void StatusLine::startProgress(const QString& name) {
    job = name;
    jobRunning = true;
    showLinkNow();
    meter.start(std::nullopt);
    progressLabel->setText(job);
    progressLabel->show();
    progressBar->setValue(0);
}

void StatusLine::showProgress(std::uint64_t done, std::optional<std::uint64_t> total) {
    meter.setTotal(total);
    const std::optional<QString> figures = meter.report(done);
    if (!figures) {
        return;
    }
    progressLabel->setText(job + QStringLiteral(": ") + *figures);
    progressBar->setVisible(total.has_value());
    if (total) {
        const std::uint64_t whole = std::max<std::uint64_t>(*total, 1);
        progressBar->setValue(static_cast<int>(std::min(done, whole) * BarSteps / whole));
    }
}

void StatusLine::endProgress() {
    jobRunning = false;
    showLinkNow();
    meter.stop();
    progressLabel->hide();
    progressBar->hide();
}
