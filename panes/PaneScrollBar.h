#pragma once

#include <QRect>
#include <QScrollBar>

// A scroll bar that repaints only when what it shows changes. A pane that
// follows new lines moves the bar's range and value at every insertion while
// the slider stays where it is, at the end; painting the bar each time cost
// more than painting the lines. While the pane sets range and value, the bar
// is held: it looks at itself once both are set.
class PaneScrollBar : public QScrollBar {
  public:
    using QScrollBar::QScrollBar;

    void hold() { held = true; }
    void release();

  protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // What the bar shows: where its slider stands, and whether it is at an
    // end (a style may show that in its arrows).
    struct Look {
        QRect slider;
        bool atStart = false;
        bool atEnd = false;
        bool operator==(const Look&) const = default;
    };
    Look look() const;

    bool held = false;
    Look painted;
};
