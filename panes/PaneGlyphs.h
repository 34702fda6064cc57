#pragma once

#include <QFont>
#include <QRawFont>
#include <QString>
#include <QStringView>
#include <array>

class QPainter;

// A pane's characters as glyphs of one font, looked up once: every
// character takes one cell of the font's character width, so a column is a
// position without laying out any text. Painting a row is then one run of
// glyphs, with no shaping. Control characters and other characters without
// a picture of their own show as blank cells.
class PaneGlyphs {
  public:
    void setFont(const QFont& font);

    int cellWidth() const { return cell; }
    int lineHeight() const { return height; }

    // Paints text with its first cell's top left corner at (x, y).
    void paint(QPainter& painter, int x, int y, QStringView text) const;

  private:
    QFont font;
    QRawFont raw;
    std::array<quint32, 256> latin1Glyphs{};
    int cell = 1;
    int height = 1;
    int ascent = 0;
};
