#pragma once

#include <QObject>
#include <QtGlobal>

class LinePane;

// Counts how often a pane paints new lines: the paints of its view that come
// after lines were added while the view was at the end. Over a stream that
// is how often the user sees the view move on.
class NewLinePaints : public QObject {
  public:
    explicit NewLinePaints(LinePane& pane);

    // Counting starts here.
    void start();
    int count() const { return paints; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    LinePane& pane;
    qint64 linesAtLastPaint = 0;
    int paints = 0;
};
