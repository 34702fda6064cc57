#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <cstdint>

class PaneLines;

// The Spy Mode page's two panes: the ASCII pane (RichEdit1) with the data
// lines and the spy's messages, and the HEX pane (RichEdit2) with the data
// lines and the decoders' readings. Each pane has one writer, so lines reach
// it in exactly the order they were produced, whatever batch they go in.
//
// Each pane is emptied at the first pass after it has taken PaneLineLimit
// lines, which bounds its memory and redraw time; messages do not count.
class SpyPanes {
  public:
    static constexpr std::int32_t PaneLineLimit = 4000;

    static inline const QColor Red{255, 0, 0};    // what the chip receives
    static inline const QColor Blue{0, 0, 255};   // what the chip transmits
    static inline const QColor Green{0, 128, 0};  // the decoders' readings
    static inline const QColor Black{0, 0, 0};    // messages

    SpyPanes(PaneLines& asciiPane /*RichEdit1*/, PaneLines& hexPane /*RichEdit2*/);

    // Empties a pane whose count has reached the limit; each pass that
    // brought bytes starts with this.
    void emptyFullPanes();
    void addDataLines(const QString& asciiLine, const QString& hexLine, const QColor& colour);
    // One reading of a decoder: its lines in green, counted as one line of
    // the HEX pane however many there are.
    void addReading(const QStringList& lines);
    // A message in black at the end of the ASCII pane, shown at once.
    void SpyLog(const QString& text);
    // Both panes emptied and their counts zeroed ("Clear Windows").
    void clear();

    void flushIfDue();
    void flush();

    std::int32_t AsciiPaneLines = 0;
    std::int32_t HexPaneLines = 0;

  private:
    PaneLines& asciiWriter;
    PaneLines& hexWriter;
};
