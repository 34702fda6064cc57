#include "DirAnswer.h"

#include "MonitorAnswerText.h"

namespace {
constexpr std::uint8_t CarriageReturn = 0x0D;
constexpr std::uint8_t Space = 0x20;
constexpr int SizeBytes = 4;

enum Field { NameField = 0, SizeField = 1, TailField = 2 };
}  // namespace

DirAnswerParser::DirAnswerParser(DirAnswer& answer) : answer(answer) {}

void DirAnswerParser::start() {
    answer = DirAnswer{};
    position = 0;
    done = false;
    overflow = false;
    sizeMisshapen = false;
    firstLineText.clear();
}

bool DirAnswerParser::feed(std::uint8_t b) {
    switch (answer.DirFieldCount) {
        case NameField:
            if (b == Space) {
                firstLineText.append(static_cast<char>(b));
                nextField();
            } else if (b != CarriageReturn) {
                firstLineText.append(static_cast<char>(b));
                store(answer.DirName, b);
            }
            return true;
        case SizeField:
            // A size byte may well be 0x0D: only a carriage return after all
            // four of them ends the field.
            if (b == CarriageReturn && position >= SizeBytes) {
                nextField();
            } else {
                firstLineText.append(static_cast<char>(b));
                store(answer.DirSize, b);
            }
            return true;
        case TailField:
            if (b == Space) {
                nextField();
            } else if (b == CarriageReturn) {
                done = true;
            } else {
                // The prompt line is not used; a long one is no fault.
                if (position < DirAnswer::FieldBytes) {
                    answer.DirTail[static_cast<std::size_t>(position)] = b;
                }
                ++position;
            }
            return true;
        default:
            return false;
    }
}

void DirAnswerParser::store(std::array<std::uint8_t, DirAnswer::FieldBytes>& field,
                            std::uint8_t b) {
    if (position < DirAnswer::FieldBytes) {
        field[static_cast<std::size_t>(position)] = b;
    } else {
        overflow = true;
    }
    ++position;
}

void DirAnswerParser::nextField() {
    if (answer.DirFieldCount == SizeField && position != SizeBytes) {
        sizeMisshapen = true;
    }
    ++answer.DirFieldCount;
    position = 0;
}

void DirAnswerParser::finish() {
    if (position > 0) {
        ++answer.DirFieldCount;
    }
}

DirAnswerParser::Verdict DirAnswerParser::verdict() const {
    if (IsMonitorErrorLine(firstLineText)) {
        return Verdict::ErrorAnswer;
    }
    if (overflow) {
        return Verdict::FieldTooLong;
    }
    if (sizeMisshapen || fileName().isEmpty()) {
        return Verdict::NotAFileEntry;
    }
    return Verdict::FileEntry;
}

std::uint32_t DirAnswerParser::fileSize() const {
    const auto& size = answer.DirSize;
    return std::uint32_t{size[0]} | std::uint32_t{size[1]} << 8 | std::uint32_t{size[2]} << 16 |
           std::uint32_t{size[3]} << 24;
}

QByteArray DirAnswerParser::fileName() const {
    int length = 0;
    for (const std::uint8_t b : answer.DirName) {
        length += b != 0 ? 1 : 0;
    }
    return QByteArray(reinterpret_cast<const char*>(answer.DirName.data()), length);
}
