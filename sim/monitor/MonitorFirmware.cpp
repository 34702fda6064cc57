// The monitor's commands and answers.
//
// A command line is, in the extended set, a word (letters in either case), an
// optional space and parameter, and CR; in the short set, a code byte, an
// optional space and parameter, and CR. P below is the prompt line: "D:\>" CR
// in the extended set, ">" CR in the short set. A number the monitor reads is,
// in hex number input (IPH, the start mode), raw bytes: a count is 4 bytes,
// most significant first; a baud divisor 3 bytes, bits 0-7 first. In ASCII
// number input (IPA) it is decimal text (a divisor too, e.g. "SBD 16696" for
// 9600). Numbers the monitor sends follow the same mode: 4 raw bytes, least
// significant first, or decimal text.
//
// command   word  code  parameter     answer (both sets; P in the set's form)
// -------   ----  ----  ---------     ------------------------------------------
// listing   DIR   0x01  none          CR, one line per entry of the current
//                                     directory ("README.TXT" CR, "DOCS DIR" CR), P
// entry     DIR   0x01  name          CR, NAME, space, size, CR, P
//                                     (a directory: CR, NAME, " DIR", CR, P)
// change    CD    0x02  name, \, ..   P
// read all  RD    0x04  name          the file's bytes, P
// del dir   DLD   0x05  name          P (only an empty directory)
// make dir  MKD   0x06  name          P
// del file  DLF   0x07  name          P (not the open file)
// write     WRF   0x08  count         the count bytes that follow are data,
//                                     whatever they hold; after the last: P
// open wr   OPW   0x09  name          P; an existing file is emptied first
// close     CLF   0x0A  [name]        P; without a name closes the open file
// read      RDF   0x0B  count         exactly count bytes from the open file's
//                                     position, P
// rename    REN   0x0C  old new       P
// open rd   OPR   0x0E  name          P
// identify  IDD   0x0F  none          CR, "Tarvik Virtual Disk", CR, P
// short set SCS   0x10  none          ">" CR (already in the short set's form)
// ext set   ECS   0x11  none          "D:\>" CR
// free      FS    0x12  none          CR, free bytes, CR, P
// version   FWV   0x13  none          CR, "Tarvik Monitor 1.0", CR, P
// baud      SBD   0x14  divisor       P at the old rate, then the new rate
// suspend   SUM   0x17  none          P; then every byte is ignored until a CR,
//                                     which is answered with P
// echo      E     0x45  none          "E" CR (no prompt)
// echo      e     0x65  none          "e" CR (no prompt)
// ascii     IPA   0x90  none          P
// hex       IPH   0x91  none          P
// setup     -     0x9A  8 raw bytes   hex input only; the hLength*256+lLength
//                                     data bytes after the CR are consumed,
//                                     then "Command Failed"/"CF" CR, P (no
//                                     peripheral on this board answers SETUP)
// empty line                          P
//
// Errors: the line below, then P.
//   "Bad Command" / "BC"     unknown word or code; a parameter of the wrong
//                            shape (a parameter-less command given one, a
//                            missing name, a number that is not a number);
//                            a line longer than 256 bytes
//   "No Disk" / "ND"         a disk command with no disk (WRF consumes its
//                            data first)
//   "Command Failed" / "CF"  no such file or directory, nothing open (or
//                            open the other way) for WRF/RDF/CLF, RDF beyond
//                            the file's end (no data is sent), a name taken
//   "Disk Full" / "DF"       a WRF whose data do not fit: the data are
//                            consumed and none of them is written
//
// Start: the rate goes to 9600, the extended set with hex number input is
// chosen, and CR, "Tarvik Monitor 1.0 ready", CR, "D:\>" CR are sent.
#include "MonitorFirmware.h"

#include <algorithm>

#include "DivisorToBaud.h"

namespace {

constexpr std::uint8_t carriageReturn = 0x0D;
constexpr std::string_view signOn = "Tarvik Monitor 1.0 ready";
constexpr std::string_view firmwareVersion = "Tarvik Monitor 1.0";

std::optional<std::uint32_t> decimal(const std::string& text, std::uint64_t limit) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > limit) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

std::uint32_t rawByte(const std::string& text, std::size_t index) {
    return static_cast<std::uint8_t>(text[index]);
}

bool takesNoParameter(MonitorCommand command) {
    switch (command) {
        case MonitorCommand::IdentifyDisk:
        case MonitorCommand::ShortCommandSet:
        case MonitorCommand::ExtendedCommandSet:
        case MonitorCommand::FreeSpace:
        case MonitorCommand::FirmwareVersion:
        case MonitorCommand::SuspendMonitor:
        case MonitorCommand::EchoUpper:
        case MonitorCommand::EchoLower:
        case MonitorCommand::AsciiNumberInput:
        case MonitorCommand::HexNumberInput:
            return true;
        default:
            return false;
    }
}

bool needsName(MonitorCommand command) {
    switch (command) {
        case MonitorCommand::ChangeDirectory:
        case MonitorCommand::ReadFile:
        case MonitorCommand::DeleteDirectory:
        case MonitorCommand::MakeDirectory:
        case MonitorCommand::DeleteFile:
        case MonitorCommand::OpenForWrite:
        case MonitorCommand::OpenForRead:
        case MonitorCommand::Rename:
            return true;
        default:
            return false;
    }
}

}  // namespace

MonitorFirmware::MonitorFirmware(ChipLink& link, VirtualDisk& disk) : link(link), disk(disk) {}

void MonitorFirmware::start() {
    link.changeBaudRate(startBaudRate);
    resetState();
    sendText("\r");
    sendLine(signOn);
    sendPrompt();
}

void MonitorFirmware::resetState() {
    extended = true;
    hexNumbers = true;
    phase = Phase::Line;
    line.clear();
    lineOverflowed = false;
    rawRemaining = 0;
    data = DataPhase{};
    openFile.reset();
    currentDirectory.clear();
}

void MonitorFirmware::receive(std::uint8_t byte) {
    switch (phase) {
        case Phase::Line:
            receiveLineByte(byte);
            break;
        case Phase::RawParameter:
            receiveRawParameterByte(byte);
            break;
        case Phase::Data:
            receiveDataByte(byte);
            break;
        case Phase::Suspended:
            receiveWhileSuspended(byte);
            break;
    }
}

void MonitorFirmware::receiveLineByte(std::uint8_t byte) {
    if (byte == carriageReturn) {
        endLine();
        return;
    }
    if (line.size() >= lineCapacity) {
        lineOverflowed = true;
        return;
    }
    line.push_back(static_cast<char>(byte));
    if (byte == ' ' && startsRawParameter()) {
        rawRemaining = rawParameterLength(*commandOfLineSoFar());
        phase = Phase::RawParameter;
    }
}

bool MonitorFirmware::startsRawParameter() const {
    const std::optional<MonitorCommand> command = commandOfLineSoFar();
    return hexNumbers && command && rawParameterLength(*command) > 0;
}

// The command named before the line's first and only space, just received.
std::optional<MonitorCommand> MonitorFirmware::commandOfLineSoFar() const {
    if (line.find(' ') != line.size() - 1) {
        return std::nullopt;
    }
    if (!extended) {
        return line.size() == 2 ? commandForCode(static_cast<std::uint8_t>(line[0])) : std::nullopt;
    }
    const std::optional<MonitorCommand> command = commandForWord(line.substr(0, line.size() - 1));
    return command == MonitorCommand::SendSetup ? std::nullopt : command;
}

void MonitorFirmware::receiveRawParameterByte(std::uint8_t byte) {
    line.push_back(static_cast<char>(byte));
    if (--rawRemaining == 0) {
        phase = Phase::Line;
    }
}

void MonitorFirmware::receiveDataByte(std::uint8_t byte) {
    if (data.keep) {
        data.bytes.push_back(byte);
    }
    if (--data.remaining == 0) {
        phase = Phase::Line;
        endData();
    }
}

void MonitorFirmware::receiveWhileSuspended(std::uint8_t byte) {
    if (byte == carriageReturn) {
        phase = Phase::Line;
        sendPrompt();
    }
}

void MonitorFirmware::endLine() {
    const bool overflowed = lineOverflowed;
    lineOverflowed = false;
    if (overflowed) {
        line.clear();
        sendOutcome(Outcome::BadCommand);
        return;
    }
    if (line.empty()) {
        sendPrompt();
        return;
    }
    const std::optional<Command> command = parseLine();
    line.clear();
    if (command) {
        execute(*command);
    } else {
        sendOutcome(Outcome::BadCommand);
    }
}

std::optional<MonitorFirmware::Command> MonitorFirmware::parseLine() const {
    return extended ? parseExtendedLine() : parseShortLine();
}

std::optional<MonitorFirmware::Command> MonitorFirmware::parseExtendedLine() const {
    const std::size_t space = line.find(' ');
    const std::optional<MonitorCommand> command = commandForWord(line.substr(0, space));
    // SETUP has no word of its own: it exists only as a short code.
    if (!command || *command == MonitorCommand::SendSetup) {
        return std::nullopt;
    }
    return Command{*command, space == std::string::npos ? std::string() : line.substr(space + 1)};
}

std::optional<MonitorFirmware::Command> MonitorFirmware::parseShortLine() const {
    const std::optional<MonitorCommand> command =
        commandForCode(static_cast<std::uint8_t>(line[0]));
    // A code is followed by CR at once, or by a space and its parameter.
    if (!command || (line.size() > 1 && line[1] != ' ')) {
        return std::nullopt;
    }
    return Command{*command, line.size() > 2 ? line.substr(2) : std::string()};
}

void MonitorFirmware::execute(const Command& command) {
    if ((takesNoParameter(command.command) && !command.parameter.empty()) ||
        (needsName(command.command) && command.parameter.empty())) {
        sendOutcome(Outcome::BadCommand);
        return;
    }
    if (!usesDisk(command.command)) {
        executeLinkCommand(command);
        return;
    }
    // A write's data must be consumed even without a disk, or they would be
    // read as commands.
    if (!disk.present() && command.command != MonitorCommand::WriteToFile) {
        sendOutcome(Outcome::NoDisk);
        return;
    }
    executeDiskCommand(command);
}

void MonitorFirmware::executeLinkCommand(const Command& command) {
    switch (command.command) {
        case MonitorCommand::ShortCommandSet:
            extended = false;
            sendPrompt();
            break;
        case MonitorCommand::ExtendedCommandSet:
            extended = true;
            sendPrompt();
            break;
        case MonitorCommand::AsciiNumberInput:
            hexNumbers = false;
            sendPrompt();
            break;
        case MonitorCommand::HexNumberInput:
            hexNumbers = true;
            sendPrompt();
            break;
        case MonitorCommand::FirmwareVersion:
            sendText("\r");
            sendLine(firmwareVersion);
            sendPrompt();
            break;
        case MonitorCommand::SetBaudRate:
            setBaudRate(command.parameter);
            break;
        case MonitorCommand::SuspendMonitor:
            sendPrompt();
            phase = Phase::Suspended;
            break;
        case MonitorCommand::EchoUpper:
            sendLine("E");
            break;
        case MonitorCommand::EchoLower:
            sendLine("e");
            break;
        case MonitorCommand::SendSetup:
            sendSetup(command.parameter);
            break;
        default:
            sendOutcome(Outcome::BadCommand);
            break;
    }
}

void MonitorFirmware::beginData(std::uint64_t count, bool keep, Outcome outcome) {
    data = DataPhase{count, keep, outcome, {}};
    if (count == 0) {
        endData();
    } else {
        phase = Phase::Data;
    }
}

void MonitorFirmware::endData() {
    Outcome outcome = data.outcome;
    if (data.keep) {
        if (!disk.present()) {
            outcome = Outcome::NoDisk;
        } else if (!disk.isFile(openFile->path)) {
            outcome = Outcome::CommandFailed;
        } else if (!disk.append(openFile->path, data.bytes)) {
            outcome = Outcome::DiskFull;
        }
    }
    data = DataPhase{};
    sendOutcome(outcome);
}

// The answer must leave at the old rate: the host listens at it until it has
// seen the prompt, and only then follows.
void MonitorFirmware::setBaudRate(const std::string& divisorParameter) {
    const std::optional<std::uint32_t> divisor = numberParameter(divisorParameter, 3);
    if (!divisor) {
        sendOutcome(Outcome::BadCommand);
        return;
    }
    sendPrompt();
    link.changeBaudRate(divisorToBaud(*divisor));
}

void MonitorFirmware::sendSetup(const std::string& header) {
    if (!hexNumbers || header.size() != rawParameterLength(MonitorCommand::SendSetup)) {
        sendOutcome(Outcome::BadCommand);
        return;
    }
    const std::uint64_t dataLength = rawByte(header, 6) * 256 + rawByte(header, 7);
    beginData(dataLength, false, Outcome::CommandFailed);
}

// Counts (4 raw bytes) come most significant byte first; a divisor (3 raw
// bytes) least significant first, as the bridge's own divisor register.
std::optional<std::uint32_t> MonitorFirmware::numberParameter(const std::string& parameter,
                                                              std::size_t rawLength) const {
    const bool divisor = rawLength == 3;
    if (!hexNumbers) {
        return decimal(parameter, divisor ? 0xFFFFFFull : 0xFFFFFFFFull);
    }
    if (parameter.size() != rawLength) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < rawLength; ++i) {
        const std::size_t index = divisor ? rawLength - 1 - i : i;
        value = (value << 8) | rawByte(parameter, index);
    }
    return value;
}

void MonitorFirmware::sendBytes(const std::vector<std::uint8_t>& bytes) {
    for (const std::uint8_t byte : bytes) {
        link.transmit(byte);
    }
}

void MonitorFirmware::sendText(std::string_view text) {
    for (const char c : text) {
        link.transmit(static_cast<std::uint8_t>(c));
    }
}

void MonitorFirmware::sendLine(std::string_view text) {
    sendText(text);
    link.transmit(carriageReturn);
}

void MonitorFirmware::sendNumber(std::uint64_t value) {
    if (!hexNumbers) {
        sendText(std::to_string(value));
        return;
    }
    const std::uint64_t clamped = std::min<std::uint64_t>(value, 0xFFFFFFFFull);
    for (int shift = 0; shift < 32; shift += 8) {
        link.transmit(static_cast<std::uint8_t>(clamped >> shift));
    }
}

void MonitorFirmware::sendPrompt() {
    sendLine(answers().prompt);
}

void MonitorFirmware::sendOutcome(Outcome outcome) {
    switch (outcome) {
        case Outcome::Done:
            break;
        case Outcome::NoDisk:
            sendLine(answers().noDisk);
            break;
        case Outcome::CommandFailed:
            sendLine(answers().commandFailed);
            break;
        case Outcome::DiskFull:
            sendLine(answers().diskFull);
            break;
        case Outcome::BadCommand:
            sendLine(answers().badCommand);
            break;
    }
    sendPrompt();
}
