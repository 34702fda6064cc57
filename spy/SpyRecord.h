#pragma once

#include <QString>
#include <QTextStream>

#include "PaneLines.h"

// A capture written as a record instead of into the two panes: the capture
// writes its pane lines into ascii() and hex(), and each pane line becomes
// one line of the record. As text, the HEX pane's lines as the pane shows
// them (every data line with its stamp, every reading); as CSV, one row per
// pane line, "time_ms,kind,hex,text": kind "command" for what the chip
// receives, "answer" for what it sends (hex and text from the two panes'
// lines of the same bytes), "reading" for a decoder's line (text only).
// Messages go to the message lines given.
class SpyRecord {
  public:
    enum class Format { Text, Csv };

    SpyRecord(QTextStream& out, Format format, PaneLines& messages);

    PaneLines& ascii() { return asciiSide; }
    PaneLines& hex() { return hexSide; }

  private:
    // One pane's side: it hands its lines to the record.
    class Side : public PaneLines {
      public:
        Side(SpyRecord& record, bool isHex) : record(record), isHex(isHex) {}
        void addLine(const QString& line, const QColor& colour = QColor()) override;
        void flushIfDue() override {}
        void flush() override;
        // The panes are emptied when full or by "Clear Windows"; the record
        // keeps every line all the same.
        void clear() override {}

      private:
        SpyRecord& record;
        bool isHex;
    };

    void asciiLine(const QString& line, const QColor& colour);
    void hexLine(const QString& line, const QColor& colour);
    void row(const QString& time, const QString& kind, const QString& hex, const QString& text);

    QTextStream& out;
    Format format;
    PaneLines& messages;
    Side asciiSide{*this, false};
    Side hexSide{*this, true};
    // The ASCII pane's line of the data line whose HEX line comes next.
    QString pendingText;
};
