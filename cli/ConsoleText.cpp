#include "ConsoleText.h"

#include <algorithm>
#include <cstdio>

void PrintResult(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void PrintError(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stderr);
}

QString RateLine(std::uint64_t bytes, std::int64_t nanoseconds) {
    const double seconds = static_cast<double>(std::max<std::int64_t>(nanoseconds, 1)) / 1e9;
    return QStringLiteral("%1 bytes in %2 s, %3 bytes/s")
        .arg(bytes)
        .arg(seconds, 0, 'f', 3)
        .arg(static_cast<std::uint64_t>(static_cast<double>(bytes) / seconds));
}
