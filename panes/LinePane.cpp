#include "LinePane.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <limits>

#include "PaneScrollBar.h"

namespace {

// Room between the frame and the text, as a plain text editor leaves it.
constexpr int Margin = 4;
constexpr int ToTheEnd = std::numeric_limits<int>::max();

bool isLineBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator;
}

// The keys that type a character, as a plain text editor takes them: not
// with Ctrl (those are commands), and only characters that show or a tab.
bool typesCharacter(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.isEmpty()) {
        return false;
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers == Qt::ControlModifier ||
        modifiers == (Qt::ShiftModifier | Qt::ControlModifier)) {
        return false;
    }
    const QChar c = text.front();
    return c.isPrint() || c == QLatin1Char('\t') || c.category() == QChar::Other_Format ||
           c.category() == QChar::Other_PrivateUse || (c.isHighSurrogate() && text.size() > 1);
}

bool isEnter(const QKeyEvent& event) {
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

// A text as a plain text editor gives it out: a no-break space as a space and
// a line separator as a line break.
QString plain(QString text) {
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

}  // namespace

LinePane::LinePane(QWidget* parent)
    : QAbstractScrollArea(parent),
      verticalBar(new PaneScrollBar(Qt::Vertical, this)),
      horizontalBar(new PaneScrollBar(Qt::Horizontal, this)) {
    setVerticalScrollBar(verticalBar);
    setHorizontalScrollBar(horizontalBar);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    glyphs.setFont(font());
    linesChanged(true);
}

int LinePane::lineCount() const {
    return ring.count() + (typedLine.isEmpty() ? 0 : 1);
}

QString LinePane::lineText(int line) const {
    return viewLineText(line);
}

QColor LinePane::lineColour(int line) const {
    return viewLineColour(line);
}

void LinePane::addLines(QStringView text, const QColor& colour) {
    addLines({{colour, text.toString()}});
}

void LinePane::addLines(const std::vector<ColouredLines>& runs) {
    const bool follow = isAtEnd();
    if (!typedLine.isEmpty()) {
        closeTypedLine();
    }
    for (const ColouredLines& run : runs) {
        insertAtEnd(run.text, colourIndex(run.colour));
    }
    linesChanged(follow);
}

void LinePane::setLineLimit(int lines) {
    const bool follow = isAtEnd();
    ring.setLimit(lines);
    linesChanged(follow);
}

QString LinePane::toPlainText() const {
    QString text;
    for (int line = 0; line < ring.count(); ++line) {
        text += ring.text(line);
        text += QLatin1Char('\n');
    }
    text += typedLine;
    return plain(std::move(text));
}

void LinePane::setPlainText(const QString& text) {
    clear();
    insertAtEnd(text, 0);
    linesChanged(false);
}

void LinePane::appendPlainText(const QString& text) {
    const bool follow = isAtEnd();
    if (ring.count() > 0 || !typedLine.isEmpty()) {
        closeTypedLine();
    }
    insertAtEnd(text, 0);
    linesChanged(follow);
}

void LinePane::clear() {
    ring.clear();
    colours.assign(1, QColor());
    typedLine.clear();
    typedColour = 0;
    selectionAnchor = selectionEnd = endPlace();
    selecting = false;
    topLineNumber = firstLineNumber();
    linesChanged(true);
}

void LinePane::setReadOnly(bool on) {
    readOnly = on;
    restartCaret();
}

void LinePane::setLineWrapMode(LineWrapMode mode) {
    const bool follow = isAtEnd();
    wrapMode = mode;
    setHorizontalScrollBarPolicy(mode == NoWrap ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    linesChanged(follow);
}

bool LinePane::isAtEnd() const {
    return verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

void LinePane::scrollToEnd() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

QString LinePane::selectedText() const {
    const auto [start, end] = std::minmax(selectionAnchor, selectionEnd);
    QStringList lines;
    for (qint64 number = std::max(start.line, firstLineNumber());
         number <= end.line && number <= ring.appended(); ++number) {
        const int line = static_cast<int>(number - firstLineNumber());
        const int from = number == start.line ? start.column : 0;
        const int to = number == end.line ? end.column : ToTheEnd;
        lines << viewLineSlice(line, from, to - from);
    }
    return plain(lines.join(QLatin1Char('\n')));
}

void LinePane::selectAll() {
    selectionAnchor = {firstLineNumber(), 0};
    selectionEnd = endPlace();
    viewport()->update();
}

void LinePane::copy() const {
    if (hasSelection()) {
        QApplication::clipboard()->setText(selectedText());
    }
}

// The keys a window's shortcuts would otherwise take are the pane's while it
// has the focus: copying, and typing when it takes typing. Tab types a tab
// instead of moving the focus on.
bool LinePane::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        const bool typing =
            !readOnly && (typesCharacter(key) || isEnter(key) || key.key() == Qt::Key_Backspace);
        if (typing || key.matches(QKeySequence::Copy) || key.matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto& key = static_cast<QKeyEvent&>(*event);
        if (!readOnly && key.key() == Qt::Key_Tab &&
            !key.modifiers().testFlag(Qt::ControlModifier)) {
            keyPressEvent(&key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void LinePane::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    const int height = viewport()->height();
    const bool wrap = wrapMode == WidgetWidth;
    const int columns = wrap ? columnsPerRow() : viewport()->width() / glyphs.cellWidth() + 1;
    const int firstColumn = wrap ? 0 : horizontalScrollBar()->value();
    const int typing = viewLines() - 1;
    int y = Margin;
    for (int line = verticalScrollBar()->value(); line < viewLines() && y < height; ++line) {
        const int rows = rowsOf(line);
        for (int row = 0; row < rows && y < height; ++row, y += glyphs.lineHeight()) {
            const int from = wrap ? row * columns : firstColumn;
            paintRow(painter, line, from, columns, y);
            if (line == typing && row == rows - 1) {
                paintCaret(painter, viewLineLength(line) - from, y);
            }
        }
    }
}

void LinePane::resizeEvent(QResizeEvent* event) {
    const bool follow = isAtEnd();
    QAbstractScrollArea::resizeEvent(event);
    linesChanged(follow);
}

void LinePane::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        const bool follow = isAtEnd();
        glyphs.setFont(font());
        linesChanged(follow);
    }
    QAbstractScrollArea::changeEvent(event);
}

void LinePane::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        verticalScrollBar()->setValue(0);
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        scrollToEnd();
    } else if (readOnly || !editTypedLine(*event)) {
        // Page Up and Down, the arrows: the scroll bars take them.
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void LinePane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    selectionEnd = placeAt(event->position().toPoint());
    if (!event->modifiers().testFlag(Qt::ShiftModifier)) {
        selectionAnchor = selectionEnd;
    }
    selecting = true;
    viewport()->update();
}

// Dragging past the top or the bottom scrolls on, a line at a time.
void LinePane::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting) {
        return;
    }
    const QPoint point = event->position().toPoint();
    if (point.y() < 0) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (point.y() > viewport()->height()) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
    selectionEnd = placeAt(point);
    viewport()->update();
}

void LinePane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !selecting) {
        return;
    }
    selecting = false;
    QClipboard& clipboard = *QApplication::clipboard();
    if (hasSelection() && clipboard.supportsSelection()) {
        clipboard.setText(selectedText(), QClipboard::Selection);
    }
}

// A double click selects the word under the pointer: what stands between
// two spaces.
void LinePane::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const Place place = placeAt(event->position().toPoint());
    const QString text = viewLineText(static_cast<int>(place.line - firstLineNumber()));
    int start = place.column;
    int end = place.column;
    while (start > 0 && !text[start - 1].isSpace()) {
        --start;
    }
    while (end < text.size() && !text[end].isSpace()) {
        ++end;
    }
    selectionAnchor = {place.line, start};
    selectionEnd = {place.line, end};
    viewport()->update();
}

void LinePane::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"), this, &LinePane::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    menu.addSeparator();
    menu.addAction(tr("Select All"), this, &LinePane::selectAll)
        ->setShortcut(QKeySequence::SelectAll);
    menu.exec(event->globalPos());
}

void LinePane::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartCaret();
}

void LinePane::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    restartCaret();
}

void LinePane::timerEvent(QTimerEvent* event) {
    if (event->timerId() != caretBlink.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    caretShown = !caretShown;
    viewport()->update();
}

// The scroll bars say which line stands at the top; the view keeps that
// line by its number, so lines dropped above it do not move the view.
void LinePane::scrollContentsBy(int /*dx*/, int /*dy*/) {
    if (!settingScrollBars) {
        topLineNumber = firstLineNumber() + verticalScrollBar()->value();
    }
    viewport()->update();
}

QString LinePane::viewLineText(int line) const {
    return line < ring.count() ? ring.text(line) : typedLine;
}

QString LinePane::viewLineSlice(int line, int from, int n) const {
    if (line < ring.count()) {
        return ring.slice(line, from, n);
    }
    from = std::clamp(from, 0, static_cast<int>(typedLine.size()));
    return typedLine.mid(from, std::clamp(n, 0, static_cast<int>(typedLine.size()) - from));
}

int LinePane::viewLineLength(int line) const {
    return line < ring.count() ? ring.length(line) : static_cast<int>(typedLine.size());
}

QColor LinePane::viewLineColour(int line) const {
    return colours[line < ring.count() ? ring.colour(line) : typedColour];
}

// The few colours of a pane get a number each; should a pane ever be given
// more than a number holds, the rest take the text colour.
LineRing::Colour LinePane::colourIndex(const QColor& colour) {
    if (!colour.isValid()) {
        return 0;
    }
    const auto known = std::find(colours.begin() + 1, colours.end(), colour);
    if (known != colours.end()) {
        return static_cast<LineRing::Colour>(known - colours.begin());
    }
    if (colours.size() > std::numeric_limits<LineRing::Colour>::max()) {
        return 0;
    }
    colours.push_back(colour);
    return static_cast<LineRing::Colour>(colours.size() - 1);
}

// Text goes in at the end as a text document takes it: each line break (a
// carriage return and a line feed together count as one) closes the line
// being typed, and what follows the last break is left typed.
void LinePane::insertAtEnd(QStringView text, LineRing::Colour colour) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineBreak(text[i])) {
            continue;
        }
        const QStringView line = text.sliced(start, i - start);
        if (typedLine.isEmpty()) {
            ring.append(line, colour);
        } else {
            typedLine += line;
            closeTypedLine();
        }
        if (text[i] == QLatin1Char('\r') && i + 1 < text.size() &&
            text[i + 1] == QLatin1Char('\n')) {
            ++i;
        }
        start = i + 1;
    }
    if (start < text.size()) {
        if (typedLine.isEmpty()) {
            typedColour = colour;
        }
        typedLine += text.sliced(start);
    }
}

void LinePane::closeTypedLine() {
    ring.append(typedLine, typedColour);
    typedLine.clear();
    typedColour = 0;
}

bool LinePane::editTypedLine(const QKeyEvent& event) {
    if (isEnter(event)) {
        closeTypedLine();
    } else if (event.key() == Qt::Key_Backspace) {
        if (!typedLine.isEmpty()) {
            const bool pair = typedLine.size() > 1 && typedLine.back().isLowSurrogate();
            typedLine.chop(pair ? 2 : 1);
        } else if (ring.count() > 0) {
            // At the start of the line, Backspace takes the line break.
            typedLine = ring.takeLast(&typedColour);
        }
    } else if (typesCharacter(event)) {
        typedLine += event.text();
    } else {
        return false;
    }
    linesChanged(true);
    restartCaret();
    return true;
}

int LinePane::columnsPerRow() const {
    if (wrapMode == NoWrap) {
        return ToTheEnd;
    }
    return std::max(1, (viewport()->width() - 2 * Margin) / glyphs.cellWidth());
}

int LinePane::rowsOf(int line) const {
    if (wrapMode == NoWrap) {
        return 1;
    }
    const int columns = columnsPerRow();
    return std::max(1, (viewLineLength(line) + columns - 1) / columns);
}

int LinePane::visibleRows() const {
    return std::max(1, (viewport()->height() - Margin) / glyphs.lineHeight());
}

// The top line that shows the last line whole at the bottom: found from the
// end, over the lines that fit in the view only.
int LinePane::lastTopLine() const {
    const int lines = viewLines();
    if (wrapMode == NoWrap) {
        return std::max(0, lines - visibleRows());
    }
    int rows = 0;
    for (int line = lines - 1; line >= 0; --line) {
        rows += rowsOf(line);
        if (rows > visibleRows()) {
            return std::min(line + 1, lines - 1);
        }
    }
    return 0;
}

void LinePane::linesChanged(bool follow) {
    settingScrollBars = true;
    verticalBar->hold();
    horizontalBar->hold();
    QScrollBar& vertical = *verticalScrollBar();
    const int last = lastTopLine();
    setRange(*verticalBar, last, verticalScrollBarPolicy());
    vertical.setPageStep(visibleRows());
    const qint64 kept = topLineNumber - firstLineNumber();
    vertical.setValue(follow ? last : static_cast<int>(std::clamp<qint64>(kept, 0, last)));
    topLineNumber = firstLineNumber() + vertical.value();
    if (wrapMode == NoWrap) {
        const int columns = std::max(1, (viewport()->width() - 2 * Margin) / glyphs.cellWidth());
        const int longest = std::max(ring.longest(), static_cast<int>(typedLine.size()));
        setRange(*horizontalBar, std::max(0, longest + 1 - columns), horizontalScrollBarPolicy());
        horizontalScrollBar()->setPageStep(columns);
    }
    verticalBar->release();
    horizontalBar->release();
    settingScrollBars = false;
    viewport()->update();
}

// The scroll area lays out its frame again at every change of a bar's range,
// which repaints both bars: at each insertion into a growing pane that cost
// more than painting its lines. It is told only when a bar that shows as
// needed comes or goes.
void LinePane::setRange(QScrollBar& bar, int maximum, Qt::ScrollBarPolicy policy) {
    const bool wasNeeded = bar.maximum() > 0;
    const bool blocked = bar.blockSignals(true);
    bar.setRange(0, maximum);
    bar.blockSignals(blocked);
    if (policy == Qt::ScrollBarAsNeeded && wasNeeded != (maximum > 0)) {
        emit bar.rangeChanged(0, maximum);
    }
}

LinePane::Place LinePane::placeAt(const QPoint& point) const {
    const bool wrap = wrapMode == WidgetWidth;
    const int columns = columnsPerRow();
    const int column = (point.x() - Margin + glyphs.cellWidth() / 2) / glyphs.cellWidth() +
                       (wrap ? 0 : horizontalScrollBar()->value());
    int y = Margin;
    for (int line = verticalScrollBar()->value(); line < viewLines(); ++line) {
        const int rows = rowsOf(line);
        if (point.y() < y + rows * glyphs.lineHeight()) {
            const int row = std::max(0, point.y() - y) / glyphs.lineHeight();
            const int rowStart = wrap ? row * columns : 0;
            const int rowEnd = wrap ? rowStart + columns : ToTheEnd;
            const int at = std::clamp(rowStart + std::max(0, column), rowStart, rowEnd);
            return {firstLineNumber() + line, std::min(at, viewLineLength(line))};
        }
        y += rows * glyphs.lineHeight();
    }
    return endPlace();
}

LinePane::Place LinePane::endPlace() const {
    return {ring.appended(), static_cast<int>(typedLine.size())};
}

// One row of a line: its characters from column from on, in the line's
// colour, and over them the selected part in the selection's colours (with
// one cell more where the selection takes the line break too).
void LinePane::paintRow(QPainter& painter, int line, int from, int count, int y) {
    const QString text = viewLineSlice(line, from, count);
    const QColor colour = viewLineColour(line);
    painter.setPen(colour.isValid() ? colour : palette().color(QPalette::Text));
    glyphs.paint(painter, Margin, y, text);

    const qint64 number = firstLineNumber() + line;
    const auto [start, end] = std::minmax(selectionAnchor, selectionEnd);
    if (start == end || number < start.line || number > end.line) {
        return;
    }
    const int rowEnd = from + static_cast<int>(text.size());
    const bool lastRow = rowEnd == viewLineLength(line);
    const int selectedFrom = std::max(number == start.line ? start.column : 0, from);
    const int selectedTo =
        number == end.line ? std::min(end.column, rowEnd) : rowEnd + (lastRow ? 1 : 0);
    if (selectedFrom >= selectedTo) {
        return;
    }
    const int x = Margin + (selectedFrom - from) * glyphs.cellWidth();
    painter.fillRect(x, y, (selectedTo - selectedFrom) * glyphs.cellWidth(), glyphs.lineHeight(),
                     palette().brush(QPalette::Highlight));
    painter.setPen(palette().color(QPalette::HighlightedText));
    glyphs.paint(
        painter, x, y,
        QStringView(text).sliced(selectedFrom - from, std::min(selectedTo, rowEnd) - selectedFrom));
}

void LinePane::paintCaret(QPainter& painter, int column, int y) {
    if (!caretShown) {
        return;
    }
    painter.fillRect(Margin + column * glyphs.cellWidth(), y, 1, glyphs.lineHeight(),
                     palette().color(QPalette::Text));
}

// The caret blinks at the end of the line being typed while the pane has the
// focus and takes typing; a key shows it at once.
void LinePane::restartCaret() {
    caretShown = hasFocus() && !readOnly;
    if (caretShown) {
        caretBlink.start(std::max(100, QApplication::cursorFlashTime() / 2), this);
    } else {
        caretBlink.stop();
    }
    viewport()->update();
}
