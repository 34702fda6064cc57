#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <vector>

// The lines of a pane, kept compactly: the characters of every line in one
// ring of bytes (one byte a character for the Latin-1 text the link gives,
// two for a line that holds anything else) and a record of 16 bytes a line
// with its colour. Under a line limit the oldest line goes when a new one
// comes: nothing is moved or freed, the start of the ring moves on. The rings
// grow by doubling and give their memory back only when cleared.
class LineRing {
  public:
    // Colour 0 is the pane's own text colour; the pane keeps what the others
    // stand for.
    using Colour = std::uint8_t;

    static constexpr int Unbounded = 0;

    void setLimit(int lines);
    int limit() const { return lineLimit; }

    void append(QStringView text, Colour colour);
    // Takes the newest line out again; its number is given to the next line.
    QString takeLast(Colour* colour = nullptr);
    void clear();

    // Line 0 is the oldest kept.
    int count() const { return static_cast<int>(recordCount); }
    QString text(int line) const { return slice(line, 0, length(line)); }
    // Characters [from, from + n) of a line, cut to the line.
    QString slice(int line, int from, int n) const;
    int length(int line) const;
    Colour colour(int line) const { return record(line).colour; }

    // Lines appended since the ring was made, less those taken back; the
    // oldest kept line is number appended() - count().
    std::int64_t appended() const { return appendedLines; }
    // The most characters a kept line has had since the last clear.
    int longest() const { return longestLine; }
    // What the rings hold allocated, in bytes.
    std::size_t capacityBytes() const;

  private:
    struct Record {
        std::uint64_t start;  // position of the first byte in the stream of bytes
        std::uint32_t bytes;
        Colour colour;
        bool wide;  // two bytes a character
    };

    const Record& record(int line) const;
    void dropOldest();
    void reserveBytes(std::size_t more);
    void reserveRecord();
    void copyIn(std::uint64_t position, const void* source, std::size_t size);
    void copyOut(std::uint64_t position, void* target, std::size_t size) const;

    // Allocated as it is written, so pages not yet reached cost no memory.
    std::unique_ptr<char[]> bytes;
    std::size_t byteCapacity = 0;  // a power of two, or 0
    std::uint64_t firstByte = 0;
    std::uint64_t endByte = 0;
    std::vector<Record> records;  // a power of two long, or empty
    std::size_t firstRecord = 0;
    std::size_t recordCount = 0;
    std::int64_t appendedLines = 0;
    int lineLimit = Unbounded;
    int longestLine = 0;
};
