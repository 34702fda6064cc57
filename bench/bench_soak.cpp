// A long run of the two modes that stream at 3,000,000 baud, on the real
// clock and offscreen, as a user meets the window: first Terminal Mode with
// the simulated evaluation board streaming to the program, then Spy Mode
// listening to the simulated spy board's link in both directions. Each part
// prints the bytes the board sent or carried against the bytes the program
// read, the processor share, and the resident memory every so many seconds
// with its growth once the panes have reached their line limits.
//
//   bench_soak [--minutes M] [--mode terminal|spy|both] [--sample-seconds S]
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "BenchWindow.h"
#include "SpySoak.h"
#include "TerminalSoak.h"

namespace {

struct SoakOptions {
    double minutes = 10;
    bool terminal = true;
    bool spy = true;
    double sampleSeconds = 30;
};

std::optional<double> positiveNumber(const char* text) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end != text && *end == '\0' && value > 0 ? std::optional<double>(value) : std::nullopt;
}

bool setMode(SoakOptions& options, const std::string& mode) {
    options.terminal = mode == "terminal" || mode == "both";
    options.spy = mode == "spy" || mode == "both";
    return options.terminal || options.spy;
}

std::optional<SoakOptions> parse(int argc, char* argv[]) {
    SoakOptions options;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 == argc) {
            return std::nullopt;
        }
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        const std::optional<double> number = positiveNumber(value);
        if (name == "--mode") {
            if (!setMode(options, value)) {
                return std::nullopt;
            }
        } else if (name == "--minutes" && number) {
            options.minutes = *number;
        } else if (name == "--sample-seconds" && number) {
            options.sampleSeconds = *number;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::optional<SoakOptions> options = parse(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "Usage: bench_soak [--minutes M] [--mode terminal|spy|both] "
                     "[--sample-seconds S]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    BenchWindow bench;
    const double seconds = options->minutes * 60.0;
    if (options->terminal) {
        TerminalSoak terminal(bench, seconds, options->sampleSeconds);
        terminal.run();
        terminal.print();
        std::fflush(stdout);
    }
    if (options->spy) {
        SpySoak spy(bench, seconds, options->sampleSeconds);
        spy.run();
        spy.print();
    }
    return 0;
}
