// The spy's answer decoder fed what the chip transmits: exactly one reading
// at every CR and none at any other byte, however long the line.
//
// Input: byte 0 bit 0 picks the extended set; with bit 1 the user clicks the
// other set every 1 + 4 * (bits 4-7) bytes. The rest is the bytes.
#include "AnswerDecoder.h"
#include "DeviceLink.h"
#include "FuzzSupport.h"
#include "RecordedPane.h"
#include "ScriptedDialogs.h"
#include "SpyOptions.h"
#include "SpyPanes.h"

namespace {

constexpr std::uint8_t CarriageReturn = 0x0D;

// Made once: each input starts it afresh and leaves no lines behind it.
struct Rig {
    RecordedPane ascii;
    RecordedPane hex;
    SpyPanes panes{ascii, hex};
    ScriptedDialogs dialogs;
    DeviceLink link{dialogs};
    SpyOptions options;
    AnswerDecoder decoder{{link, options, panes}};
};

void feedChecked(Rig& rig, std::uint8_t b) {
    const std::int32_t readingsBefore = rig.panes.HexPaneLines;
    rig.decoder.feed(&b, 1);
    const std::int32_t readings = rig.panes.HexPaneLines - readingsBefore;
    FUZZ_CHECK(readings == (b == CarriageReturn ? 1 : 0));
    FUZZ_CHECK(rig.decoder.AnswerLength >= 0);
    FUZZ_CHECK(rig.decoder.AnswerLength < static_cast<std::int32_t>(AnswerDecoder::BufferSize));
    if (b == CarriageReturn) {
        FUZZ_CHECK(rig.decoder.AnswerLength == 0);
    }
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
    rig.decoder.reset();
    const std::uint8_t flags = data[0];
    rig.options.ExtendedCommandSet = (flags & 1) != 0;
    const std::size_t clickEvery = 1 + 4 * (flags >> 4);
    for (std::size_t i = 1; i < size; ++i) {
        feedChecked(rig, data[i]);
        if ((flags & 2) && i % clickEvery == 0) {
            rig.options.ExtendedCommandSet = !rig.options.ExtendedCommandSet;
        }
    }
    feedChecked(rig, CarriageReturn);
    rig.panes.clear();
    return 0;
}
