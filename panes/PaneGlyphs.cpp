#include "PaneGlyphs.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QVarLengthArray>
#include <algorithm>

namespace {

// A character painted as a blank cell: the link's control bytes, and the
// characters a font draws as a space anyway.
bool blank(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0xA0);
}

}  // namespace

void PaneGlyphs::setFont(const QFont& newFont) {
    font = newFont;
    const QFontMetrics metrics(font);
    cell = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
    height = std::max(1, metrics.lineSpacing());
    ascent = metrics.ascent();
    raw = QRawFont::fromFont(font);
    QString latin1(256, QLatin1Char(' '));
    for (int c = 0; c < 256; ++c) {
        if (!blank(static_cast<char16_t>(c))) {
            latin1[c] = QChar(c);
        }
    }
    const QList<quint32> indexes =
        raw.isValid() ? raw.glyphIndexesForString(latin1) : QList<quint32>();
    latin1Glyphs.fill(0);
    std::copy_n(indexes.begin(), std::min<qsizetype>(indexes.size(), 256), latin1Glyphs.begin());
}

void PaneGlyphs::paint(QPainter& painter, int x, int y, QStringView text) const {
    const bool latin1 =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    if (!latin1 || !raw.isValid()) {
        // Text beyond Latin-1 is rare (a file name in a message, a key with
        // no byte on the link): laid out as it stands, one cell a character.
        painter.setFont(font);
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (!blank(text[i].unicode())) {
                painter.drawText(QPoint(x + static_cast<int>(i) * cell, y + ascent),
                                 QString(text[i]));
            }
        }
        return;
    }
    QVarLengthArray<quint32, 256> indexes;
    QVarLengthArray<QPointF, 256> positions;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!blank(c)) {
            indexes.append(latin1Glyphs[c]);
            positions.append(QPointF(x + static_cast<qreal>(i) * cell, y + ascent));
        }
    }
    if (indexes.isEmpty()) {
        return;
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setRawData(indexes.constData(), positions.constData(), static_cast<int>(indexes.size()));
    painter.drawGlyphRun(QPointF(0, 0), run);
}
