// The sample files a fresh simulated disk carries. Their content is made
// here, byte for byte the same on every run, so tests can predict it.
#include <string>

#include "VirtualDisk.h"

namespace {

std::vector<std::uint8_t> textBytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> readmeText() {
    return textBytes(
        "Tarvik evaluation board sample disk\r\n"
        "LOG.TXT holds 10000 bytes of numbered lines.\r\n"
        "DATA.BIN holds every byte value four times.\r\n"
        "BIG.BIN holds 4 MiB of pseudo-random bytes.\r\n");
}

std::vector<std::uint8_t> everyByteValue(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i);
    }
    return bytes;
}

// Numbered lines, cut off at exactly the size asked for.
std::vector<std::uint8_t> numberedLines(std::size_t size) {
    std::string text;
    for (int line = 1; text.size() < size; ++line) {
        text += "Log line " + std::to_string(line) + ": board running\r\n";
    }
    text.resize(size);
    return textBytes(text);
}

// A linear congruential sequence: deterministic, and every byte value shows
// up, CR and 0 included.
std::vector<std::uint8_t> pseudoRandomBytes(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = seed;
    for (std::uint8_t& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

}  // namespace

void VirtualDisk::seedSamples() {
    put("README.TXT", readmeText());
    put("DATA.BIN", everyByteValue(1024));
    put("LOG.TXT", numberedLines(10'000));
    put("EDGE.BIN", pseudoRandomBytes(0x0D0D, 13));
    put("EMPTY.TXT", {});
    put("DOCS\\NOTES.TXT", textBytes("Notes kept in a directory.\r\n"));
    put("BIG.BIN", pseudoRandomBytes(4 * 1024 * 1024, 1));
}
