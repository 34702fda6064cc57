#include "BridgeBaudRate.h"

std::optional<std::uint32_t> BaudRateFromText(const QString& text) {
    bool isNumber = false;
    const std::uint32_t baudRate = text.trimmed().toUInt(&isNumber, 10);
    if (!isNumber) {
        return std::nullopt;
    }
    return baudRate;
}
