#include "TerminalStream.h"

std::vector<std::uint8_t> terminalStream(std::uint64_t first, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint64_t i = first + k;
        const auto b = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
        bytes[k] = b == 0x0D ? 0x0E : b;
    }
    return bytes;
}

QString hexPaneLine(const std::uint8_t* bytes, int count) {
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("%1 ").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}
