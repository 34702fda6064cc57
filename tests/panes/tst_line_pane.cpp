// The line pane on its own: the lines and colours that added text and typing
// leave in it, its text as a plain text editor gives it, the view held or
// following while lines arrive, and a selection copied while they arrive.
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

#include "LinePane.h"
#include "PaneText.h"

namespace {

// A step on a pane: "+text" adds the text's lines in the row's colour,
// "k:keys" types the keys (\r is Enter, \b Backspace).
void apply(LinePane& pane, const QStringList& steps, const QColor& colour) {
    for (const QString& step : steps) {
        if (step.startsWith(QLatin1Char('+'))) {
            pane.addLines(step.mid(1), colour);
            continue;
        }
        for (QChar key : step.mid(2)) {
            if (key == QLatin1Char('\r')) {
                QTest::keyClick(&pane, Qt::Key_Return);
            } else if (key == QLatin1Char('\b')) {
                QTest::keyClick(&pane, Qt::Key_Backspace);
            } else {
                QTest::keyClicks(&pane, QString(key));
            }
        }
    }
}

QStringList numberedLines(int first, int count) {
    QStringList lines;
    for (int i = first; i < first + count; ++i) {
        lines << QStringLiteral("L%1").arg(i);
    }
    return lines;
}

}  // namespace

class LinePaneTest : public QObject {
    Q_OBJECT

  private slots:
    void linesAndText_data();
    void linesAndText();
    void view_data();
    void view();
    void selectionIsCopiedWhileLinesArrive();
};

void LinePaneTest::linesAndText_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QStringList>("lines");
    // Whether each line is one added in the row's colour (or typed).
    QTest::addColumn<QList<bool>>("added");
    QTest::addColumn<QString>("plainText");

    const QList<bool> allAdded{true, true, true};
    QTest::newRow("lines ended by line feeds")
        << QStringList{"+a\nb\n"} << false << QStringList{"a", "b"} << allAdded << "a\nb\n";
    QTest::newRow("CR LF is one break, CR and LF alone one each")
        << QStringList{"+a\r\nb\rc\n"} << false << QStringList{"a", "b", "c"} << allAdded
        << "a\nb\nc\n";
    QTest::newRow("a CR that ends a line ends it")
        << QStringList{"+D:\\>\r\n"} << false << QStringList{"D:\\>"} << allAdded << "D:\\>\n";
    QTest::newRow("typed text stays a line of its own")
        << QStringList{"k:ab", "+x\n"} << false << QStringList{"ab", "x"}
        << QList<bool>{false, true} << "ab\nx\n";
    QTest::newRow("Enter starts a new line")
        << QStringList{"k:ab\r"} << false << QStringList{"ab"} << QList<bool>{false} << "ab\n";
    QTest::newRow("Backspace takes characters, then the line break")
        << QStringList{"+x\n", "k:ab\b\b\by"} << false << QStringList{"xy"} << allAdded << "xy";
    QTest::newRow("a no-break space reads as a space")
        << QStringList{QString("+a") + QChar::Nbsp + "b\n"} << false
        << QStringList{QString("a") + QChar::Nbsp + "b"} << allAdded << "a b\n";
    QTest::newRow("a read-only pane takes no typing")
        << QStringList{"+x\n", "k:ab\r"} << true << QStringList{"x"} << allAdded << "x\n";
}

void LinePaneTest::linesAndText() {
    QFETCH(QStringList, steps);
    QFETCH(bool, readOnly);
    QFETCH(QStringList, lines);
    QFETCH(QList<bool>, added);
    QFETCH(QString, plainText);

    LinePane pane;
    pane.setReadOnly(readOnly);
    const QColor colour(0, 0, 255);
    apply(pane, steps, colour);

    QCOMPARE(lineTexts(pane), lines);
    for (int line = 0; line < pane.lineCount(); ++line) {
        QCOMPARE(pane.lineColour(line), added[line] ? colour : QColor());
    }
    QCOMPARE(pane.toPlainText(), plainText);
}

void LinePaneTest::view_data() {
    QTest::addColumn<int>("lineLimit");
    QTest::addColumn<int>("linesUp");
    QTest::addColumn<bool>("backToTheEnd");
    QTest::addColumn<bool>("follows");

    QTest::newRow("at the end the view follows") << 0 << 0 << false << true;
    QTest::newRow("scrolled up the view stays") << 0 << 10 << false << false;
    QTest::newRow("scrolled up, the oldest lines dropped: the view stays on its lines")
        << 60 << 10 << false << false;
    QTest::newRow("back at the end the view follows again") << 0 << 10 << true << true;
}

void LinePaneTest::view() {
    QFETCH(int, lineLimit);
    QFETCH(int, linesUp);
    QFETCH(bool, backToTheEnd);
    QFETCH(bool, follows);

    LinePane pane;
    pane.setLineLimit(lineLimit);
    pane.resize(300, 120);
    pane.show();
    pane.addLines(numberedLines(0, 50).join('\n') + '\n');
    QScrollBar& bar = *pane.verticalScrollBar();
    bar.setValue(bar.maximum() - linesUp);
    if (backToTheEnd) {
        QTest::keyClick(&pane, Qt::Key_End, Qt::ControlModifier);
    }
    const QString top = pane.lineText(bar.value());

    pane.addLines(numberedLines(50, 30).join('\n') + '\n');
    QCOMPARE(bar.value() == bar.maximum(), follows);
    QCOMPARE(pane.isAtEnd(), follows);
    QCOMPARE(pane.lineText(bar.value()),
             follows ? QString("L%1").arg(80 - bar.pageStep() + 1) : top);
}

void LinePaneTest::selectionIsCopiedWhileLinesArrive() {
    LinePane pane;
    pane.resize(300, 300);
    pane.show();
    pane.addLines(numberedLines(0, 10).join('\n') + '\n');
    const int height = pane.fontMetrics().lineSpacing();
    const int width = pane.fontMetrics().horizontalAdvance(QLatin1Char('0'));
    // From the start of line 1 to the end of line 2, under a margin of 4.
    const auto at = [&](int column, int line) {
        return QPoint(4 + column * width + 1, 4 + line * height + height / 2);
    };
    QTest::mousePress(pane.viewport(), Qt::LeftButton, {}, at(0, 1));
    QTest::mouseMove(pane.viewport(), at(2, 2));
    QTest::mouseRelease(pane.viewport(), Qt::LeftButton, {}, at(2, 2));

    pane.addLines(numberedLines(10, 40).join('\n') + '\n');
    QTest::keyClick(&pane, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("L1\nL2"));
}

QTEST_MAIN(LinePaneTest)
#include "tst_line_pane.moc"
