#pragma once

#include "PaneLines.h"

// A pane's lines handed on to a second taker as well, while one is attached:
// the window's spy panes go on showing every line while a record on disk
// takes the same lines. Emptying the pane is passed on too; a taker that
// keeps everything ignores it.
class PaneTee : public PaneLines {
  public:
    explicit PaneTee(PaneLines& pane) : pane(pane) {}

    // Null detaches the taker.
    void attach(PaneLines* taker) { copy = taker; }

    void addLine(const QString& line, const QColor& colour = QColor()) override {
        pane.addLine(line, colour);
        if (copy != nullptr) {
            copy->addLine(line, colour);
        }
    }
    void flushIfDue() override {
        pane.flushIfDue();
        if (copy != nullptr) {
            copy->flushIfDue();
        }
    }
    void flush() override {
        pane.flush();
        if (copy != nullptr) {
            copy->flush();
        }
    }
    void clear() override {
        pane.clear();
        if (copy != nullptr) {
            copy->clear();
        }
    }

  private:
    PaneLines& pane;
    PaneLines* copy = nullptr;
};
