// The spy's command decoder fed what the chip receives. Every completed
// command line gets exactly one reading, at the byte that completes it: a CR,
// or the last data byte of a SETUP command. A CR that gives none leaves a
// held line (a Set Baud Rate whose divisor held a CR, a SETUP waiting for its
// header or data), and every held line completes once enough CRs follow.
//
// Input: byte 0 sets the options: bit 0 the extended set, bit 1 hex number
// input; bits 2 and 3 make the user switch to the other number input (bit 2)
// or command set (bit 3) every 1 + 4 * (bits 4-7) bytes. The rest is the
// bytes.
#include <optional>
#include <vector>

#include "CommandDecoder.h"
#include "DeviceLink.h"
#include "FuzzSupport.h"
#include "RecordedPane.h"
#include "ScriptedDialogs.h"
#include "SpyOptions.h"
#include "SpyPanes.h"

namespace {

constexpr std::uint8_t CarriageReturn = 0x0D;
// The longest a held line can wait: a SETUP header and 0xFFFF data bytes.
constexpr int LongestHold = 11 + 0xFFFF + 1;

// The panes, the options and the decoder, made once: each input sets them
// back to their start, and leaves no lines behind it. The rig follows the
// link's switches as the capture does, and counts them.
struct Rig : LinkFollower {
    void followCommandSet(bool extended) override {
        options.ExtendedCommandSet = extended;
        ++switches;
    }
    void followNumberInput(bool hex) override {
        options.HexNumberInput = hex;
        ++switches;
    }
    void followBaudRate(std::optional<std::uint32_t>) override { ++switches; }

    RecordedPane ascii;
    RecordedPane hex;
    SpyPanes panes{ascii, hex};
    ScriptedDialogs dialogs;
    DeviceLink link{dialogs};
    SpyOptions options;
    int switches = 0;
    CommandDecoder decoder{{link, options, panes}, *this};
};

void start(Rig& rig, std::uint8_t flags) {
    rig.options.ExtendedCommandSet = (flags & 1) != 0;
    rig.options.HexNumberInput = (flags & 2) != 0;
    rig.decoder.reset();
    rig.decoder.DecodedDivisor = 0;
}

void userSwitches(Rig& rig, std::uint8_t flags) {
    if (flags & 4) {
        rig.options.HexNumberInput = !rig.options.HexNumberInput;
    }
    if (flags & 8) {
        rig.options.ExtendedCommandSet = !rig.options.ExtendedCommandSet;
    }
}

// Only these lines may wait for more bytes, in the set the options name.
bool mayBeHeld(const Rig& rig) {
    const std::uint8_t first = rig.decoder.CommandBuffer[0];
    if (rig.options.ExtendedCommandSet) {
        return first == 'S' || first == 's';
    }
    return first == 0x14 || first == 0x9A;
}

void feedChecked(Rig& rig, std::uint8_t b) {
    CommandDecoder& decoder = rig.decoder;
    const std::int32_t readingsBefore = rig.panes.HexPaneLines;
    const int switchesBefore = rig.switches;
    const bool completesSetup =
        decoder.CommandTarget > 0 && decoder.CommandLength + 1 == decoder.CommandTarget;
    decoder.feed(&b, 1);
    const std::int32_t readings = rig.panes.HexPaneLines - readingsBefore;
    FUZZ_CHECK(readings == 0 || readings == 1);
    FUZZ_CHECK(readings == 0 || b == CarriageReturn || completesSetup);
    // A line switches the link at most once, with its reading.
    FUZZ_CHECK(rig.switches - switchesBefore <= readings);
    if (b == CarriageReturn && readings == 0) {
        FUZZ_CHECK(decoder.CommandLength > 0 && mayBeHeld(rig));
    }
    if (readings == 1) {
        FUZZ_CHECK(decoder.CommandLength == 0 && decoder.CommandTarget == 0);
    }
    FUZZ_CHECK(decoder.CommandLength >= 0 && decoder.CommandTarget >= 0);
    FUZZ_CHECK(decoder.CommandTarget <= LongestHold);
    FUZZ_CHECK(decoder.DecodedDivisor <= 0xFFFFFF);
}

// Whatever line is open at the end completes with one reading: a SETUP
// command once the rest of its data has come, any other once CRs follow.
void completeOpenLine(Rig& rig) {
    const std::int32_t readingsBefore = rig.panes.HexPaneLines;
    CommandDecoder& decoder = rig.decoder;
    if (decoder.CommandTarget > 0) {
        static const std::vector<std::uint8_t> data(LongestHold, 0);
        decoder.feed(data.data(), std::uint32_t(decoder.CommandTarget - decoder.CommandLength - 1));
        FUZZ_CHECK(rig.panes.HexPaneLines == readingsBefore);
    }
    int crs = 0;
    while (rig.panes.HexPaneLines == readingsBefore && crs <= LongestHold) {
        feedChecked(rig, decoder.CommandTarget > 0 ? 0 : CarriageReturn);
        ++crs;
    }
    FUZZ_CHECK(rig.panes.HexPaneLines == readingsBefore + 1);
    FUZZ_CHECK(rig.decoder.CommandLength == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    makeOffscreenApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static Rig rig;
    const std::uint8_t flags = data[0];
    start(rig, flags);
    const std::size_t clickEvery = 1 + 4 * (flags >> 4);
    for (std::size_t i = 1; i < size; ++i) {
        feedChecked(rig, data[i]);
        if (i % clickEvery == 0) {
            userSwitches(rig, flags);
        }
    }
    completeOpenLine(rig);
    rig.panes.clear();
    return 0;
}
