#include "SpyRecord.h"

#include <algorithm>

#include "SpyPanes.h"

namespace {

// "Time=123 :" in front of a stamped data line.
const QString StampStart = QStringLiteral("Time=");
const QString StampEnd = QStringLiteral(" :");

// The stamp's milliseconds (empty when the line has none) and the rest.
std::pair<QString, QString> splitStamp(const QString& line) {
    if (!line.startsWith(StampStart)) {
        return {QString(), line};
    }
    const qsizetype end = line.indexOf(StampEnd);
    if (end < 0) {
        return {QString(), line};
    }
    return {line.mid(StampStart.size(), end - StampStart.size()), line.mid(end + StampEnd.size())};
}

QString csvField(const QString& field) {
    // The ASCII pane shows a CR as itself: such a field is quoted, as are
    // those with a comma or a quote.
    const bool plain = std::none_of(field.begin(), field.end(), [](QChar c) {
        return c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
               c == QLatin1Char('\n');
    });
    if (plain) {
        return field;
    }
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

SpyRecord::SpyRecord(QTextStream& out, Format format, PaneLines& messages)
    : out(out), format(format), messages(messages) {
    if (format == Format::Csv) {
        out << "time_ms,kind,hex,text\n";
    }
}

void SpyRecord::Side::addLine(const QString& line, const QColor& colour) {
    if (isHex) {
        record.hexLine(line, colour);
    } else {
        record.asciiLine(line, colour);
    }
}

void SpyRecord::Side::flush() {
    record.out.flush();
}

void SpyRecord::asciiLine(const QString& line, const QColor& colour) {
    if (colour == SpyPanes::Black) {
        messages.addLine(line);
        return;
    }
    pendingText = line;
}

void SpyRecord::hexLine(const QString& line, const QColor& colour) {
    if (format == Format::Text) {
        out << line << '\n';
        return;
    }
    if (colour == SpyPanes::Green) {
        row(QString(), QStringLiteral("reading"), QString(), line);
        return;
    }
    const auto [time, hex] = splitStamp(line);
    const QString kind =
        colour == SpyPanes::Red ? QStringLiteral("command") : QStringLiteral("answer");
    row(time, kind, hex.trimmed(), splitStamp(pendingText).second);
    pendingText.clear();
}

void SpyRecord::row(const QString& time, const QString& kind, const QString& hex,
                    const QString& text) {
    out << csvField(time) << ',' << kind << ',' << csvField(hex) << ',' << csvField(text) << '\n';
}
