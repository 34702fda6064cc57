#include "WirePace.h"

#include <algorithm>
#include <limits>

void WirePace::setLine(std::uint32_t baudRate, unsigned bitsPerCharacter, Clock::time_point now) {
    drain(now);
    bytesPerSecond = bitsPerCharacter == 0 ? 0 : double(baudRate) / bitsPerCharacter;
}

void WirePace::drain(Clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - last).count();
    ahead = std::max(0.0, ahead - seconds * bytesPerSecond);
    last = now;
}

std::size_t WirePace::room(Clock::time_point now) {
    if (bytesPerSecond <= 0) {
        return std::numeric_limits<std::size_t>::max();
    }
    drain(now);
    return ahead >= double(Lead) ? 0 : Lead - static_cast<std::size_t>(ahead);
}

void WirePace::took(std::size_t count, Clock::time_point now) {
    if (bytesPerSecond > 0) {
        drain(now);
        ahead += double(count);
    }
}

WirePace::Clock::time_point WirePace::roomAt(std::size_t count, Clock::time_point now) {
    if (bytesPerSecond <= 0) {
        return now;
    }
    drain(now);
    const double excess = ahead + double(std::min(count, Lead)) - double(Lead);
    if (excess <= 0) {
        return now;
    }
    return now + std::chrono::duration_cast<Clock::duration>(
                     std::chrono::duration<double>(excess / bytesPerSecond));
}
