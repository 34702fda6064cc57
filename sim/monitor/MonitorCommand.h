#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The monitor's commands, whichever command set named them.
enum class MonitorCommand {
    Directory,
    ChangeDirectory,
    ReadFile,
    DeleteDirectory,
    MakeDirectory,
    DeleteFile,
    WriteToFile,
    OpenForWrite,
    CloseFile,
    ReadFromFile,
    Rename,
    OpenForRead,
    IdentifyDisk,
    ShortCommandSet,
    ExtendedCommandSet,
    FreeSpace,
    FirmwareVersion,
    SetBaudRate,
    SuspendMonitor,
    EchoUpper,
    EchoLower,
    AsciiNumberInput,
    HexNumberInput,
    SendSetup,
};

// The extended set's word (letters in either case; the echo letters E and e
// are told apart) or nothing when the word names no command.
std::optional<MonitorCommand> commandForWord(std::string_view word);
// The short set's code byte, or nothing when the code names no command.
std::optional<MonitorCommand> commandForCode(std::uint8_t code);
// In hex number input, how many raw bytes follow the command's space before
// its CR: these may be any value, CR included. 0 for text parameters.
std::size_t rawParameterLength(MonitorCommand command);
// Whether the command works on the disk (and so answers "No Disk" without one).
bool usesDisk(MonitorCommand command);
