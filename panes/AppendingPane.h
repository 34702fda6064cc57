#pragma once

#include <QPlainTextEdit>

#include "PaneLines.h"

// A pane that takes a few lines now and then (the recalled lines in the
// Programmer Mode pane): each is appended as a paragraph of its own at once,
// as the pane's own log lines are, so the two kinds sit in it alike.
class AppendingPane : public PaneLines {
  public:
    explicit AppendingPane(QPlainTextEdit& pane) : pane(pane) {}

    void addLine(const QString& line, const QColor& /*colour*/ = QColor()) override {
        pane.appendPlainText(line);
    }
    void flushIfDue() override {}
    void flush() override {}
    void clear() override { pane.clear(); }

  private:
    QPlainTextEdit& pane;
};
