#include "PtyOptions.h"

#include <charconv>
#include <string_view>

#include "SimBoard.h"

const char* const PtyUsage =
    "Usage: tarvik-sim-pty [--stream BYTES [--baud RATE]]\n"
    "  or:  tarvik-sim-pty --help | --version\n"
    "\n"
    "Serves the simulated evaluation board's channel A on a pseudo-terminal and\n"
    "prints the terminal's path. Runs until SIGTERM or SIGINT.\n"
    "\n"
    "Options:\n"
    "  --stream BYTES  once the line is set to RATE, the chip sends BYTES bytes\n"
    "                  as fast as the wire allows, then the monitor answers again\n"
    "  --baud RATE     the rate of the stream (default 3000000)\n"
    "  -h, --help      print this help\n"
    "  -v, --version   print the program's version\n";

namespace {

std::optional<std::uint64_t> number(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failure != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<PtyOptions> ParsePtyOptions(int argc, const char* const* argv, std::string& error) {
    PtyOptions options;
    bool baudGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--help" || name == "-h") {
            options.helpAsked = true;
            return options;
        }
        if (name == "--version" || name == "-v") {
            options.versionAsked = true;
            return options;
        }
        if (name != "--stream" && name != "--baud") {
            error = "unknown option " + std::string(name);
            return std::nullopt;
        }
        if (i + 1 == argc) {
            error = std::string(name) + " needs a number";
            return std::nullopt;
        }
        const std::optional<std::uint64_t> value = number(argv[++i]);
        if (!value || *value == 0) {
            error = std::string(name) + " needs a positive number, not " + argv[i];
            return std::nullopt;
        }
        if (name == "--stream") {
            options.streamBytes = *value;
            continue;
        }
        if (*value < SimBoard::lowestBaudRate || *value > SimBoard::highestBaudRate) {
            error = "the board's bridge runs from " + std::to_string(SimBoard::lowestBaudRate) +
                    " to " + std::to_string(SimBoard::highestBaudRate) + " baud";
            return std::nullopt;
        }
        options.streamBaud = static_cast<std::uint32_t>(*value);
        baudGiven = true;
    }
    if (baudGiven && !options.streamBytes) {
        error = "--baud sets the rate of a stream: give --stream as well";
        return std::nullopt;
    }
    return options;
}
