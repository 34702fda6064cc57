#pragma once

#include <QColor>
#include <QString>

// Where a mode's lines for one text pane go. The window hands each mode one
// per pane, writing into its named widget; a mode run without a window can
// write them anywhere else. Lines keep the order they were added in.
class PaneLines {
  public:
    virtual ~PaneLines() = default;

    // A line without a colour takes the pane's own text colour.
    virtual void addLine(const QString& line, const QColor& colour = QColor()) = 0;
    // Lines may be held back and shown together; these show them now (the
    // first only when the pane's interval since the last showing is over).
    virtual void flushIfDue() = 0;
    virtual void flush() = 0;
    // Empties the pane, held lines included.
    virtual void clear() = 0;
};
