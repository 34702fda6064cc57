#include "LineRing.h"

#include <algorithm>
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
    const auto size = static_cast<std::uint32_t>(text.size() * (wide ? 2 : 1));
    Block& block = blockFor(size);
    char* at = block.bytes.get() + block.used;
    if (wide) {
        std::memcpy(at, text.utf16(), size);
    } else {
        for (QChar c : text) {
            *at++ = static_cast<char>(c.unicode());
        }
    }
    records.push_back({firstBlock + static_cast<std::uint32_t>(blocks.size() - 1), block.used, size,
                       colour, wide});
    block.used += size;
    ++appendedLines;
    longestLine = std::max(longestLine, static_cast<int>(text.size()));
}

QString LineRing::takeLast(Colour* colour) {
    if (records.empty()) {
        return {};
    }
    QString text = this->text(count() - 1);
    if (colour != nullptr) {
        *colour = records.back().colour;
    }
    // The newest line is the last one written in its block, and blocks after
    // it were opened for lines taken back before.
    const Record& last = records.back();
    while (firstBlock + blocks.size() - 1 > last.block) {
        blocks.pop_back();
    }
    blocks.back().used = last.offset;
    records.pop_back();
    --appendedLines;
    return text;
}

void LineRing::clear() {
    firstBlock += static_cast<std::uint32_t>(blocks.size());
    blocks.clear();
    spare = {};
    records.clear();
    longestLine = 0;
}

QString LineRing::slice(int line, int from, int n) const {
    const Record& record = records[static_cast<std::size_t>(line)];
    const int characters = length(line);
    from = std::clamp(from, 0, characters);
    n = std::clamp(n, 0, characters - from);
    const char* bytes = bytesOf(record);
    if (record.wide) {
        QString text(n, Qt::Uninitialized);
        std::memcpy(text.data(), bytes + 2 * from, 2 * static_cast<std::size_t>(n));
        return text;
    }
    return QString::fromLatin1(bytes + from, n);
}

int LineRing::length(int line) const {
    const Record& record = records[static_cast<std::size_t>(line)];
    return static_cast<int>(record.wide ? record.bytes / 2 : record.bytes);
}

const char* LineRing::bytesOf(const Record& record) const {
    return blocks[record.block - firstBlock].bytes.get() + record.offset;
}

// A line goes whole into one block: into the newest while it has room, else
// into a fresh one (the spare when there is one), as large as a line longer
// than a block needs.
LineRing::Block& LineRing::blockFor(std::uint32_t bytes) {
    if (!blocks.empty() && blocks.back().size - blocks.back().used >= bytes) {
        return blocks.back();
    }
    if (!blocks.empty() && blocks.back().used == 0) {
        // A block emptied by taking lines back, too small for this line.
        blocks.pop_back();
    }
    const std::uint32_t size = std::max(bytes, BlockBytes);
    if (spare.size >= size) {
        blocks.push_back(std::move(spare));
        spare = {};
        blocks.back().used = 0;
    } else {
        blocks.push_back({std::make_unique_for_overwrite<char[]>(size), size, 0});
    }
    return blocks.back();
}

void LineRing::dropOldest() {
    if (records.empty()) {
        return;
    }
    records.pop_front();
    // Blocks before the oldest kept line's hold no line any more; the newest
    // block stays for the next line.
    const std::uint32_t keepFrom = records.empty()
                                       ? firstBlock + static_cast<std::uint32_t>(blocks.size() - 1)
                                       : records.front().block;
    while (firstBlock < keepFrom) {
        if (blocks.front().size == BlockBytes) {
            spare = std::move(blocks.front());
        }
        blocks.pop_front();
        ++firstBlock;
    }
}
