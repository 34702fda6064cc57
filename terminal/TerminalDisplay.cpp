#include "TerminalDisplay.h"

#include "DeviceLink.h"
#include "LineBytes.h"
#include "PaneLines.h"
#include "TerminalTap.h"

TerminalDisplay::TerminalDisplay(PaneLines& asciiPane, PaneLines& hexPane, PaneLines* messagePane)
    : asciiWriter(asciiPane),
      hexWriter(hexPane),
      messageWriter(messagePane != nullptr ? *messagePane : asciiPane) {}

void TerminalDisplay::ShowTerminalByte(std::uint8_t b) {
    if (PaneLineCount > AsciiPaneLineLimit) {
        asciiWriter.clear();
        PaneLineCount = 0;
    }
    HexLine[static_cast<std::size_t>(HexLineLength++)] = b;
    AsciiLine[static_cast<std::size_t>(AsciiLineLength++)] = b;
    if (HexLineLength == HexLineBytes || b == CarriageReturn) {
        addHexLine();
    }
    if (AsciiLineLength == AsciiLineBytes || b == CarriageReturn) {
        addAsciiLine();
    }
}

void TerminalDisplay::ShowReceivedBytes(const std::uint8_t* bytes, std::uint32_t count) {
    tapReceived(bytes, count);
    for (std::uint32_t i = 0; i < count; ++i) {
        ShowTerminalByte(bytes[i]);
    }
}

void TerminalDisplay::tapReceived(const std::uint8_t* bytes, std::uint32_t count) {
    if (tap != nullptr && count > 0) {
        tap->received(bytes, count);
    }
}

void TerminalDisplay::tapTyped(QByteArrayView line) {
    if (tap != nullptr) {
        tap->typed(line);
    }
}

void TerminalDisplay::addHexLine() {
    QString text;
    text.reserve(HexLineLength * 3);
    for (int i = 0; i < HexLineLength; ++i) {
        text += ByteToHex(HexLine[static_cast<std::size_t>(i)]);
        text += QLatin1Char(' ');
    }
    hexWriter.addLine(text);
    HexLineLength = 0;
    ++PaneLineCount;
    OutputLineDone = true;
}

void TerminalDisplay::addAsciiLine() {
    // Latin-1 maps every byte to the character of the same code.
    asciiWriter.addLine(
        QString::fromLatin1(reinterpret_cast<const char*>(AsciiLine.data()), AsciiLineLength));
    AsciiLineLength = 0;
    ++PaneLineCount;
}

void TerminalDisplay::TerminalLog(const QString& text) {
    messageWriter.addLine(text);
    messageWriter.flush();
}

void TerminalDisplay::flushIfDue() {
    asciiWriter.flushIfDue();
    hexWriter.flushIfDue();
}

void TerminalDisplay::flush() {
    asciiWriter.flush();
    hexWriter.flush();
}

void TerminalDisplay::reset() {
    PaneLineCount = 0;
    HexLineLength = 0;
    AsciiLineLength = 0;
    OutputLineDone = true;
}
