// The conversation the spy board's host holds with its chip, round after
// round. It touches everything the spy's decoders read: both command sets,
// the number-input and command-set switches, baud changes in both forms, a
// SETUP command whose data hold CR bytes, a directory listing, error answers,
// echoes and both prompts, at the pace of a host that waits for each answer.
#include "SpyStep.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t lineGap = 30;    // between a command and its answer
constexpr std::uint32_t answerGap = 40;  // between an answer and the next command

void exchange(SpyScript& script, SpyStep command, SpyStep answer) {
    script.push_back(std::move(command));
    script.push_back(SpyStep::pause(lineGap));
    script.push_back(std::move(answer));
    script.push_back(SpyStep::pause(answerGap));
}

void extendedSetPart(SpyScript& script) {
    // A directory listing: CR, one line per entry, the extended prompt.
    exchange(script, SpyStep::hostSends("DIR\r"),
             SpyStep::chipSends("\rBIG.BIN\rDATA.BIN\rDOCS DIR\rEDGE.BIN\rREADME.TXT\rD:\\>\r"));
    // The firmware version, then the prompt.
    exchange(script, SpyStep::hostSends("FWV\r"),
             SpyStep::chipSends("\rTarvik Monitor 1.0\rD:\\>\r"));
    // A word the monitor does not know.
    exchange(script, SpyStep::hostSends("XYZ\r"), SpyStep::chipSends("Bad Command\rD:\\>\r"));
    // A disk command while the disk is out of its socket.
    exchange(script, SpyStep::hostSends("IDD\r"), SpyStep::chipSends("No Disk\rD:\\>\r"));
    // Both echoes: the letter comes back with a CR and no prompt.
    exchange(script, SpyStep::hostSends("E\r"), SpyStep::chipSends("E\r"));
    exchange(script, SpyStep::hostSends("e\r"), SpyStep::chipSends("e\r"));
    // To 115,200 baud: the answer still at 9600, the rate changes after it.
    exchange(script, SpyStep::hostSends(Bytes{'S', 'B', 'D', ' ', 0x1A, 0x00, 0x00, 0x0D}),
             SpyStep::chipSends("D:\\>\r"));
    script.push_back(SpyStep::rateChange(115'200));
    // The same listing at the higher rate.
    exchange(script, SpyStep::hostSends("DIR\r"),
             SpyStep::chipSends("\rBIG.BIN\rDATA.BIN\rDOCS DIR\rEDGE.BIN\rREADME.TXT\rD:\\>\r"));
    // Back to 9600 baud (divisor 38 41 00).
    exchange(script, SpyStep::hostSends(Bytes{'S', 'B', 'D', ' ', 0x38, 0x41, 0x00, 0x0D}),
             SpyStep::chipSends("D:\\>\r"));
    script.push_back(SpyStep::rateChange(9600));
    // ASCII number input and back to hex.
    exchange(script, SpyStep::hostSends("IPA\r"), SpyStep::chipSends("D:\\>\r"));
    exchange(script, SpyStep::hostSends("IPH\r"), SpyStep::chipSends("D:\\>\r"));
    // Short and extended set by word: SCS answers with the short prompt.
    exchange(script, SpyStep::hostSends("SCS\r"), SpyStep::chipSends(">\r"));
    exchange(script, SpyStep::hostSends(Bytes{0x11, 0x0D}), SpyStep::chipSends("D:\\>\r"));
    exchange(script, SpyStep::hostSends("ECS\r"), SpyStep::chipSends("D:\\>\r"));
}

void shortSetPart(SpyScript& script) {
    // Into the short set by word; its code, sent in the short set, changes
    // nothing more.
    exchange(script, SpyStep::hostSends("SCS\r"), SpyStep::chipSends(">\r"));
    exchange(script, SpyStep::hostSends(Bytes{0x10, 0x0D}), SpyStep::chipSends(">\r"));
    // DIR by code 0x01.
    exchange(script, SpyStep::hostSends(Bytes{0x01, 0x0D}),
             SpyStep::chipSends("\rBIG.BIN\rDATA.BIN\rDOCS DIR\rEDGE.BIN\rREADME.TXT\r>\r"));
    // An unknown code, and a disk command without a disk.
    exchange(script, SpyStep::hostSends(Bytes{0x77, 0x0D}), SpyStep::chipSends("BC\r>\r"));
    exchange(script, SpyStep::hostSends(Bytes{0x0F, 0x0D}), SpyStep::chipSends("ND\r>\r"));
    // Both echoes by code.
    exchange(script, SpyStep::hostSends(Bytes{0x45, 0x0D}), SpyStep::chipSends("E\r"));
    exchange(script, SpyStep::hostSends(Bytes{0x65, 0x0D}), SpyStep::chipSends("e\r"));
    // To 230,400 baud: divisor 0D 00 00, whose first byte is a CR.
    exchange(script, SpyStep::hostSends(Bytes{0x14, 0x20, 0x0D, 0x00, 0x00, 0x0D}),
             SpyStep::chipSends(">\r"));
    script.push_back(SpyStep::rateChange(230'400));
    // A SETUP command: header, CR, then 0x0012 data bytes with CRs among them;
    // no peripheral answers it, so the monitor reports the command failed.
    exchange(script,
             SpyStep::hostSends(Bytes{0x9A, 0x20, 0x80, 0x06, 0x01, 0x00, 0x00, 0x00, 0x00, 0x12,
                                      0x0D, 0x12, 0x01, 0x0D, 0x02, 0x00, 0x00, 0x00, 0x40, 0x0D,
                                      0x0D, 0x34, 0x12, 0x00, 0x01, 0x01, 0x02, 0x0D, 0x01}),
             SpyStep::chipSends("CF\r>\r"));
    // Back to 9600 baud by code.
    exchange(script, SpyStep::hostSends(Bytes{0x14, 0x20, 0x38, 0x41, 0x00, 0x0D}),
             SpyStep::chipSends(">\r"));
    script.push_back(SpyStep::rateChange(9600));
    // ASCII and hex number input by code.
    exchange(script, SpyStep::hostSends(Bytes{0x90, 0x0D}), SpyStep::chipSends(">\r"));
    exchange(script, SpyStep::hostSends(Bytes{0x91, 0x0D}), SpyStep::chipSends(">\r"));
    // Back to the extended set, where the next round begins.
    exchange(script, SpyStep::hostSends(Bytes{0x11, 0x0D}), SpyStep::chipSends("D:\\>\r"));
}

}  // namespace

SpyScript defaultSpyScript() {
    SpyScript script;
    // The spy's channels are opened and set up before the first line.
    script.push_back(SpyStep::pause(200));
    extendedSetPart(script);
    shortSetPart(script);
    // A quiet moment before the next round.
    script.push_back(SpyStep::pause(500));
    return script;
}
