#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QString>
#include <QStringView>
#include <vector>

#include "LineRing.h"
#include "PaneGlyphs.h"

class PaneScrollBar;

// A text pane for lines that come at link speed: it keeps its lines in a
// compact ring (text and colour a line) and paints only the lines in view.
//
// The view follows the newest line only while it shows the end: once the
// user scrolls up it stays on the lines it shows, wherever new lines arrive
// or old ones go, until the user returns to the end. Lines can be selected
// with the mouse and copied while they keep coming.
//
// The pane always ends on the line where typing goes (empty after each added
// line). Unless the pane is read-only, keys edit that line only, wherever the
// user clicked: characters go in at its end, Backspace takes back the
// character before them (the line break too, at its start) and Enter starts a
// new line.
class LinePane : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly)
    Q_PROPERTY(LineWrapMode lineWrapMode READ lineWrapMode WRITE setLineWrapMode)

  public:
    enum LineWrapMode { NoWrap, WidgetWidth };
    Q_ENUM(LineWrapMode)

    static constexpr int Unbounded = LineRing::Unbounded;

    explicit LinePane(QWidget* parent = nullptr);

    // The lines the pane shows, oldest first, the line being typed included
    // when it holds text; a line's colour is the one it was added in, invalid
    // for the pane's own text colour. Lines are numbered from 0 to
    // lineCount() - 1.
    int lineCount() const;
    QString lineText(int line) const;
    QColor lineColour(int line) const;
    // Lines added since the pane was made, however many it still keeps (less
    // those Backspace took back into the line being typed).
    qint64 linesAdded() const { return ring.appended(); }

    // Adds the lines of text, each ended by a line break (\n, \r or \r\n),
    // after the last line; a line being typed stays a line of its own.
    void addLines(QStringView text, const QColor& colour = QColor());
    // Lines in their colours, added as above, with one move of the view.
    struct ColouredLines {
        QColor colour;
        QString text;
    };
    void addLines(const std::vector<ColouredLines>& runs);
    // With a limit the pane keeps only the newest lines.
    void setLineLimit(int lines);
    int lineLimit() const { return ring.limit(); }

    // The text as a plain text editor gives it: the lines joined by line
    // breaks, ending with the line where typing goes.
    QString toPlainText() const;
    void setPlainText(const QString& text);
    // The text as a paragraph of its own after the last line.
    void appendPlainText(const QString& text);
    void clear();
    bool isReadOnly() const { return readOnly; }
    void setReadOnly(bool on);
    // The pane keeps no undo history.
    void setUndoRedoEnabled(bool) {}
    LineWrapMode lineWrapMode() const { return wrapMode; }
    void setLineWrapMode(LineWrapMode mode);

    // Whether the view shows the end, and so follows new lines.
    bool isAtEnd() const;
    void scrollToEnd();
    QString selectedText() const;
    void selectAll();
    void copy() const;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    // A place in the text: the line by its number since the pane was made
    // (so it stays with its line as lines come and go), and a column.
    struct Place {
        qint64 line = 0;
        int column = 0;
        auto operator<=>(const Place&) const = default;
    };

    // Lines in the view's count: the kept lines, then the line being typed.
    int viewLines() const { return ring.count() + 1; }
    qint64 firstLineNumber() const { return ring.appended() - ring.count(); }
    QString viewLineText(int line) const;
    QString viewLineSlice(int line, int from, int n) const;
    int viewLineLength(int line) const;
    QColor viewLineColour(int line) const;

    LineRing::Colour colourIndex(const QColor& colour);
    void insertAtEnd(QStringView text, LineRing::Colour colour);
    void closeTypedLine();
    bool editTypedLine(const QKeyEvent& event);
    bool scrollByKey(const QKeyEvent& event);

    int columnsPerRow() const;
    int rowsOf(int line) const;
    int visibleRows() const;
    int lastTopLine() const;
    // Scroll bars after the lines changed: at the end the view follows,
    // elsewhere it keeps its top line.
    void linesChanged(bool follow);
    static void setRange(QScrollBar& bar, int maximum, Qt::ScrollBarPolicy policy);
    void setTopLine(int line);

    Place placeAt(const QPoint& point) const;
    Place endPlace() const;
    bool hasSelection() const { return selectionAnchor != selectionEnd; }
    void paintRow(QPainter& painter, int line, int from, int count, int y);
    void paintCaret(QPainter& painter, int column, int y);
    void restartCaret();

    PaneScrollBar* verticalBar;
    PaneScrollBar* horizontalBar;
    LineRing ring;
    // What the colour numbers of the ring stand for; 0 is the text colour.
    std::vector<QColor> colours{QColor()};
    QString typedLine;
    LineRing::Colour typedColour = 0;
    bool readOnly = false;
    LineWrapMode wrapMode = WidgetWidth;
    PaneGlyphs glyphs;
    qint64 topLineNumber = 0;
    bool settingScrollBars = false;
    Place selectionAnchor;
    Place selectionEnd;
    bool selecting = false;
    QBasicTimer caretBlink;
    bool caretShown = false;
};
