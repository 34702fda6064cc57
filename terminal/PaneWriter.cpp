#include "PaneWriter.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "Clock.h"

PaneWriter::PaneWriter(QPlainTextEdit& pane, Clock& clock)
    : pane(pane), clock(clock), lastInsertionMs(clock.milliseconds()) {
    pendingTimer.setSingleShot(true);
    pendingTimer.setInterval(static_cast<int>(InsertionIntervalMs));
    pendingTimer.callOnTimeout([this] { flush(); });
}

void PaneWriter::addLine(const QString& line) {
    queued += line;
    queued += QLatin1Char('\n');
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
    pane.viewport()->repaint();
}

void PaneWriter::insertQueued() {
    QScrollBar& scrollBar = *pane.verticalScrollBar();
    const bool followingEnd = scrollBar.value() == scrollBar.maximum();

    QTextCursor end(pane.document());
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    // Text typed into the pane after the last line stays a line of its own.
    if (!end.block().text().isEmpty()) {
        end.insertBlock();
    }
    end.insertText(queued);
    end.endEditBlock();

    if (followingEnd) {
        scrollBar.setValue(scrollBar.maximum());
    }
    queued.clear();
    queuedLines = 0;
    pendingTimer.stop();
    lastInsertionMs = clock.milliseconds();
}
