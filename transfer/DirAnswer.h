#pragma once

#include <QByteArray>
#include <QByteArrayView>
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
// judges the answer by what success looks like: the entry of the file that
// was asked for, then the prompt. Anything else is not an entry to go on
// with, whatever its words.
class DirAnswerParser {
  public:
    enum class Verdict { FileEntry, OtherFile, NotAFileEntry, FieldTooLong };

    explicit DirAnswerParser(DirAnswer& answer);

    // Zeroes the answer: the start of each parse.
    void start();
    // Treats one byte; returns whether the byte belongs to the answer's
    // fields (and so is shown), false for a byte after the third field.
    bool feed(std::uint8_t b);
    // A carriage return has ended the line after the size.
    bool finished() const { return done; }
    // The bytes so far already rule out a file's entry: a line break inside
    // the name, a size that is not four bytes, a space in the prompt line.
    bool cannotBeAFileEntry() const { return shapeBroken; }
    // Once finished: counts a field cut short by the end.
    void finish();

    // askedName: the name sent with DIR; the monitor may answer it in
    // another case.
    Verdict verdict(QByteArrayView askedName) const;
    // The answer's first line as the fields took it (name, space, size
    // bytes).
    const QByteArray& firstLine() const { return firstLineText; }
    // The line a report of a bad answer quotes: the entry line when it named
    // another file, the line after it when that was not the prompt, else
    // the answer's first line as it came.
    QByteArray reportLine(QByteArrayView askedName) const;
    std::uint32_t fileSize() const;
    // The first k bytes of DirName, k being the number of its non-zero bytes.
    QByteArray fileName() const;

  private:
    bool feedField(std::uint8_t b);
    void store(std::array<std::uint8_t, DirAnswer::FieldBytes>& field, std::uint8_t b);
    void nextField();
    void collectRawLine(std::uint8_t b);
    bool entryLineShaped() const;

    DirAnswer& answer;
    int position = 0;
    bool done = false;
    bool overflow = false;
    bool shapeBroken = false;
    QByteArray firstLineText;
    QByteArray tailLine;
    QByteArray rawLine;
    QByteArray firstRawLine;
};
