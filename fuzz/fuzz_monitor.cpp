// The simulated chip's monitor firmware fed any bytes as they arrive from the
// host. Whatever it answers to one byte is whole lines that end in a prompt
// or an echo, and no more than the disk's content, the listing of a directory
// and an error line can fill; a baud rate it moves to is one the bridge can
// run; its disk never holds more than its capacity.
//
// Input: byte 0 bit 0 takes the disk out of its socket; the rest is the bytes.
#include <string>
#include <vector>

#include "ChipLink.h"
#include "FuzzSupport.h"
#include "MonitorFirmware.h"
#include "VirtualDisk.h"

namespace {

// Small, so that a disk-full write is within reach.
constexpr std::uint64_t DiskCapacity = 64 * 1024;
// A directory entry's line: its name (from a line of at most the monitor's
// line capacity), " DIR" and CR.
constexpr std::size_t EntryLineBytes = MonitorFirmware::lineCapacity + 5;
// The longest answer besides listings and file bytes: a sign-on or an error
// line, a number and the prompt.
constexpr std::size_t FixedAnswerBytes = 64;

class RecordingLink : public ChipLink {
  public:
    void transmit(std::uint8_t byte) override { sent.push_back(byte); }
    void changeBaudRate(std::uint32_t baudRate) override { rates.push_back(baudRate); }
    bool dataMode() const override { return false; }

    std::string sent;
    std::vector<std::uint32_t> rates;
};

void seedDisk(VirtualDisk& disk) {
    disk.setCapacity(DiskCapacity);
    disk.put("README.TXT", {'H', 'e', 'l', 'l', 'o', '\r', '\n'});
    disk.put("EDGE.BIN", std::vector<std::uint8_t>(0x0D0D, 0x0D));
    disk.put("EMPTY.TXT", {});
    disk.put("DOCS\\NOTES.TXT", {'N', 'o', 't', 'e', 's'});
}

bool endsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A listing names every entry once, and each entry comes from the seeded
// disk or from one command line.
std::size_t longestAnswer(const VirtualDisk& disk, std::size_t linesSoFar) {
    return disk.usedBytes() + (disk.names().size() + linesSoFar) * EntryLineBytes +
           FixedAnswerBytes;
}

void checkAnswer(const RecordingLink& link, const VirtualDisk& disk, std::size_t linesSoFar) {
    const std::string& answer = link.sent;
    if (answer.empty()) {
        return;
    }
    FUZZ_CHECK(answer.size() <= longestAnswer(disk, linesSoFar));
    FUZZ_CHECK(endsWith(answer, ">\r") || answer == "E\r" || answer == "e\r");
}

void checkRates(const RecordingLink& link) {
    for (const std::uint32_t rate : link.rates) {
        // 3,000,000 divided by 2 up to 16383 and seven eighths.
        FUZZ_CHECK(rate >= 183 && rate <= 3'000'000);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    VirtualDisk disk;
    seedDisk(disk);
    disk.setPresent((data[0] & 1) == 0);
    RecordingLink link;
    MonitorFirmware monitor(link, disk);
    monitor.start();
    checkAnswer(link, disk, 0);
    std::size_t lines = 0;
    for (std::size_t i = 1; i < size; ++i) {
        link.sent.clear();
        monitor.receive(data[i]);
        lines += data[i] == '\r' ? 1 : 0;
        checkAnswer(link, disk, lines);
        checkRates(link);
        FUZZ_CHECK(disk.usedBytes() <= DiskCapacity);
    }
    return 0;
}
