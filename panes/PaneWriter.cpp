#include "PaneWriter.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include "Clock.h"

PaneWriter::PaneWriter(QPlainTextEdit& pane, Clock& clock, int lineLimit)
    : pane(pane), clock(clock), lineLimit(lineLimit), lastInsertionMs(clock.milliseconds()) {
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
    pane.viewport()->repaint();
}

void PaneWriter::insertQueued() {
    QScrollBar& scrollBar = *pane.verticalScrollBar();
    // The view follows the end while it shows the end, or while the user's
    // cursor stands there (typing keeps only the cursor's line in view).
    const bool typingAtEnd = pane.textCursor().atEnd();
    const bool followingEnd = typingAtEnd || scrollBar.value() == scrollBar.maximum();

    QTextCursor end(pane.document());
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    // Text typed into the pane after the last line stays a line of its own.
    if (!end.block().text().isEmpty()) {
        end.insertBlock();
    }
    for (const Run& run : queued) {
        insertRun(end, run);
    }
    dropOldestLines();
    end.endEditBlock();

    if (followingEnd) {
        if (typingAtEnd) {
            pane.moveCursor(QTextCursor::End);
            pane.ensureCursorVisible();
        }
        scrollBar.setValue(scrollBar.maximum());
    }
    queued.clear();
    queuedLines = 0;
    pendingTimer.stop();
    lastInsertionMs = clock.milliseconds();
}

// A coloured run colours its text and the lines it starts, so the colour is
// the same wherever in a line one looks at it.
void PaneWriter::insertRun(QTextCursor& end, const Run& run) {
    if (!run.colour.isValid()) {
        end.insertText(run.text);
        return;
    }
    QTextCharFormat format;
    format.setForeground(run.colour);
    end.setBlockCharFormat(format);
    end.insertText(run.text, format);
}

// The document's own block limit moves a cursor over every block it drops,
// which lays each one out first: at link speed that costs several times the
// insertion itself. Setting the cursor's position lays nothing out.
void PaneWriter::dropOldestLines() {
    QTextDocument& document = *pane.document();
    // The last block is the empty line after the newest line.
    const int excess = document.blockCount() - 1 - lineLimit;
    if (lineLimit == Unbounded || excess <= 0) {
        return;
    }
    QTextCursor oldest(&document);
    oldest.setPosition(document.findBlockByNumber(excess).position(), QTextCursor::KeepAnchor);
    oldest.removeSelectedText();
}
