// The terminal keyboard fed key sequences, between bytes the chip sends.
// What is staged is always the keys since the last send, each Backspace
// taking back itself and the byte before it; Enter sends all of it in one
// write, a short write leaving the rest staged. The typed record never runs
// past its slots, and a recall shows one line of 127 visible characters.
//
// Input: each byte is a key, except 0xFE x (the chip sends x), 0xFD x (the
// next write takes at most x bytes), 0xFC x (the key x itself) and 0xFB (the
// connection closes or opens again). Recall keys past the twelfth of an
// input (one round of the history and one more) are not pressed: each lays
// out a line in the pane, which costs more than everything else an input does.
#include <QPlainTextEdit>
#include <QTextBlock>
#include <deque>
#include <memory>
#include <vector>

#include "AppendingPane.h"
#include "DeviceLink.h"
#include "DisplayOverPanes.h"
#include "DriverRegistry.h"
#include "FuzzSupport.h"
#include "ScriptedBackend.h"
#include "ScriptedDialogs.h"
#include "SelfAdvancingClock.h"
#include "TerminalDisplay.h"
#include "TerminalKeyboard.h"
#include "TestLink.h"

namespace {

constexpr std::uint8_t ChipSends = 0xFE;
constexpr std::uint8_t ShortWrite = 0xFD;
constexpr std::uint8_t LiteralKey = 0xFC;
constexpr std::uint8_t OpenOrClose = 0xFB;
constexpr std::size_t StagingBytes = DeviceLink::BufferSize;
constexpr int RecallsPressed = TerminalKeyboard::HistoryEntries + 1;
constexpr int DisplayLinesKept = 8192;

// Made once; each input leaves the recall pane empty.
struct Panes {
    QPlainTextEdit Memo1;
    LinePane Memo2;
    LinePane Memo3;
};

// The display's panes keep earlier inputs' lines up to a bound (clearing them
// at every input would cost more than the input; never clearing them made
// the target's memory grow without end). The user's cursor stands at the top
// of the recall pane, so it does not follow its end: laying out the newest
// line at every recall costs more than the keys.
void readyPanes(Panes& panes) {
    if (panes.Memo2.lineCount() + panes.Memo3.lineCount() > DisplayLinesKept) {
        panes.Memo2.clear();
        panes.Memo3.clear();
    }
    panes.Memo1.moveCursor(QTextCursor::Start);
}

// What channel A must have staged and carried, key by key.
struct Model {
    std::vector<std::uint8_t> staged;
    QByteArray lastWrite;
    std::deque<std::uint32_t> shortWrites;  // as the backend queues them
    int recalls = 0;

    void write() {
        std::size_t accepted = staged.size();
        if (!shortWrites.empty()) {
            accepted = std::min<std::size_t>(accepted, shortWrites.front());
            shortWrites.pop_front();
        }
        lastWrite = QByteArray(reinterpret_cast<const char*>(staged.data()), qsizetype(accepted));
        staged.erase(staged.begin(), staged.begin() + std::ptrdiff_t(accepted));
    }
    void key(std::uint8_t key) {
        if (key == TerminalKeyboard::RecallKey) {
            ++recalls;
            return;
        }
        // A full staging buffer goes out first rather than be overrun.
        if (staged.size() >= StagingBytes) {
            write();
        }
        if (staged.size() < StagingBytes) {
            staged.push_back(key);
        }
        if (key == TerminalKeyboard::EnterKey) {
            write();
        } else if (key == TerminalKeyboard::BackspaceKey) {
            staged.resize(staged.size() >= 2 ? staged.size() - 2 : 0);
        }
    }
};

// The link is made once, as its buffers are large; each input opens
// channel A afresh on a fresh scripted backend, with nothing staged and no
// dialog on record (a short write's report is kept by the dialogs).
ScriptedDialogs& sharedDialogs() {
    static ScriptedDialogs dialogs;
    return dialogs;
}

DeviceLink& sharedLink() {
    static DeviceLink link(sharedDialogs());
    return link;
}

struct Rig {
    explicit Rig(Panes& panes)
        : terminalPanes(panes.Memo2, panes.Memo3, clock),
          recallPane(panes.Memo1),
          keyboard(link, terminalPanes.display, recallPane) {
        backend->stopLoggingCalls();
        sharedDialogs().clear();
        link.DropStagedA();
        FUZZ_CHECK(openChannelAByHand(link, QStringLiteral("X A")));
    }
    ~Rig() { DriverRegistry::instance().reset(); }

    std::shared_ptr<ScriptedBackend> backend = ScriptedBackend::installFresh();
    DeviceLink& link = sharedLink();
    SelfAdvancingClock clock{{0, 0}};
    DisplayOverPanes terminalPanes;
    AppendingPane recallPane;
    TerminalKeyboard keyboard;
};

void checkStaged(const Rig& rig, const Model& model) {
    FUZZ_CHECK(std::equal(model.staged.begin(), model.staged.end(), rig.link.WriteBufferA.begin()));
}

void pressChecked(Rig& rig, Model& model, char key) {
    TerminalKeyboard& keyboard = rig.keyboard;
    const bool open = rig.link.ChannelAOpen;
    const std::size_t writesBefore = rig.backend->writes().size();
    keyboard.Memo2KeyPress(key);
    if (open) {
        model.key(static_cast<std::uint8_t>(key));
    }
    FUZZ_CHECK(rig.link.WriteCountA == std::int32_t(model.staged.size()));
    if (rig.backend->writes().size() != writesBefore) {
        FUZZ_CHECK(rig.backend->writes().size() == writesBefore + 1);
        FUZZ_CHECK(rig.backend->writes().back().bytes == model.lastWrite);
        checkStaged(rig, model);
    }
    FUZZ_CHECK(keyboard.TypedLineLength >= 0 &&
               keyboard.TypedLineLength <= TerminalKeyboard::TypedLineSlots);
    if (open && key == TerminalKeyboard::EnterKey) {
        FUZZ_CHECK(keyboard.LineHistory.front() == keyboard.TypedLine);
    }
}

void checkRecalledLines(const QPlainTextEdit& Memo1, int recalls) {
    FUZZ_CHECK(Memo1.document()->blockCount() == std::max(recalls, 1));
    for (QTextBlock b = Memo1.document()->begin(); recalls > 0 && b.isValid(); b = b.next()) {
        FUZZ_CHECK(b.text().size() == TerminalKeyboard::RecalledLineLength);
        for (const QChar c : b.text()) {
            FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() != 0x7F);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    makeOffscreenApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Panes panes;
    readyPanes(panes);
    Rig rig(panes);
    Model model;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = data[i];
        const bool escaped = (b == ChipSends || b == ShortWrite || b == LiteralKey) && i + 1 < size;
        const std::uint8_t next = escaped ? data[++i] : b;
        if (b == OpenOrClose) {
            rig.link.ChannelAOpen = !rig.link.ChannelAOpen;
        } else if (escaped && b == ChipSends) {
            rig.terminalPanes.display.ShowTerminalByte(next);
        } else if (escaped && b == ShortWrite) {
            rig.backend->writeShortOnce(next);
            model.shortWrites.push_back(next);
        } else if (next != TerminalKeyboard::RecallKey || model.recalls < RecallsPressed) {
            pressChecked(rig, model, static_cast<char>(next));
        }
    }
    checkStaged(rig, model);
    checkRecalledLines(panes.Memo1, model.recalls);
    if (model.recalls > 0) {
        panes.Memo1.clear();
    }
    deliverPostedEvents();
    return 0;
}
