#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <deque>
#include <memory>

// The lines of a pane, kept compactly: their characters in blocks of 64 KiB
// (one byte a character for the Latin-1 text the link gives, two for a line
// that holds anything else) and a record of 16 bytes a line with its colour.
// Under a line limit the oldest line goes when a new one comes, and a block
// whose lines have all gone is used again for the newest: a bounded pane's
// memory stays where it is, with no block ever moved or grown.
class LineRing {
  public:
    // Colour 0 is the pane's own text colour; the pane keeps what the others
    // stand for.
    using Colour = std::uint8_t;

    static constexpr int Unbounded = 0;
    static constexpr std::uint32_t BlockBytes = 64 * 1024;

    void setLimit(int lines);
    int limit() const { return lineLimit; }

    void append(QStringView text, Colour colour);
    // Takes the newest line out again; its number is given to the next line.
    QString takeLast(Colour* colour = nullptr);
    void clear();

    // Line 0 is the oldest kept.
    int count() const { return static_cast<int>(records.size()); }
    QString text(int line) const { return slice(line, 0, length(line)); }
    // Characters [from, from + n) of a line, cut to the line.
    QString slice(int line, int from, int n) const;
    int length(int line) const;
    Colour colour(int line) const { return records[static_cast<std::size_t>(line)].colour; }

    // Lines appended since the ring was made, less those taken back; the
    // oldest kept line is number appended() - count().
    std::int64_t appended() const { return appendedLines; }
    // The most characters a kept line has had since the last clear.
    int longest() const { return longestLine; }

  private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::uint32_t size = 0;
        std::uint32_t used = 0;
    };
    struct Record {
        std::uint32_t block;  // the block's number since the first
        std::uint32_t offset;
        std::uint32_t bytes;
        Colour colour;
        bool wide;  // two bytes a character
    };

    const char* bytesOf(const Record& record) const;
    Block& blockFor(std::uint32_t bytes);
    void dropOldest();

    std::deque<Block> blocks;
    std::uint32_t firstBlock = 0;  // the number of blocks.front()
    Block spare;                   // the last block emptied, for the next
    std::deque<Record> records;
    std::int64_t appendedLines = 0;
    int lineLimit = Unbounded;
    int longestLine = 0;
};
