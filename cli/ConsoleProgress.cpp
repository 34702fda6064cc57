#include "ConsoleProgress.h"

#include <unistd.h>

#include <cstdio>

#include "Clock.h"

namespace {
// Redrawing more often is noise on a terminal and costs the transfer time.
constexpr std::int64_t RedrawIntervalMs = 200;
}  // namespace

ConsoleProgress::ConsoleProgress(Clock& clock, QString what, bool quiet)
    : clock(clock), what(std::move(what)), shown(!quiet && isatty(STDERR_FILENO) == 1) {}

ConsoleProgress::~ConsoleProgress() {
    finish();
}

void ConsoleProgress::start(std::uint64_t bytes) {
    total = bytes;
    started = true;
    startMs = clock.milliseconds();
    lastShownMs = -1;
    show(0);
}

void ConsoleProgress::show(std::uint64_t done) {
    const std::int64_t now = clock.milliseconds();
    if (!shown || (lastShownMs >= 0 && now - lastShownMs < RedrawIntervalMs && done < total)) {
        return;
    }
    lastShownMs = now;
    const double seconds = static_cast<double>(now - startMs) / 1000.0;
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    const QString left =
        rate > 0 && done < total
            ? QStringLiteral("%1 s left").arg(static_cast<double>(total - done) / rate, 0, 'f', 0)
            : QString();
    const QString line = QStringLiteral("\r%1: %2 of %3 bytes, %4 bytes/s %5")
                             .arg(what)
                             .arg(done)
                             .arg(total)
                             .arg(static_cast<std::uint64_t>(rate))
                             .arg(left);
    // The line is cleared to its end: a shorter line leaves no tail behind.
    std::fputs(qPrintable(line + QStringLiteral("\033[K")), stderr);
    open = true;
}

void ConsoleProgress::finish() {
    started = false;
    if (open) {
        std::fputs("\n", stderr);
        open = false;
    }
}
