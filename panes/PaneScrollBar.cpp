#include "PaneScrollBar.h"

#include <QStyle>
#include <QStyleOptionSlider>

void PaneScrollBar::release() {
    held = false;
    if (look() != painted) {
        update();
    }
}

void PaneScrollBar::sliderChange(SliderChange change) {
    // Setting the page step says so even when the step stays what it was.
    const bool moved =
        change == SliderValueChange || change == SliderRangeChange || change == SliderStepsChange;
    if (!moved) {
        QScrollBar::sliderChange(change);
    } else if (!held && look() != painted) {
        update();
    }
}

void PaneScrollBar::paintEvent(QPaintEvent* event) {
    painted = look();
    QScrollBar::paintEvent(event);
}

PaneScrollBar::Look PaneScrollBar::look() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        value() == minimum(), value() == maximum()};
}
