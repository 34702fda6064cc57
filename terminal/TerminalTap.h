#pragma once

#include <QByteArrayView>
#include <cstdint>

// Whoever follows the terminal's traffic besides its panes (the window's
// transcript on disk): every byte that came from the chip on channel A while
// the terminal runs, in the order it came, the bytes the panes do not show
// (a copy's file data) included, and every line the user sent.
class TerminalTap {
  public:
    virtual ~TerminalTap() = default;

    virtual void received(const std::uint8_t* bytes, std::uint32_t count) = 0;
    // A typed line as it went to the chip, its carriage return included.
    virtual void typed(QByteArrayView line) = 0;
};
