// The terminal's receive display fed what the chip sends. Every byte is shown
// once: in a HEX line of at most 16 "XX " groups and an ASCII line of at most
// 79 characters, both ended early by a CR, or still waiting in the line being
// built. The ASCII pane starts afresh at the byte after it passes its line
// limit; the HEX pane keeps its newest lines.
#include <vector>

#include "DisplayOverPanes.h"
#include "FuzzSupport.h"
#include "SelfAdvancingClock.h"
#include "TerminalDisplay.h"

namespace {

constexpr std::uint8_t CarriageReturn = 0x0D;
constexpr int HexLineBytes = TerminalDisplay::HexLineBytes;
constexpr int AsciiLineBytes = TerminalDisplay::AsciiLineBytes;

// Made once: each input starts the display afresh.
struct Rig {
    LinePane Memo2;
    LinePane Memo3;
    SelfAdvancingClock clock{{0, 0}};  // stands still: lines reach the panes at the flush
    DisplayOverPanes panes{Memo2, Memo3, clock};
    TerminalDisplay& display = panes.display;
};

// Clearing a pane costs more than most inputs: the panes keep the lines of
// earlier inputs until they hold this many, and each input is checked on the
// lines it added.
constexpr int PaneLinesKept = 8192;

// The lines a pane shows (none is being typed).
int paneLines(const LinePane& pane) {
    return pane.lineCount();
}

// A pane's text from line firstLine on, each line ended by the line break the
// pane shows.
QString paneText(const LinePane& pane, int firstLine) {
    QString text;
    for (int line = firstLine; line < pane.lineCount(); ++line) {
        text += pane.lineText(line) + QLatin1Char('\n');
    }
    return text;
}

QString hexLine(const std::uint8_t* bytes, std::size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    for (std::size_t i = 0; i < count; ++i) {
        text += QLatin1Char(digits[bytes[i] >> 4]);
        text += QLatin1Char(digits[bytes[i] & 0xF]);
        text += QLatin1Char(' ');
    }
    return text;
}

// A CR ends an ASCII line as the pane's own line break.
QString asciiLine(const std::uint8_t* bytes, std::size_t count) {
    const bool endsInCr = bytes[count - 1] == CarriageReturn;
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes),
                               static_cast<qsizetype>(count - (endsInCr ? 1 : 0)));
}

// What both panes must show, line by line as the display's rules cut them.
struct Expected {
    std::vector<QString> hexLines;
    QString ascii;  // since the ASCII pane last started afresh
    bool asciiRestarted = false;
    std::size_t hexPending = 0;
    std::size_t asciiPending = 0;
};

Expected expectedPanes(const std::uint8_t* data, std::size_t size) {
    Expected expected;
    std::size_t hexStart = 0;
    std::size_t asciiStart = 0;
    int paneLines = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (paneLines > TerminalDisplay::AsciiPaneLineLimit) {
            expected.ascii.clear();
            expected.asciiRestarted = true;
            paneLines = 0;
        }
        const bool cr = data[i] == CarriageReturn;
        if (cr || i + 1 - hexStart == HexLineBytes) {
            expected.hexLines.push_back(hexLine(data + hexStart, i + 1 - hexStart) + '\n');
            hexStart = i + 1;
            ++paneLines;
        }
        if (cr || i + 1 - asciiStart == AsciiLineBytes) {
            expected.ascii += asciiLine(data + asciiStart, i + 1 - asciiStart) + '\n';
            asciiStart = i + 1;
            ++paneLines;
        }
    }
    expected.hexPending = size - hexStart;
    expected.asciiPending = size - asciiStart;
    return expected;
}

QString newestHexLines(const Expected& expected) {
    const std::size_t kept =
        std::min<std::size_t>(expected.hexLines.size(), TerminalDisplay::HexPaneLineLimit);
    QString text;
    for (std::size_t i = expected.hexLines.size() - kept; i < expected.hexLines.size(); ++i) {
        text += expected.hexLines[i];
    }
    return text;
}

void checkLineBounds(const LinePane& Memo2, const LinePane& Memo3, int firstAsciiLine,
                     int firstHexLine) {
    for (int line = firstHexLine; line < Memo3.lineCount(); ++line) {
        const qsizetype length = Memo3.lineText(line).size();
        FUZZ_CHECK(length <= 3 * HexLineBytes && length % 3 == 0);
    }
    for (int line = firstAsciiLine; line < Memo2.lineCount(); ++line) {
        FUZZ_CHECK(Memo2.lineText(line).size() <= AsciiLineBytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    makeOffscreenApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Rig rig;
    TerminalDisplay& display = rig.display;
    display.reset();
    if (paneLines(rig.Memo2) + paneLines(rig.Memo3) > PaneLinesKept) {
        rig.Memo2.clear();
        rig.Memo3.clear();
    }
    int firstAsciiLine = paneLines(rig.Memo2);
    const int firstHexLine = paneLines(rig.Memo3);
    for (std::size_t i = 0; i < size; ++i) {
        display.ShowTerminalByte(data[i]);
        FUZZ_CHECK(display.HexLineLength >= 0 && display.HexLineLength < HexLineBytes);
        FUZZ_CHECK(display.AsciiLineLength >= 0 && display.AsciiLineLength < AsciiLineBytes);
    }
    display.flush();
    const Expected expected = expectedPanes(data, size);
    if (expected.asciiRestarted) {
        firstAsciiLine = 0;
    }
    checkLineBounds(rig.Memo2, rig.Memo3, firstAsciiLine, firstHexLine);
    FUZZ_CHECK(paneText(rig.Memo3, firstHexLine) == newestHexLines(expected));
    FUZZ_CHECK(paneText(rig.Memo2, firstAsciiLine) == expected.ascii);
    // The bytes of the lines still being built are the input's last ones.
    FUZZ_CHECK(std::size_t(display.HexLineLength) == expected.hexPending);
    FUZZ_CHECK(std::size_t(display.AsciiLineLength) == expected.asciiPending);
    for (std::size_t i = 0; i < expected.hexPending; ++i) {
        FUZZ_CHECK(display.HexLine[i] == data[size - expected.hexPending + i]);
    }
    for (std::size_t i = 0; i < expected.asciiPending; ++i) {
        FUZZ_CHECK(display.AsciiLine[i] == data[size - expected.asciiPending + i]);
    }
    deliverPostedEvents();
    return 0;
}
