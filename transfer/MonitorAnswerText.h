#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

// The lines the chip's monitor answers with when a command fails, in both of
// its command sets ("Command Failed" and "CF", and so on). A transfer that
// meets one stops and says which.
bool IsMonitorErrorLine(QByteArrayView line);

// Collects the lines of the chip's answers as they arrive, byte by byte, and
// keeps the first error line among them.
class AnswerLines {
  public:
    static constexpr qsizetype LongestLine = 64;

    void add(std::uint8_t b);
    bool sawError() const { return !error.isEmpty(); }
    const QByteArray& errorLine() const { return error; }
    // Prompt lines ended so far: the monitor ends every answer with one,
    // a line that ends in '>'.
    int prompts() const { return promptLines; }

  private:
    QByteArray current;
    QByteArray error;
    int promptLines = 0;
};
