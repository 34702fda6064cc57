#include "SpyPanes.h"

#include "PaneLines.h"

SpyPanes::SpyPanes(PaneLines& asciiPane, PaneLines& hexPane)
    : asciiWriter(asciiPane), hexWriter(hexPane) {}

void SpyPanes::emptyFullPanes() {
    if (AsciiPaneLines >= PaneLineLimit) {
        asciiWriter.clear();
        AsciiPaneLines = 0;
    }
    if (HexPaneLines >= PaneLineLimit) {
        hexWriter.clear();
        HexPaneLines = 0;
    }
}

void SpyPanes::addDataLines(const QString& asciiLine, const QString& hexLine,
                            const QColor& colour) {
    asciiWriter.addLine(asciiLine, colour);
    hexWriter.addLine(hexLine, colour);
    ++HexPaneLines;
    ++AsciiPaneLines;
}

void SpyPanes::addReading(const QStringList& lines) {
    for (const QString& line : lines) {
        hexWriter.addLine(line, Green);
    }
    ++HexPaneLines;
}

void SpyPanes::SpyLog(const QString& text) {
    asciiWriter.addLine(text, Black);
    asciiWriter.flush();
}

void SpyPanes::clear() {
    AsciiPaneLines = 0;
    HexPaneLines = 0;
    asciiWriter.clear();
    hexWriter.clear();
}

void SpyPanes::flushIfDue() {
    asciiWriter.flushIfDue();
    hexWriter.flushIfDue();
}

void SpyPanes::flush() {
    asciiWriter.flush();
    hexWriter.flush();
}
