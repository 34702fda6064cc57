// Makes the fuzz targets' corpus from the simulated boards' own traffic: the
// spy board's conversation split by direction for the decoders, the monitor's
// answers on the sample disk for the DIR parser and the terminal, typed
// sessions with those answers for the keyboard, host command sessions for the
// monitor, and raw images around the flash's size for the ROM reader.
//
// Usage: fuzz_make_corpus <folder>   (the repository's fuzz/corpus)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "ChipLink.h"
#include "MonitorFirmware.h"
#include "SpyStep.h"
#include "VirtualDisk.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t CarriageReturn = 0x0D;

Bytes bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The four raw bytes of a count, most significant first.
Bytes count(std::uint32_t value) {
    return {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8),
            std::uint8_t(value)};
}

class Corpus {
  public:
    explicit Corpus(fs::path root) : root(std::move(root)) {}

    void write(const std::string& target, const std::string& name, const Bytes& content) {
        const fs::path folder = root / target;
        fs::create_directories(folder);
        std::ofstream file(folder / name, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(content.data()),
                   static_cast<std::streamsize>(content.size()));
        ++files;
    }
    int written() const { return files; }

  private:
    fs::path root;
    int files = 0;
};

class RecordingLink : public ChipLink {
  public:
    void transmit(std::uint8_t byte) override { sent.push_back(byte); }
    void changeBaudRate(std::uint32_t) override {}
    bool dataMode() const override { return false; }

    Bytes sent;
};

// The monitor on the sample disk, as the simulated evaluation board runs it.
struct Monitor {
    explicit Monitor(bool diskPresent = true) {
        disk.seedSamples();
        disk.put("ABCDEFGHIJKL.BIN", Bytes(300, 0x55));
        disk.put("ABCDEFGHIJKLM.BIN", Bytes(3, 0x0D));
        disk.setPresent(diskPresent);
        firmware.start();
    }
    Bytes answer(const Bytes& line) {
        link.sent.clear();
        for (const std::uint8_t b : line) {
            firmware.receive(b);
        }
        return link.sent;
    }
    // As the spy's decoders take them: bit 0 the extended set, bit 1 hex input.
    std::uint8_t options() const {
        return std::uint8_t((firmware.extendedCommandSet() ? 1 : 0) |
                            (firmware.hexNumberInput() ? 2 : 0));
    }

    VirtualDisk disk;
    RecordingLink link;
    MonitorFirmware firmware{link, disk};
};

std::string numbered(const char* stem, std::size_t index) {
    char name[64];
    std::snprintf(name, sizeof name, "%s_%02zu", stem, index);
    return name;
}

// Each command line with the options in force when it is sent, each answer
// with those in force after it, and each whole direction of one round.
void spyConversation(Corpus& corpus) {
    Monitor monitor;
    Bytes commands{monitor.options()};
    Bytes answers{std::uint8_t(monitor.options() & 1)};
    std::size_t line = 0;
    std::size_t answer = 0;
    for (const SpyStep& step : defaultSpyScript()) {
        if (step.kind == SpyStep::Kind::HostSends) {
            corpus.write("command_decoder", numbered("line", line++),
                         Bytes{monitor.options()} + step.bytes);
            commands = commands + step.bytes;
            monitor.answer(step.bytes);
        } else if (step.kind == SpyStep::Kind::ChipSends) {
            corpus.write("answer_decoder", numbered("answer", answer++),
                         Bytes{std::uint8_t(monitor.options() & 1)} + step.bytes);
            answers = answers + step.bytes;
        }
    }
    corpus.write("command_decoder", "conversation", commands);
    corpus.write("answer_decoder", "conversation", answers);
    // The monitor's own input starts with its disk flag, not the options.
    corpus.write("monitor", "spy_conversation",
                 Bytes{0} + Bytes(commands.begin() + 1, commands.end()));
}

void dirAnswers(Corpus& corpus) {
    const char* names[] = {
        "README.TXT",       "DATA.BIN", "LOG.TXT",    "EDGE.BIN", "EMPTY.TXT",
        "DOCS\\NOTES.TXT",  "DOCS",     "NOSUCH.TXT", "log.txt",  "ABCDEFGHIJKL.BIN",
        "ABCDEFGHIJKLM.BIN"};
    std::size_t index = 0;
    for (const char* name : names) {
        Monitor monitor;
        corpus.write("dir_answer", numbered("dir", index++),
                     monitor.answer(bytes("DIR ") + bytes(name) + bytes("\r")));
    }
    Monitor ascii;
    ascii.answer(bytes("IPA\r"));
    corpus.write("dir_answer", "dir_ascii_size", ascii.answer(bytes("DIR LOG.TXT\r")));
    Monitor shortSet;
    shortSet.answer(bytes("SCS\r"));
    corpus.write("dir_answer", "dir_short_set",
                 shortSet.answer(Bytes{0x01, ' '} + bytes("LOG.TXT\r")));
    corpus.write("dir_answer", "dir_short_set_failed",
                 shortSet.answer(Bytes{0x01, ' '} + bytes("NOSUCH\r")));
    Monitor noDisk(false);
    corpus.write("dir_answer", "dir_no_disk", noDisk.answer(bytes("DIR LOG.TXT\r")));
}

void terminalAnswers(Corpus& corpus) {
    Monitor monitor(true);
    corpus.write("terminal_display", "sign_on", monitor.link.sent);
    const char* lines[] = {"DIR\r",           "FWV\r",         "IDD\r",         "FS\r",
                           "RD README.TXT\r", "RD DATA.BIN\r", "DIR LOG.TXT\r", "XYZ\r",
                           "DIR DOCS\r",      "CD DOCS\r",     "DIR\r",         "CD ..\r",
                           "SCS\r",           "\x01\r",        "\x77\r",        "\x11\r"};
    std::size_t index = 0;
    for (const char* line : lines) {
        corpus.write("terminal_display", numbered("answer", index++), monitor.answer(bytes(line)));
    }
}

// Keys typed into the terminal, each line's answer shown between them as the
// chip's bytes (0xFE x), the keyboard's own escape bytes typed as keys (0xFC x).
class TypedSession {
  public:
    void type(std::string_view keys) {
        for (const char c : keys) {
            const auto key = static_cast<std::uint8_t>(c);
            if (key >= 0xFB && key <= 0xFE) {
                input.push_back(0xFC);
            }
            input.push_back(key);
            stage(key);
        }
    }
    void escape(Bytes control) { input = input + control; }
    const Bytes& keys() const { return input; }

  private:
    void stage(std::uint8_t key) {
        if (key == 0) {
            return;
        }
        staged.push_back(key);
        if (key == 0x08) {
            staged.resize(staged.size() >= 2 ? staged.size() - 2 : 0);
        } else if (key == CarriageReturn) {
            for (const std::uint8_t b : monitor.answer(staged)) {
                input = input + Bytes{0xFE, b};
            }
            staged.clear();
        }
    }

    Monitor monitor;
    Bytes staged;
    Bytes input;
};

void keyboardSessions(Corpus& corpus) {
    const auto write = [&corpus](const char* name, const std::vector<std::string_view>& keys) {
        TypedSession session;
        for (const std::string_view k : keys) {
            session.type(k);
        }
        corpus.write("terminal_keyboard", name, session.keys());
    };
    write("dir", {"dir\r"});
    write("backspace", {"ab\bc\r", "x\r\by\r", "dirr\b\b\r"});
    write("recall", {"fwv\r", "ab", std::string_view("\0", 1), "\r"});
    write("latin1", {"\xE9t\xE9\r", "\xFC\xFD\xFE\r"});
    write("history",
          {"dir\r", "fwv\r", "idd\r", "fs\r", "cd docs\r", "dir\r", "cd ..\r", "dir log.txt\r",
           "ipa\r", "fs\r", "iph\r", "dir\r", std::string_view("\0\0\0\0\0\0\0\0\0\0\0\0", 12)});
    TypedSession shortWrite;
    shortWrite.escape({0xFD, 0x02});
    shortWrite.type("dir\r");
    shortWrite.type("fwv\r");
    corpus.write("terminal_keyboard", "short_write", shortWrite.keys());
    TypedSession closed;
    closed.escape({0xFB});
    closed.type("dir\r");
    closed.escape({0xFB});
    closed.type("dir\r");
    corpus.write("terminal_keyboard", "closed_then_open", closed.keys());
}

// What the host's transfers and a user at the terminal send the monitor.
void monitorSessions(Corpus& corpus) {
    const Bytes data = bytes("line one\r\nline two\r\n\r\r");
    const Bytes send = bytes("OPW NEW.TXT\r") + bytes("WRF ") + count(std::uint32_t(data.size())) +
                       bytes("\r") + data + bytes("CLF NEW.TXT\rDIR NEW.TXT\r");
    corpus.write("monitor", "send_file", Bytes{0} + send);
    corpus.write("monitor", "send_file_no_disk", Bytes{1} + send);
    corpus.write("monitor", "receive_rd", Bytes{0} + bytes("DIR LOG.TXT\rRD LOG.TXT\r"));
    corpus.write("monitor", "receive_rdf",
                 Bytes{0} + bytes("DIR EDGE.BIN\rOPR EDGE.BIN\rRDF ") + count(0x100) +
                     bytes("\rRDF ") + count(0x0D0D) + bytes("\r"));
    corpus.write("monitor", "directories",
                 Bytes{0} + bytes("MKD NEW\rCD NEW\rOPW A.TXT\rCLF\rDIR\rCD ..\rDLD NEW\r"
                                  "REN README.TXT READ.ME\rDLF READ.ME\rDIR\r"));
    corpus.write("monitor", "ascii_numbers",
                 Bytes{0} + bytes("IPA\rOPW B.TXT\rWRF 5\rhello\rFS\rSBD 16696\rIPH\r"));
    corpus.write("monitor", "short_set",
                 Bytes{0} + bytes("SCS\r") + Bytes{0x01, 0x0D, 0x09, ' '} + bytes("C.TXT\r") +
                     Bytes{0x08, ' '} + count(2) + bytes("\rok") + Bytes{0x0A, 0x0D, 0x13, 0x0D} +
                     Bytes{0x14, ' ', 0x0D, 0x00, 0x00, 0x0D, 0x11, 0x0D});
    corpus.write("monitor", "suspend", Bytes{0} + bytes("SUM\rxyz\rFWV\r"));
    corpus.write("monitor", "long_line", Bytes{0} + Bytes(300, 'A') + bytes("\rDIR\r"));
    corpus.write("monitor", "disk_full",
                 Bytes{0} + bytes("OPW FULL.BIN\rWRF ") + count(0x00FFFFFF) + bytes("\r"));
}

// Raw images: empty, around a block, and around the flash's 64 KiB.
void romImages(Corpus& corpus) {
    const auto image = [](std::size_t size) {
        Bytes content(size);
        std::uint32_t state = 1;
        for (std::uint8_t& b : content) {
            state = state * 1664525u + 1013904223u;
            b = std::uint8_t(state >> 24);
        }
        return content;
    };
    for (const std::size_t size : {0, 1, 255, 256, 257, 4096, 65536, 65537}) {
        corpus.write("rom_image", "image_" + std::to_string(size), image(size));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    Corpus corpus{fs::path(argv[1])};
    spyConversation(corpus);
    dirAnswers(corpus);
    terminalAnswers(corpus);
    keyboardSessions(corpus);
    monitorSessions(corpus);
    romImages(corpus);
    std::printf("%d files written\n", corpus.written());
    return 0;
}
