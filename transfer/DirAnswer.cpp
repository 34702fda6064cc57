#include "DirAnswer.h"

#include "LineBytes.h"
#include "MonitorAnswerText.h"

namespace {
constexpr int SizeBytes = 4;

enum Field { NameField = 0, SizeField = 1, TailField = 2 };
}  // namespace

DirAnswerParser::DirAnswerParser(DirAnswer& answer) : answer(answer) {}

void DirAnswerParser::start() {
    answer = DirAnswer{};
    position = 0;
    done = false;
    overflow = false;
    shapeBroken = false;
    firstLineText.clear();
    tailLine.clear();
    rawLine.clear();
    firstRawLine.clear();
}

bool DirAnswerParser::feed(std::uint8_t b) {
    const bool belongs = feedField(b);
    if (belongs) {
        collectRawLine(b);
    }
    return belongs;
}

bool DirAnswerParser::feedField(std::uint8_t b) {
    switch (answer.DirFieldCount) {
        case NameField:
            if (b == Space) {
                firstLineText.append(static_cast<char>(b));
                nextField();
            } else if (b != CarriageReturn) {
                firstLineText.append(static_cast<char>(b));
                store(answer.DirName, b);
            } else if (position > 0) {
                // Only carriage returns before the name are the answer's
                // own; one after it ends a line that had no size.
                shapeBroken = true;
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
                shapeBroken = true;
                nextField();
            } else if (b == CarriageReturn) {
                done = true;
            } else {
                // Only a prompt line is good here; a long line is reported,
                // not stored past the field.
                if (position < DirAnswer::FieldBytes) {
                    answer.DirTail[static_cast<std::size_t>(position)] = b;
                }
                if (tailLine.size() < AnswerLines::LongestLine) {
                    tailLine.append(static_cast<char>(b));
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
        shapeBroken = true;
    }
    ++answer.DirFieldCount;
    position = 0;
}

void DirAnswerParser::finish() {
    if (position > 0) {
        ++answer.DirFieldCount;
    }
}

void DirAnswerParser::collectRawLine(std::uint8_t b) {
    if (b != CarriageReturn) {
        if (rawLine.size() < AnswerLines::LongestLine) {
            rawLine.append(static_cast<char>(b));
        }
        return;
    }
    if (firstRawLine.isEmpty()) {
        firstRawLine = rawLine;
    }
    rawLine.clear();
}

// A name, a space and exactly four size bytes ended by a carriage return.
bool DirAnswerParser::entryLineShaped() const {
    return answer.DirFieldCount >= TailField && !shapeBroken && !fileName().isEmpty();
}

DirAnswerParser::Verdict DirAnswerParser::verdict(QByteArrayView askedName) const {
    if (!done || !entryLineShaped()) {
        return Verdict::NotAFileEntry;
    }
    if (overflow) {
        return Verdict::FieldTooLong;
    }
    if (!IsMonitorPrompt(tailLine)) {
        return Verdict::NotAFileEntry;
    }
    if (QByteArrayView(fileName()).compare(askedName, Qt::CaseInsensitive) != 0) {
        return Verdict::OtherFile;
    }
    return Verdict::FileEntry;
}

QByteArray DirAnswerParser::reportLine(QByteArrayView askedName) const {
    if (entryLineShaped()) {
        return verdict(askedName) == Verdict::OtherFile ? firstLineText : tailLine;
    }
    return firstRawLine.isEmpty() ? rawLine : firstRawLine;
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
