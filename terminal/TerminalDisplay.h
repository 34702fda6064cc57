#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>

class PaneLines;
class TerminalTap;

// The two terminal panes: everything the chip sends, and the commands the
// program sends by itself, shown as HEX lines of 16 bytes and ASCII lines of
// 79 bytes, both also ended by a carriage return.
class TerminalDisplay {
  public:
    static constexpr int HexLineBytes = 16;
    static constexpr int AsciiLineBytes = 79;
    // Past this the ASCII pane starts afresh at the next byte shown.
    static constexpr int AsciiPaneLineLimit = 2000;
    // The HEX pane keeps the newest lines only: at 3,000,000 baud it would
    // otherwise grow by hundreds of megabytes a minute. Its writer keeps the
    // limit; this is the number it is made with.
    static constexpr int HexPaneLineLimit = 100'000;

    // Messages go into the ASCII pane among the data lines, unless they are
    // given a place of their own (standard error, without a window).
    TerminalDisplay(PaneLines& asciiPane /*Memo2*/, PaneLines& hexPane /*Memo3*/,
                    PaneLines* messagePane = nullptr);

    void ShowTerminalByte(std::uint8_t b);
    // Bytes that came from the chip: shown, and handed to the tap.
    void ShowReceivedBytes(const std::uint8_t* bytes, std::uint32_t count);

    // Whoever follows the traffic besides the panes; null for nobody.
    void setTap(TerminalTap* follower) { tap = follower; }
    // Bytes from the chip that the panes do not show (a copy's file data,
    // the part of a DIR answer the parser takes for itself).
    void tapReceived(const std::uint8_t* bytes, std::uint32_t count);
    // A line the user typed, as it went to the chip.
    void tapTyped(QByteArrayView line);
    // A message line in Memo2, in order with the data lines and shown at once.
    void TerminalLog(const QString& text);
    void flushIfDue();
    void flush();
    // The start values of window creation.
    void reset();

    // Set at each HEX line and by Close; read and cleared by the keyboard.
    bool OutputLineDone = true;

    std::array<std::uint8_t, HexLineBytes> HexLine{};
    std::int32_t HexLineLength = 0;
    std::array<std::uint8_t, AsciiLineBytes + 1> AsciiLine{};
    std::int32_t AsciiLineLength = 0;
    // Lines added to either pane since the ASCII pane was last cleared.
    std::int32_t PaneLineCount = 0;

  private:
    void addHexLine();
    void addAsciiLine();

    PaneLines& asciiWriter;
    PaneLines& hexWriter;
    PaneLines& messageWriter;
    TerminalTap* tap = nullptr;
};
