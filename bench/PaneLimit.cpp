#include "PaneLimit.h"

#include <QPlainTextEdit>
#include <QTextDocument>
#include <algorithm>

PaneLimit::PaneLimit(const QPlainTextEdit& pane, int boundLines)
    : pane(pane), boundLines(boundLines) {}

void PaneLimit::check() {
    const int lines = pane.document()->blockCount();
    hasReached = hasReached || lines >= boundLines || lines < mostLines;
    mostLines = std::max(mostLines, lines);
}
