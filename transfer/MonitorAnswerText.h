#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

// The monitor's prompt line, which ends every answer: "D:\>" in the extended
// command set, ">" in the short one.
bool IsMonitorPrompt(QByteArrayView line);

// An answer line as a report shows it: printable ASCII as it is, every other
// byte as its two hex digits in angle brackets ("<0D>").
QString PrintableAnswer(QByteArrayView line);

// The line just before a prompt line at the end of bytes, when they end with
// a prompt and its carriage return: what the chip said when, asked for data,
// it sent an answer instead.
std::optional<QByteArray> LineBeforeClosingPrompt(QByteArrayView bytes);

// The chip's answer to a command, collected byte by byte and judged by what
// success looks like: the expected number of prompt lines, with nothing but
// empty lines around them. Any other line is the answer's failure, whatever
// its words; the first one is kept for the report.
class AnswerLines {
  public:
    static constexpr qsizetype LongestLine = 64;

    explicit AnswerLines(int expectedPrompts = 1) : expectedPrompts(expectedPrompts) {}

    void add(std::uint8_t b);
    // Every expected prompt has come, or a line has shown the answer bad:
    // either way there is nothing more to wait for.
    bool settled() const { return failed() || promptLines >= expectedPrompts; }
    bool failed() const { return hasUnexpectedLine; }
    // The first line that is neither empty nor the prompt, at most
    // LongestLine bytes of it.
    const QByteArray& unexpectedLine() const { return unexpected; }
    // That line was the answer's first: it may have begun before the
    // answer did, in bytes taken as data.
    bool unexpectedLineFirst() const { return unexpectedFirst; }

  private:
    int expectedPrompts;
    QByteArray current;
    QByteArray unexpected;
    bool hasUnexpectedLine = false;
    bool unexpectedFirst = false;
    int linesEnded = 0;
    int promptLines = 0;
};
