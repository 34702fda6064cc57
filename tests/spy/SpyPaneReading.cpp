#include "SpyPaneReading.h"

#include "LinePane.h"

QList<PaneLine> paneLines(const LinePane& pane) {
    QList<PaneLine> lines;
    for (int line = 0; line < pane.lineCount(); ++line) {
        lines.append({pane.lineText(line), pane.lineColour(line)});
    }
    return lines;
}

QStringList linesOf(const QList<PaneLine>& lines, const QColor& colour) {
    QStringList texts;
    for (const PaneLine& line : lines) {
        if (line.colour == colour) {
            texts << line.text;
        }
    }
    return texts;
}

QByteArray hexLineBytes(const QString& line) {
    const qsizetype data = line.startsWith(QLatin1String("Time=")) ? line.indexOf(" :") + 2 : 0;
    return QByteArray::fromHex(line.mid(data).toLatin1());
}

QByteArray bytesShown(const QList<PaneLine>& lines, const QColor& colour) {
    QByteArray bytes;
    for (const QString& line : linesOf(lines, colour)) {
        bytes += hexLineBytes(line);
    }
    return bytes;
}

qint64 stampOf(const QString& line) {
    if (!line.startsWith(QLatin1String("Time="))) {
        return -1;
    }
    return line.mid(5, line.indexOf(" :") - 5).toLongLong();
}
