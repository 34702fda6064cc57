#pragma once

#include "DroppedLines.h"
#include "PaneLines.h"

// Where a pane's lines go without a window: nowhere (DroppedLines), or
// standard error (the messages, in the program's own words).
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
