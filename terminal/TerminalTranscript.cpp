#include "TerminalTranscript.h"

#include <QIODevice>

#include "Clock.h"
#include "LineBytes.h"

namespace {
// Another sender's line end: it ends the file's line as it is.
constexpr std::uint8_t LineFeed = 0x0A;
}  // namespace

TerminalTranscript::TerminalTranscript(QIODevice& out, Clock& clock) : out(out), clock(clock) {}

void TerminalTranscript::beginLine() {
    atLineStart = false;
    if (!stamped) {
        return;
    }
    const TimeOfDay now = clock.timeOfDay();
    const auto two = [](int value) { return QByteArray::number(value).rightJustified(2, '0'); };
    pending += two(now.hour) + ':' + two(now.minute) + ':' + two(now.second) + '.' +
               QByteArray::number(now.millisecond).rightJustified(3, '0') + ' ';
}

// The bytes of one read go out in one write.
void TerminalTranscript::received(const std::uint8_t* bytes, std::uint32_t count) {
    pending.clear();
    for (std::uint32_t i = 0; i < count; ++i) {
        if (atLineStart) {
            beginLine();
        }
        const auto b = static_cast<char>(bytes[i]);
        pending += b;
        if (bytes[i] == CarriageReturn) {
            pending += '\n';
            atLineStart = true;
        } else if (bytes[i] == LineFeed) {
            atLineStart = true;
        }
    }
    out.write(pending);
}

void TerminalTranscript::typed(QByteArrayView line) {
    pending.clear();
    if (!atLineStart) {
        pending += '\n';
    }
    beginLine();
    QByteArrayView text = line;
    if (text.endsWith(static_cast<char>(CarriageReturn))) {
        text.chop(1);
    }
    pending += TypedMark;
    pending += text;
    pending += '\n';
    atLineStart = true;
    out.write(pending);
}
