#include "PaneWriter.h"

#include "Clock.h"
#include "LinePane.h"

PaneWriter::PaneWriter(LinePane& pane, Clock& clock, int lineLimit, Emptying emptying)
    : pane(pane), clock(clock), emptying(emptying), lastInsertionMs(clock.milliseconds()) {
    pane.setLineLimit(lineLimit);
    pendingTimer.setSingleShot(true);
    pendingTimer.setInterval(static_cast<int>(InsertionIntervalMs));
    pendingTimer.callOnTimeout([this] { flush(); });
}

void PaneWriter::addLine(const QString& line, const QColor& colour) {
    if (queued.empty() || queued.back().colour != colour) {
        queued.push_back({colour, QString()});
    }
    QString& run = queued.back().text;
    run += line;
    run += QLatin1Char('\n');
    ++queuedLines;
    if (!pendingTimer.isActive()) {
        pendingTimer.start();
    }
    flushIfDue();
}

void PaneWriter::flushIfDue() {
    if (queuedLines > 0 && clock.milliseconds() - lastInsertionMs >= InsertionIntervalMs) {
        insertQueued();
    }
}

void PaneWriter::flush() {
    if (queuedLines > 0) {
        insertQueued();
    }
}

void PaneWriter::clear() {
    queued.clear();
    queuedLines = 0;
    pendingTimer.stop();
    pane.clear();
    if (emptying == Emptying::RepaintAtOnce) {
        pane.viewport()->repaint();
    }
}

void PaneWriter::insertQueued() {
    pane.addLines(queued);
    queued.clear();
    queuedLines = 0;
    pendingTimer.stop();
    lastInsertionMs = clock.milliseconds();
}
