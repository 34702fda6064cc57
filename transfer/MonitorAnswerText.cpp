#include "MonitorAnswerText.h"

#include "LineBytes.h"

namespace {
constexpr QByteArrayView ExtendedPrompt = "D:\\>";
constexpr QByteArrayView ShortPrompt = ">";
}  // namespace

bool IsMonitorPrompt(QByteArrayView line) {
    return line == ExtendedPrompt || line == ShortPrompt;
}

QString PrintableAnswer(QByteArrayView line) {
    QString text;
    for (const char c : line) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 0x20 && b < 0x7F) {
            text += QLatin1Char(c);
        } else {
            text += QStringLiteral("<%1>").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        }
    }
    return text;
}

std::optional<QByteArray> LineBeforeClosingPrompt(QByteArrayView bytes) {
    if (!bytes.endsWith(CarriageReturn)) {
        return std::nullopt;
    }
    const QByteArrayView lines = bytes.chopped(1);
    const qsizetype promptStart = lines.lastIndexOf(CarriageReturn) + 1;
    if (promptStart == 0 || !IsMonitorPrompt(lines.sliced(promptStart))) {
        return std::nullopt;
    }
    const QByteArrayView before = lines.first(promptStart - 1);
    const QByteArrayView line = before.sliced(before.lastIndexOf(CarriageReturn) + 1);
    if (line.isEmpty()) {
        return std::nullopt;
    }
    return line.toByteArray();
}

void AnswerLines::add(std::uint8_t b) {
    if (b != CarriageReturn) {
        // Enough of a line to tell what it is and to report it.
        if (current.size() < LongestLine) {
            current.append(static_cast<char>(b));
        }
        return;
    }
    if (IsMonitorPrompt(current)) {
        ++promptLines;
    } else if (!current.isEmpty() && !hasUnexpectedLine) {
        hasUnexpectedLine = true;
        unexpectedFirst = linesEnded == 0;
        unexpected = current;
    }
    ++linesEnded;
    current.clear();
}
