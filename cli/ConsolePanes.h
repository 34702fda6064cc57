#pragma once

#include "PaneLines.h"

// Where a pane's lines go without a window: nowhere (the HEX pane, the
// ASCII pane's echo of a copy's commands), or standard error (the
// messages, in the program's own words).
class DroppedLines : public PaneLines {
  public:
    void addLine(const QString&, const QColor& = QColor()) override {}
    void flushIfDue() override {}
    void flush() override {}
    void clear() override {}
};

class MessageLines : public PaneLines {
  public:
    void addLine(const QString& line, const QColor& colour = QColor()) override;
    void flushIfDue() override {}
    void flush() override {}
    void clear() override {}

    // An ERROR line has been among the messages.
    bool errorSeen() const { return sawError; }

  private:
    bool sawError = false;
};
