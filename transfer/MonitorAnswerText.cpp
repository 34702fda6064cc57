#include "MonitorAnswerText.h"

#include <array>

namespace {
constexpr std::uint8_t CarriageReturn = 0x0D;

constexpr std::array<QByteArrayView, 8> ErrorLines = {
    "Bad Command", "No Disk", "Command Failed", "Disk Full", "BC", "ND", "CF", "DF"};
}  // namespace

bool IsMonitorErrorLine(QByteArrayView line) {
    for (const QByteArrayView error : ErrorLines) {
        if (line == error) {
            return true;
        }
    }
    return false;
}

void AnswerLines::add(std::uint8_t b) {
    if (b != CarriageReturn) {
        // A line longer than any answer line is data, not an answer.
        if (current.size() <= LongestLine) {
            current.append(static_cast<char>(b));
        }
        return;
    }
    if (current.endsWith('>')) {
        ++promptLines;
    }
    if (error.isEmpty() && IsMonitorErrorLine(current)) {
        error = current;
    }
    current.clear();
}
