#include "SpyTraffic.h"

#include <QCheckBox>
#include <QTabWidget>
#include <cstdio>
#include <string>
#include <vector>

#include "Form1Ui.h"
#include "SpyBoard.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr double BitsPerByte = 10.0;

// The host reads a file in blocks while the chip sends another one's lines:
// four 16-byte commands take as long on the wire as one 64-byte answer line,
// so neither direction falls silent before the other.
Bytes hostStream(std::size_t bytes) {
    const std::string command = "RDF 00 00 10 00\r";
    Bytes stream;
    stream.reserve(bytes);
    while (stream.size() < bytes) {
        stream.insert(stream.end(), command.begin(), command.end());
    }
    stream.resize(bytes);
    return stream;
}

Bytes chipStream(std::size_t bytes) {
    constexpr std::size_t lineLength = 64;  // 63 printable bytes and a CR
    Bytes stream(bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
        const std::size_t line = i / lineLength;
        const std::size_t column = i % lineLength;
        stream[i] = column == lineLength - 1
                        ? std::uint8_t{0x0D}
                        : static_cast<std::uint8_t>(0x20 + (line * 7 + column) % 0x5F);
    }
    return stream;
}

double share(std::uint64_t part, std::uint64_t whole) {
    return whole == 0 ? 0.0 : static_cast<double>(part) / static_cast<double>(whole);
}

}  // namespace

SpyScript spyTrafficScript(double streamSeconds) {
    const auto bytes = static_cast<std::size_t>(streamSeconds * SpyTrafficBaud / BitsPerByte);
    SpyScript script;
    script.push_back(SpyStep::pause(200));
    script.push_back(SpyStep::hostSends(Bytes{'S', 'B', 'D', ' ', 0x00, 0x00, 0x00, 0x0D}));
    script.push_back(SpyStep::pause(30));
    script.push_back(SpyStep::chipSends("D:\\>\r"));
    script.push_back(SpyStep::rateChange(SpyTrafficBaud));
    script.push_back(SpyStep::pause(100));
    script.push_back(SpyStep::duplex(hostStream(bytes), chipStream(bytes)));
    return script;
}

void showSpyPage(Ui::Form1& form) {
    form.PageControl1->setCurrentWidget(form.TabSheet3);
    form.CheckBox4->setChecked(true);
    form.CheckBox3->setChecked(true);
}

void printSpyDirection(const char* name, const SpyBoard& board, ChannelId id) {
    const std::uint64_t carried = board.carried(id);
    const std::uint64_t taken = board.takenByReads(id);
    std::printf(
        "  %s: carried %llu bytes, read %llu: ratio %.4f (target at least 0.99), "
        "overruns %llu (target 0)\n",
        name, static_cast<unsigned long long>(carried), static_cast<unsigned long long>(taken),
        share(taken, carried), static_cast<unsigned long long>(board.overrunCount(id)));
}
