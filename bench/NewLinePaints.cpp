#include "NewLinePaints.h"

#include <QEvent>

#include "LinePane.h"

NewLinePaints::NewLinePaints(LinePane& pane) : pane(pane) {
    pane.viewport()->installEventFilter(this);
}

void NewLinePaints::start() {
    linesAtLastPaint = pane.linesAdded();
    paints = 0;
}

bool NewLinePaints::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && pane.linesAdded() != linesAtLastPaint && pane.isAtEnd()) {
        linesAtLastPaint = pane.linesAdded();
        ++paints;
    }
    return QObject::eventFilter(watched, event);
}
