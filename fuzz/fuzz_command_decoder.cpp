// The spy's command decoder fed what the chip receives. Every completed
// command line gets exactly one reading, at the byte that completes it: a CR,
// or the last data byte of a SETUP command. A CR that gives none leaves a
// held line (a Set Baud Rate whose divisor held a CR, a SETUP waiting for its
// header or data), and every held line completes once enough CRs follow.
//
// Input: byte 0 sets the options: bit 0 the extended set, bit 1 hex number
// input; bits 2 and 3 make the user click the other number input (bit 2) or
// command set (bit 3) every 1 + 4 * (bits 4-7) bytes. The rest is the bytes.
#include <QComboBox>
#include <QRadioButton>
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

// The page's controls, the panes and the decoder, made once: each input
// sets them back to their start, and leaves nothing queued behind it.
struct Rig {
    Rig() { ComboBox3.setEditable(true); }

    void refreshSpyOptions() {
        options.ExtendedCommandSet = RadioButton8.isChecked();
        options.HexNumberInput = RadioButton10.isChecked();
    }

    QWidget page;
    QWidget commandSetGroup{&page};
    QWidget numberInputGroup{&page};
    QRadioButton RadioButton8{&commandSetGroup};
    QRadioButton RadioButton9{&commandSetGroup};
    QRadioButton RadioButton10{&numberInputGroup};
    QRadioButton RadioButton11{&numberInputGroup};
    QComboBox ComboBox3{&page};
    RecordedPane ascii;
    RecordedPane hex;
    SpyPanes panes{ascii, hex};
    ScriptedDialogs dialogs;
    DeviceLink link{dialogs};
    SpyOptions options;
    CommandDecoder decoder{{link, options, panes, [this] { refreshSpyOptions(); }, [] {}},
                           {RadioButton8, RadioButton9, RadioButton10, RadioButton11, ComboBox3}};
};

void start(Rig& rig, std::uint8_t flags) {
    (flags & 1 ? rig.RadioButton8 : rig.RadioButton9).setChecked(true);
    (flags & 2 ? rig.RadioButton10 : rig.RadioButton11).setChecked(true);
    rig.ComboBox3.setCurrentText(QStringLiteral("9600"));
    rig.link.BaudRate = 9600;
    rig.refreshSpyOptions();
    rig.decoder.reset();
    rig.decoder.DecodedDivisor = 0;
}

void userClicks(Rig& rig, std::uint8_t flags) {
    if (flags & 4) {
        (rig.RadioButton10.isChecked() ? rig.RadioButton11 : rig.RadioButton10).setChecked(true);
    }
    if (flags & 8) {
        (rig.RadioButton8.isChecked() ? rig.RadioButton9 : rig.RadioButton8).setChecked(true);
    }
    rig.refreshSpyOptions();
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
    const bool completesSetup =
        decoder.CommandTarget > 0 && decoder.CommandLength + 1 == decoder.CommandTarget;
    decoder.feed(&b, 1);
    const std::int32_t readings = rig.panes.HexPaneLines - readingsBefore;
    FUZZ_CHECK(readings == 0 || readings == 1);
    FUZZ_CHECK(readings == 0 || b == CarriageReturn || completesSetup);
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

void checkFollowedControls(Rig& rig) {
    FUZZ_CHECK(rig.options.ExtendedCommandSet == rig.RadioButton8.isChecked());
    FUZZ_CHECK(rig.RadioButton8.isChecked() != rig.RadioButton9.isChecked());
    FUZZ_CHECK(rig.RadioButton10.isChecked() != rig.RadioButton11.isChecked());
    FUZZ_CHECK(rig.link.BaudRate == rig.ComboBox3.currentText().toUInt());
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
            userClicks(rig, flags);
        }
    }
    checkFollowedControls(rig);
    completeOpenLine(rig);
    rig.panes.clear();
    deliverPostedEvents();
    return 0;
}
