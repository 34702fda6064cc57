#include "ProgressMeter.h"

#include "Clock.h"

void ProgressMeter::start(std::optional<std::uint64_t> total) {
    whole = total;
    started = true;
    first.reset();
    lastDrawnMs = -1;
}

std::optional<QString> ProgressMeter::report(std::uint64_t done) {
    const std::int64_t now = clock.milliseconds();
    if (!first && done > 0) {
        first = Reading{done, now};
    }
    const bool complete = whole && done >= *whole;
    if (lastDrawnMs >= 0 && now - lastDrawnMs < RedrawIntervalMs && !complete) {
        return std::nullopt;
    }
    lastDrawnMs = now;
    QString text = whole ? QStringLiteral("%1 of %2 bytes").arg(done).arg(*whole)
                         : QStringLiteral("%1 bytes").arg(done);
    if (!first || done <= first->done || now <= first->ms) {
        return text;
    }
    const double rate =
        static_cast<double>(done - first->done) * 1000.0 / static_cast<double>(now - first->ms);
    text += QStringLiteral(", %1 bytes/s").arg(static_cast<std::uint64_t>(rate));
    if (whole && !complete) {
        text +=
            QStringLiteral(", %1 s left").arg(static_cast<double>(*whole - done) / rate, 0, 'f', 0);
    }
    return text;
}
