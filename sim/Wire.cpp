#include "Wire.h"

#include <cmath>

namespace wire {

std::int64_t byteTimeNs(std::uint32_t baudRate) {
    const std::uint32_t rate = baudRate == 0 ? 1 : baudRate;
    return bitsPerByte * 1'000'000'000LL / rate;
}

bool ratesAgree(std::uint32_t senderRate, std::uint32_t receiverRate) {
    if (senderRate == 0 || receiverRate == 0) {
        return false;
    }
    const double difference = std::fabs(double(senderRate) - double(receiverRate));
    return difference <= rateTolerance * double(receiverRate);
}

std::uint8_t received(std::uint8_t byte, std::uint32_t senderRate, std::uint32_t receiverRate) {
    if (ratesAgree(senderRate, receiverRate)) {
        return byte;
    }
    // The receiver samples the sender's bits at the wrong places; a mask
    // derived from the rate ratio stands in for that, and is never zero, so
    // the byte always changes.
    const double ratio = double(senderRate) / double(receiverRate == 0 ? 1 : receiverRate);
    const auto ratioCode = static_cast<std::uint32_t>(std::lround(std::log2(ratio) * 64.0));
    std::uint8_t mask = static_cast<std::uint8_t>((ratioCode * 0x9Du + 0x5Au) & 0xFFu);
    if (mask == 0) {
        mask = 0xA5;
    }
    return static_cast<std::uint8_t>(byte ^ mask);
}

}  // namespace wire
