#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

class LinePane;

// A pane of the Spy Mode page as a user reads it: its lines with their
// colours, and the bytes its data lines of one colour show.
struct PaneLine {
    QString text;
    QColor colour;
};

// A pane's lines with their colours, as the pane gives them.
QList<PaneLine> paneLines(const LinePane& pane);
QStringList linesOf(const QList<PaneLine>& lines, const QColor& colour);
// The bytes of HEX data lines "Time=N :XX XX ..." (or without the stamp).
QByteArray hexLineBytes(const QString& line);
QByteArray bytesShown(const QList<PaneLine>& lines, const QColor& colour);
// The stamp of a data line, -1 when it has none.
qint64 stampOf(const QString& line);
