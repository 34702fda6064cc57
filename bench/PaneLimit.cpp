#include "PaneLimit.h"

#include <algorithm>
#include "LinePane.h"

PaneLimit::PaneLimit(const LinePane& pane, int boundLines) : pane(pane), boundLines(boundLines) {}

void PaneLimit::check() {
    const int lines = pane.lineCount();
    hasReached = hasReached || lines >= boundLines || lines < mostLines;
    mostLines = std::max(mostLines, lines);
}
