#include "AnswerDecoder.h"

#include <QStringList>
#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "DeviceLink.h"
#include "LineBytes.h"
#include "SpyOptions.h"
#include "SpyPanes.h"

namespace {

using namespace std::string_view_literals;

constexpr std::int32_t Capacity = static_cast<std::int32_t>(AnswerDecoder::BufferSize);

const QString Prefix = QStringLiteral("Ans Decode: ");

struct AnswerPattern {
    bool extendedSet;
    std::string_view line;  // the whole answer line, its CR included
    const char* reading;
};

constexpr AnswerPattern AnswerPatterns[] = {
    {false, ">\r"sv, "Prompt"},
    {false, "e\r"sv, "Echo"},
    {false, "E\r"sv, "Echo"},
    {false, "BC\r"sv, "Bad Command"},
    {false, "ND\r"sv, "No Disk"},
    {true, "No Disk\r"sv, "No Disk"},
    {true, "Bad Command\r"sv, "Bad Command"},
    {true, "D:\\>\r"sv, "Prompt"},
};

bool isWholeLine(const std::uint8_t* bytes, std::int32_t length, std::string_view line) {
    return static_cast<std::size_t>(length) == line.size() &&
           std::memcmp(bytes, line.data(), line.size()) == 0;
}

}  // namespace

AnswerDecoder::AnswerDecoder(Services services) : services(std::move(services)) {}

void AnswerDecoder::FeedAnswerBytes(std::uint32_t count) {
    feed(services.link.ReadBufferA.data(), std::min(count, DeviceLink::BufferSize));
}

void AnswerDecoder::feed(const std::uint8_t* bytes, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        feedByte(bytes[i]);
    }
}

void AnswerDecoder::reset() {
    AnswerLength = 0;
    overlongLineLength = 0;
}

void AnswerDecoder::feedByte(std::uint8_t b) {
    if (overlongLineLength > 0) {
        skipOverlongLine(b);
        return;
    }
    AnswerBuffer[static_cast<std::size_t>(AnswerLength)] = b;
    ++AnswerLength;
    if (b == CarriageReturn) {
        DecodeAnswer();
    } else if (AnswerLength == Capacity) {
        overlongLineLength = AnswerLength;
        AnswerLength = 0;
    }
}

// A line that filled the buffer cannot be read; it is still one line, so it
// gets one reading at its CR and the next line is read as usual.
void AnswerDecoder::skipOverlongLine(std::uint8_t b) {
    ++overlongLineLength;
    if (b == CarriageReturn) {
        services.panes.addReading(
            {Prefix + QStringLiteral("line too long to read (%1 bytes)").arg(overlongLineLength)});
        overlongLineLength = 0;
    }
}

void AnswerDecoder::DecodeAnswer() {
    QString line = Prefix;
    const bool extendedSet = services.options.ExtendedCommandSet;
    for (const AnswerPattern& pattern : AnswerPatterns) {
        if (pattern.extendedSet == extendedSet &&
            isWholeLine(AnswerBuffer.data(), AnswerLength, pattern.line)) {
            line += QLatin1String(pattern.reading);
        }
    }
    services.panes.addReading({line});
    AnswerLength = 0;
}
