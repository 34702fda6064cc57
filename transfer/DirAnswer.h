#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

// The chip's answer to "DIR name": an optional carriage return, the name, a
// space, the size as four raw bytes (least significant first), a carriage
// return, then the prompt line. Fields hold 16 bytes each.
struct DirAnswer {
    static constexpr int FieldBytes = 16;

    std::array<std::uint8_t, FieldBytes> DirName{};
    std::array<std::uint8_t, FieldBytes> DirSize{};
    std::array<std::uint8_t, FieldBytes> DirTail{};
    std::int32_t DirFieldCount = 0;
};

// Reads the answer to DIR one byte at a time into a DirAnswer: field by field
// as the answer's shape gives them, never past a field's 16 bytes. It also
// tells whether the answer is a file's entry the transfer can use, and why
// not when it is not.
class DirAnswerParser {
  public:
    enum class Verdict { FileEntry, ErrorAnswer, NotAFileEntry, FieldTooLong };

    explicit DirAnswerParser(DirAnswer& answer);

    // Zeroes the answer: the start of each parse.
    void start();
    // Treats one byte; returns whether the byte belongs to the answer's
    // fields (and so is shown), false for a byte after the third field.
    bool feed(std::uint8_t b);
    // A carriage return has ended the line after the size.
    bool finished() const { return done; }
    // Once finished: counts a field cut short by the end.
    void finish();

    Verdict verdict() const;
    // The answer's first line as it came (name, space, size bytes), for a
    // report: it names the monitor's error when there is one.
    const QByteArray& firstLine() const { return firstLineText; }
    std::uint32_t fileSize() const;
    // The first k bytes of DirName, k being the number of its non-zero bytes.
    QByteArray fileName() const;

  private:
    void store(std::array<std::uint8_t, DirAnswer::FieldBytes>& field, std::uint8_t b);
    void nextField();

    DirAnswer& answer;
    int position = 0;
    bool done = false;
    bool overflow = false;
    bool sizeMisshapen = false;
    QByteArray firstLineText;
};
