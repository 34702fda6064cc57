#include "MonitorCommand.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

struct CommandNames {
    MonitorCommand command;
    std::string_view word;  // empty: the command has no extended word
    std::uint8_t code;
};

constexpr std::array<CommandNames, 24> commandNames{{
    {MonitorCommand::Directory, "DIR", 0x01},
    {MonitorCommand::ChangeDirectory, "CD", 0x02},
    {MonitorCommand::ReadFile, "RD", 0x04},
    {MonitorCommand::DeleteDirectory, "DLD", 0x05},
    {MonitorCommand::MakeDirectory, "MKD", 0x06},
    {MonitorCommand::DeleteFile, "DLF", 0x07},
    {MonitorCommand::WriteToFile, "WRF", 0x08},
    {MonitorCommand::OpenForWrite, "OPW", 0x09},
    {MonitorCommand::CloseFile, "CLF", 0x0A},
    {MonitorCommand::ReadFromFile, "RDF", 0x0B},
    {MonitorCommand::Rename, "REN", 0x0C},
    {MonitorCommand::OpenForRead, "OPR", 0x0E},
    {MonitorCommand::IdentifyDisk, "IDD", 0x0F},
    {MonitorCommand::ShortCommandSet, "SCS", 0x10},
    {MonitorCommand::ExtendedCommandSet, "ECS", 0x11},
    {MonitorCommand::FreeSpace, "FS", 0x12},
    {MonitorCommand::FirmwareVersion, "FWV", 0x13},
    {MonitorCommand::SetBaudRate, "SBD", 0x14},
    {MonitorCommand::SuspendMonitor, "SUM", 0x17},
    {MonitorCommand::EchoUpper, "E", 0x45},
    {MonitorCommand::EchoLower, "e", 0x65},
    {MonitorCommand::AsciiNumberInput, "IPA", 0x90},
    {MonitorCommand::HexNumberInput, "IPH", 0x91},
    {MonitorCommand::SendSetup, "", 0x9A},
}};

bool sameLettersIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::optional<MonitorCommand> commandForWord(std::string_view word) {
    // The echo is the one word whose letter case matters: it answers the
    // letter it was given.
    if (word == "E") {
        return MonitorCommand::EchoUpper;
    }
    if (word == "e") {
        return MonitorCommand::EchoLower;
    }
    for (const CommandNames& names : commandNames) {
        if (names.word.size() > 1 && sameLettersIgnoringCase(names.word, word)) {
            return names.command;
        }
    }
    return std::nullopt;
}

std::optional<MonitorCommand> commandForCode(std::uint8_t code) {
    for (const CommandNames& names : commandNames) {
        if (names.code == code) {
            return names.command;
        }
    }
    return std::nullopt;
}

std::size_t rawParameterLength(MonitorCommand command) {
    switch (command) {
        case MonitorCommand::WriteToFile:
        case MonitorCommand::ReadFromFile:
            return 4;
        case MonitorCommand::SetBaudRate:
            return 3;
        case MonitorCommand::SendSetup:
            return 8;
        default:
            return 0;
    }
}

bool usesDisk(MonitorCommand command) {
    switch (command) {
        case MonitorCommand::Directory:
        case MonitorCommand::ChangeDirectory:
        case MonitorCommand::ReadFile:
        case MonitorCommand::DeleteDirectory:
        case MonitorCommand::MakeDirectory:
        case MonitorCommand::DeleteFile:
        case MonitorCommand::WriteToFile:
        case MonitorCommand::OpenForWrite:
        case MonitorCommand::CloseFile:
        case MonitorCommand::ReadFromFile:
        case MonitorCommand::Rename:
        case MonitorCommand::OpenForRead:
        case MonitorCommand::IdentifyDisk:
        case MonitorCommand::FreeSpace:
            return true;
        default:
            return false;
    }
}
