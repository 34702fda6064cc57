#include "ConsoleProgress.h"

#include <unistd.h>

#include <cstdio>

ConsoleProgress::ConsoleProgress(Clock& clock, QString what, bool quiet)
    : meter(clock), what(std::move(what)), shown(!quiet && isatty(STDERR_FILENO) == 1) {}

ConsoleProgress::~ConsoleProgress() {
    finish();
}

void ConsoleProgress::start(std::uint64_t total) {
    meter.start(total);
    show(0);
}

void ConsoleProgress::show(std::uint64_t done) {
    if (!shown) {
        return;
    }
    const std::optional<QString> figures = meter.report(done);
    if (!figures) {
        return;
    }
    // The line is cleared to its end: a shorter line leaves no tail behind.
    const QString line = QStringLiteral("\r%1: %2\033[K").arg(what, *figures);
    std::fputs(qPrintable(line), stderr);
    open = true;
}

void ConsoleProgress::finish() {
    meter.stop();
    if (open) {
        std::fputs("\n", stderr);
        open = false;
    }
}
