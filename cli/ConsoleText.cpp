#include "ConsoleText.h"

#include <cstdio>

void PrintResult(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void PrintError(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stderr);
}
