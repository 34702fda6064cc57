#include "LineRing.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

bool fitsLatin1(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}

}  // namespace

void LineRing::setLimit(int lines) {
    lineLimit = std::max(lines, 0);
    while (lineLimit != Unbounded && count() > lineLimit) {
        dropOldest();
    }
}

void LineRing::append(QStringView text, Colour colour) {
    if (lineLimit != Unbounded && count() >= lineLimit) {
        dropOldest();
    }
    const bool wide = !fitsLatin1(text);
    const std::size_t size = static_cast<std::size_t>(text.size()) * (wide ? 2 : 1);
    reserveBytes(size);
    reserveRecord();
    const std::uint64_t start = endByte;
    if (wide) {
        copyIn(start, text.utf16(), size);
    } else {
        // A line is short: convert it on the stack, then copy it in whole.
        char latin1[512];
        for (qsizetype done = 0; done < text.size();) {
            const qsizetype n = std::min<qsizetype>(text.size() - done, sizeof latin1);
            for (qsizetype i = 0; i < n; ++i) {
                latin1[i] = static_cast<char>(text[done + i].unicode());
            }
            copyIn(start + static_cast<std::uint64_t>(done), latin1, static_cast<std::size_t>(n));
            done += n;
        }
    }
    endByte += size;
    records[(firstRecord + recordCount) & (records.size() - 1)] = {
        start, static_cast<std::uint32_t>(size), colour, wide};
    ++recordCount;
    ++appendedLines;
    longestLine = std::max(longestLine, static_cast<int>(text.size()));
}

QString LineRing::takeLast(Colour* colour) {
    if (recordCount == 0) {
        return {};
    }
    const int last = count() - 1;
    QString text = this->text(last);
    if (colour != nullptr) {
        *colour = record(last).colour;
    }
    endByte = record(last).start;
    --recordCount;
    --appendedLines;
    return text;
}

void LineRing::clear() {
    bytes.reset();
    byteCapacity = 0;
    records = {};
    firstByte = endByte = 0;
    firstRecord = recordCount = 0;
    longestLine = 0;
}

QString LineRing::slice(int line, int from, int n) const {
    const Record& r = record(line);
    const int characters = static_cast<int>(r.wide ? r.bytes / 2 : r.bytes);
    from = std::clamp(from, 0, characters);
    n = std::clamp(n, 0, characters - from);
    if (r.wide) {
        QString text(n, Qt::Uninitialized);
        copyOut(r.start + 2 * static_cast<std::uint64_t>(from), text.data(),
                2 * static_cast<std::size_t>(n));
        return text;
    }
    QByteArray latin1(n, Qt::Uninitialized);
    copyOut(r.start + static_cast<std::uint64_t>(from), latin1.data(), static_cast<std::size_t>(n));
    return QString::fromLatin1(latin1);
}

int LineRing::length(int line) const {
    const Record& r = record(line);
    return static_cast<int>(r.wide ? r.bytes / 2 : r.bytes);
}

std::size_t LineRing::capacityBytes() const {
    return byteCapacity + records.capacity() * sizeof(Record);
}

const LineRing::Record& LineRing::record(int line) const {
    return records[(firstRecord + static_cast<std::size_t>(line)) & (records.size() - 1)];
}

void LineRing::dropOldest() {
    if (recordCount == 0) {
        return;
    }
    firstRecord = (firstRecord + 1) & (records.size() - 1);
    --recordCount;
    firstByte = recordCount == 0 ? endByte : record(0).start;
}

void LineRing::reserveBytes(std::size_t more) {
    const std::size_t used = endByte - firstByte;
    if (used + more <= byteCapacity) {
        return;
    }
    const auto kept = std::make_unique_for_overwrite<char[]>(used);
    copyOut(firstByte, kept.get(), used);
    byteCapacity = std::bit_ceil(std::max<std::size_t>(used + more, 4096));
    bytes = std::make_unique_for_overwrite<char[]>(byteCapacity);
    copyIn(firstByte, kept.get(), used);
}

void LineRing::reserveRecord() {
    if (recordCount < records.size()) {
        return;
    }
    std::vector<Record> grown(std::max<std::size_t>(records.size() * 2, 256));
    for (std::size_t i = 0; i < recordCount; ++i) {
        grown[i] = record(static_cast<int>(i));
    }
    records = std::move(grown);
    firstRecord = 0;
}

void LineRing::copyIn(std::uint64_t position, const void* source, std::size_t size) {
    if (size == 0) {
        return;
    }
    const std::size_t at = position & (byteCapacity - 1);
    const std::size_t first = std::min(size, byteCapacity - at);
    std::memcpy(bytes.get() + at, source, first);
    std::memcpy(bytes.get(), static_cast<const char*>(source) + first, size - first);
}

void LineRing::copyOut(std::uint64_t position, void* target, std::size_t size) const {
    if (size == 0) {
        return;
    }
    const std::size_t at = position & (byteCapacity - 1);
    const std::size_t first = std::min(size, byteCapacity - at);
    std::memcpy(target, bytes.get() + at, first);
    std::memcpy(static_cast<char*>(target) + first, bytes.get(), size - first);
}
