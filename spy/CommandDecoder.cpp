#include "CommandDecoder.h"

#include <QStringList>
#include <algorithm>
#include <optional>
#include <utility>

#include "DeviceLink.h"
#include "LineBytes.h"
#include "SpyBaudDivisors.h"
#include "SpyOptions.h"
#include "SpyPanes.h"

namespace {

constexpr std::uint8_t SetBaudRateCode = 0x14;
constexpr std::uint8_t SetupCode = 0x9A;
constexpr std::int32_t Capacity = static_cast<std::int32_t>(CommandDecoder::BufferSize);
constexpr std::int32_t SetupHeaderLength = 11;

const QString Prefix = QStringLiteral("Cmd Decode: ");
const QString CarriageReturnText = QStringLiteral("Carriage Return $0D ");

// The monitor state a command line moves the spy to, besides its reading.
enum class Follow { Nothing, ShortSet, ExtendedSet, AsciiInput, HexInput };

struct ShortCommand {
    std::uint8_t code;
    const char* description;
    Follow follow = Follow::Nothing;
};

const ShortCommand ShortCommands[] = {
    {0x01, "DIR"},
    {0x02, "Change Directory"},
    {0x03, "Sector Dump"},
    {0x04, "Read File"},
    {0x05, "Delete Directory"},
    {0x06, "Make Directory"},
    {0x07, "Delete File"},
    {0x08, "Write to File"},
    {0x09, "Open File for Write"},
    {0x0A, "Close File"},
    {0x0B, "Read From File"},
    {0x0C, "Rename "},
    {0x0D, "Carriage Return $0D "},
    {0x0E, "Open File for Read"},
    {0x0F, "Identify Disk Drive"},
    {0x10, "Switch to Short Cmd Set", Follow::ShortSet},
    {0x11, "Switch to Extended Cmd Set", Follow::ExtendedSet},
    {0x12, "Free Space"},
    {0x13, "Get Firmware Version"},
    {0x14, "Set Baud Rate "},
    {0x15, "Suspend Disk"},
    {0x16, "Wake Disk"},
    {0x17, "Suspend Monitor"},
    {0x18, "Halvex Slave Peripheral Set Baud Rate "},
    {0x19, "Halvex Slave Peripheral Set Modem Control"},
    {0x1A, "Halvex Slave Peripheral Set Data Characteristics"},
    {0x1B, "Halvex Slave Peripheral Set Flow Control"},
    {0x1C, "Halvex Slave Peripheral Get Modem Status"},
    {0x1D, "Audrix play a File"},
    {0x1E, "Audrix write to command register"},
    {0x1F, "Audrix read from command register"},
    {0x20, "Audrix stop playing"},
    {0x22, "Halvex Slave Peripheral Set Latency Timer"},
    {0x23, "Halvex Slave Peripheral Set Bit Mode"},
    {0x24, "Halvex Slave Peripheral Get Bit Mode"},
    {0x25, "Audrix skip to next track"},
    {0x26, "Audrix skip back"},
    {0x28, "Seek in file"},
    {0x29, "IO Port Read "},
    {0x2A, "IO Port Write "},
    {0x2B, "Query Port 1 Status"},
    {0x2C, "Query Port 2 Status"},
    {0x45, "Echo E"},
    {0x65, "Echo e"},
    {0x83, "Send Data to Peripheral Device "},
    {0x84, "Read Data from Peripheral Device "},
    {0x85, "Query Device "},
    {0x86, "Set Current Device "},
    {0x87, "Make Current Device seen as Halvex type "},
    {0x90, "Switch to ASCII number input", Follow::AsciiInput},
    {0x91, "Switch to HEX number input", Follow::HexInput},
    {0x92, "Sector Write"},
    {0x93, "Free Space Extended?"},
    {0x94, "Identify Disk Drive Extended"},
    {0x95, "Halvex Slave Peripheral Erase EEPROM"},
    {0x96, "Halvex Slave Peripheral Write EEPROM"},
    {0x97, "Halvex Slave Peripheral Read EEPROM"},
    {0x98, "Query Slave Status"},
    {0x9A, "Send SETUP Command"},
};

const ShortCommand* findShortCommand(std::uint8_t code) {
    const auto* found = std::find_if(std::begin(ShortCommands), std::end(ShortCommands),
                                     [code](const ShortCommand& c) { return c.code == code; });
    return found == std::end(ShortCommands) ? nullptr : found;
}

// The extended-set words that end at their CR and switch the monitor.
struct SwitchWord {
    const char* letters;
    const char* reading;
    Follow follow;
};

const SwitchWord SwitchWords[] = {
    {"IPA", "Switch to ASCII number input", Follow::AsciiInput},
    {"IPH", "Switch to HEX number input", Follow::HexInput},
    {"ECS", "Switch to Extended command set", Follow::ExtendedSet},
    {"SCS", "Switch to Short command set", Follow::ShortSet},
};

// The command line being decoded: b(i) is its byte i, n its whole length.
// Decoding looks at no byte past the SETUP header, so every byte it reads is
// in the buffer even when a SETUP command's data has run past it.
struct CommandLine {
    const std::uint8_t* bytes;
    std::int32_t n;
    std::uint8_t b(int i) const { return bytes[i]; }
};

// What decoding a line comes to: held for more bytes, or a reading and what
// the spy follows because of it.
struct Decoding {
    bool held = false;
    std::int32_t target = 0;  // a held SETUP command's whole length; 0 for any other hold
    QStringList lines;
    Follow follow = Follow::Nothing;
    std::optional<std::uint32_t> divisor;
};

Decoding heldFor(std::int32_t target = 0) {
    Decoding d;
    d.held = true;
    d.target = target;
    return d;
}

Decoding reading(const QString& text, Follow follow = Follow::Nothing) {
    Decoding d;
    d.lines << Prefix + text;
    d.follow = follow;
    return d;
}

Decoding baudRateReading(const QString& text, std::uint8_t low, std::uint8_t middle,
                         std::uint8_t high) {
    Decoding d = reading(text);
    d.divisor = std::uint32_t{low} | std::uint32_t{middle} << 8 | std::uint32_t{high} << 16;
    return d;
}

Decoding loneCarriageReturn(const CommandLine& line) {
    return reading(line.b(0) == CarriageReturn ? CarriageReturnText : QString());
}

Decoding setupBreakdown(const CommandLine& line, const QString& description) {
    static const char* const labels[] = {"bmRequestType :", "bRequest :", "hValue :",  "lValue :",
                                         "hIndex :",        "lIndex :",   "hLength :", "lLength :"};
    Decoding d = reading(description);
    for (int field = 0; field < 8; ++field) {
        d.lines << QLatin1String(labels[field]) + ByteToHex(line.b(2 + field));
    }
    return d;
}

// Only with hex number input do the header's bytes carry the data length,
// and the data may contain CR bytes, so the command is complete by count.
Decoding decodeSetup(const CommandLine& line, const QString& description, bool hexInput) {
    if (!hexInput) {
        return reading(description);
    }
    if (line.n < SetupHeaderLength) {
        return heldFor();
    }
    const std::int32_t target = SetupHeaderLength + line.b(8) * 256 + line.b(9);
    if (target > line.n) {
        return heldFor(target);
    }
    return setupBreakdown(line, description);
}

Decoding decodeShort(const CommandLine& line, bool hexInput) {
    if (line.n <= 1) {
        return loneCarriageReturn(line);
    }
    const ShortCommand* command = findShortCommand(line.b(0));
    if (command == nullptr) {
        return reading(QString());
    }
    const QString description = QLatin1String(command->description);
    switch (command->code) {
        case SetBaudRateCode:
            // Fewer bytes mean a divisor byte was a CR: the command goes on.
            if (line.n <= 5) {
                return heldFor();
            }
            return baudRateReading(description, line.b(2), line.b(3), line.b(4));
        case SetupCode:
            return decodeSetup(line, description, hexInput);
        default:
            return reading(description, command->follow);
    }
}

bool isLetter(std::uint8_t b, char upperCase) {
    return b == upperCase || b == upperCase + ('a' - 'A');
}

bool spells(const CommandLine& line, const char* letters) {
    return isLetter(line.b(0), letters[0]) && isLetter(line.b(1), letters[1]) &&
           isLetter(line.b(2), letters[2]);
}

Decoding decodeExtended(const CommandLine& line, bool hexInput) {
    if (line.n <= 1) {
        return loneCarriageReturn(line);
    }
    if (spells(line, "SBD") && line.b(3) == Space) {
        // A parameter in decimal digits is shorter than three divisor bytes:
        // the next line is taken as the rest of it.
        if (line.n < 8) {
            return heldFor();
        }
        const QString text = QStringLiteral("Set Baud Rate");
        return hexInput ? baudRateReading(text, line.b(4), line.b(5), line.b(6)) : reading(text);
    }
    for (const SwitchWord& word : SwitchWords) {
        if (spells(line, word.letters) && line.b(3) == CarriageReturn) {
            return reading(QLatin1String(word.reading), word.follow);
        }
    }
    return reading(QString());
}

void handOn(Follow follow, LinkFollower& follower) {
    switch (follow) {
        case Follow::ShortSet:
        case Follow::ExtendedSet:
            follower.followCommandSet(follow == Follow::ExtendedSet);
            break;
        case Follow::AsciiInput:
        case Follow::HexInput:
            follower.followNumberInput(follow == Follow::HexInput);
            break;
        case Follow::Nothing:
            break;
    }
}

}  // namespace

CommandDecoder::CommandDecoder(Services services, LinkFollower& follower)
    : services(std::move(services)), follower(follower) {}

void CommandDecoder::FeedCommandBytes(std::uint32_t count) {
    feed(services.link.ReadBufferB.data(), std::min(count, DeviceLink::BufferSize));
}

void CommandDecoder::feed(const std::uint8_t* bytes, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        feedByte(bytes[i]);
    }
}

void CommandDecoder::reset() {
    CommandLength = 0;
    CommandTarget = 0;
    overlongLineLength = 0;
}

void CommandDecoder::feedByte(std::uint8_t b) {
    if (overlongLineLength > 0) {
        skipOverlongLine(b);
        return;
    }
    // A SETUP command's data may run past the buffer. It is never shown, so
    // it is counted without being kept.
    if (CommandLength < Capacity) {
        CommandBuffer[static_cast<std::size_t>(CommandLength)] = b;
    }
    ++CommandLength;
    if (b == CarriageReturn) {
        DecodeCommand();
    }
    if (CommandTarget > 0 && CommandTarget == CommandLength) {
        DecodeCommand();
    }
    if (CommandLength >= Capacity && CommandTarget == 0) {
        overlongLineLength = CommandLength;
        CommandLength = 0;
    }
}

// A line that filled the buffer cannot be read; it is still one line, so it
// gets one reading at its CR and the next line is read as usual.
void CommandDecoder::skipOverlongLine(std::uint8_t b) {
    ++overlongLineLength;
    if (b == CarriageReturn) {
        services.panes.addReading(
            {Prefix + QStringLiteral("line too long to read (%1 bytes)").arg(overlongLineLength)});
        overlongLineLength = 0;
    }
}

void CommandDecoder::DecodeCommand() {
    CommandTarget = 0;
    const CommandLine line{CommandBuffer.data(), CommandLength};
    const bool hexInput = services.options.HexNumberInput;
    const Decoding decoding = services.options.ExtendedCommandSet ? decodeExtended(line, hexInput)
                                                                  : decodeShort(line, hexInput);
    if (decoding.held) {
        CommandTarget = decoding.target;
        return;
    }
    handOn(decoding.follow, follower);
    if (decoding.divisor) {
        DecodedDivisor = *decoding.divisor;
        FollowBaudDivisor();
    }
    services.panes.addReading(decoding.lines);
    CommandLength = 0;
}

void CommandDecoder::FollowBaudDivisor() {
    follower.followBaudRate(BaudRateOfDivisor(DecodedDivisor));
}
