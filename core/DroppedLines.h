#pragma once

#include "PaneLines.h"

// Lines that go nowhere: a pane a run does not show (the HEX pane without a
// window, the ASCII pane's echo of a copy's commands), or messages that are
// shown elsewhere already.
class DroppedLines : public PaneLines {
  public:
    void addLine(const QString&, const QColor& = QColor()) override {}
    void flushIfDue() override {}
    void flush() override {}
    void clear() override {}
};
