// The monitor's disk commands: directories, whole-file reads and the one
// open file that OPW/OPR, WRF/RDF and CLF work on. Their answers are in the
// table at the top of MonitorFirmware.cpp.
#include <algorithm>
#include <cctype>

#include "MonitorFirmware.h"

namespace {

constexpr std::string_view diskIdentity = "Tarvik Virtual Disk";

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

void MonitorFirmware::executeDiskCommand(const Command& command) {
    const std::string& parameter = command.parameter;
    switch (command.command) {
        case MonitorCommand::Directory:
            parameter.empty() ? listDirectory() : describeEntry(parameter);
            break;
        case MonitorCommand::ChangeDirectory:
            changeDirectory(parameter);
            break;
        case MonitorCommand::ReadFile:
            readWholeFile(parameter);
            break;
        case MonitorCommand::DeleteDirectory:
            removeDirectory(parameter);
            break;
        case MonitorCommand::MakeDirectory:
            makeDirectory(parameter);
            break;
        case MonitorCommand::DeleteFile:
            deleteFile(parameter);
            break;
        case MonitorCommand::WriteToFile:
            writeToFile(parameter);
            break;
        case MonitorCommand::OpenForWrite:
            openForWrite(parameter);
            break;
        case MonitorCommand::CloseFile:
            closeFile(parameter);
            break;
        case MonitorCommand::ReadFromFile:
            readFromFile(parameter);
            break;
        case MonitorCommand::Rename:
            renameFile(parameter);
            break;
        case MonitorCommand::OpenForRead:
            openForRead(parameter);
            break;
        case MonitorCommand::IdentifyDisk:
            identifyDisk();
            break;
        case MonitorCommand::FreeSpace:
            freeSpace();
            break;
        default:
            sendOutcome(Outcome::BadCommand);
            break;
    }
}

void MonitorFirmware::listDirectory() {
    sendText("\r");
    for (const VirtualDisk::Entry& entry : disk.entries(currentDirectory)) {
        sendLine(entry.directory ? entry.name + " DIR" : entry.name);
    }
    sendPrompt();
}

void MonitorFirmware::describeEntry(const std::string& name) {
    const std::string path = resolve(name);
    if (disk.isFile(path)) {
        sendText("\r");
        sendText(upperCase(name) + " ");
        sendNumber(disk.sizeOf(path).value_or(0));
        sendText("\r");
        sendPrompt();
    } else if (!path.empty() && disk.isDirectory(path)) {
        sendText("\r");
        sendLine(upperCase(name) + " DIR");
        sendPrompt();
    } else {
        sendOutcome(Outcome::CommandFailed);
    }
}

void MonitorFirmware::changeDirectory(const std::string& name) {
    const std::string path = name == ".." ? VirtualDisk::parentOf(currentDirectory) : resolve(name);
    if (!disk.isDirectory(path)) {
        sendOutcome(Outcome::CommandFailed);
        return;
    }
    currentDirectory = path;
    sendPrompt();
}

void MonitorFirmware::readWholeFile(const std::string& name) {
    const std::optional<std::vector<std::uint8_t>> bytes = disk.get(resolve(name));
    if (!bytes) {
        sendOutcome(Outcome::CommandFailed);
        return;
    }
    sendBytes(*bytes);
    sendPrompt();
}

void MonitorFirmware::removeDirectory(const std::string& name) {
    const std::string path = resolve(name);
    const bool removed = path != currentDirectory && disk.removeDirectory(path);
    sendOutcome(removed ? Outcome::Done : Outcome::CommandFailed);
}

void MonitorFirmware::makeDirectory(const std::string& name) {
    sendOutcome(disk.makeDirectory(resolve(name)) ? Outcome::Done : Outcome::CommandFailed);
}

void MonitorFirmware::deleteFile(const std::string& name) {
    const std::string path = resolve(name);
    const bool removed = !isOpenFile(path) && disk.remove(path);
    sendOutcome(removed ? Outcome::Done : Outcome::CommandFailed);
}

// A file copied onto the disk must end up as the copy, not as the old file
// with the copy behind it: an existing file is emptied.
void MonitorFirmware::openForWrite(const std::string& name) {
    const std::string path = resolve(name);
    if (!disk.createEmpty(path)) {
        sendOutcome(Outcome::CommandFailed);
        return;
    }
    openFile = OpenFile{path, true, 0};
    sendPrompt();
}

// One file is open at a time; opening another closes the first, since the
// host's read transfers never send CLF.
void MonitorFirmware::openForRead(const std::string& name) {
    const std::string path = resolve(name);
    if (!disk.isFile(path)) {
        sendOutcome(Outcome::CommandFailed);
        return;
    }
    openFile = OpenFile{path, false, 0};
    sendPrompt();
}

void MonitorFirmware::closeFile(const std::string& name) {
    if (!openFile || (!name.empty() && resolve(name) != openFile->path)) {
        sendOutcome(Outcome::CommandFailed);
        return;
    }
    openFile.reset();
    sendPrompt();
}

void MonitorFirmware::renameFile(const std::string& names) {
    const std::size_t space = names.find(' ');
    if (space == std::string::npos || space == 0 || space + 1 == names.size() ||
        names.find(' ', space + 1) != std::string::npos) {
        sendOutcome(Outcome::BadCommand);
        return;
    }
    const std::string from = resolve(names.substr(0, space));
    const std::string to = resolve(names.substr(space + 1));
    const bool renamed = !isOpenFile(from) && disk.rename(from, to);
    sendOutcome(renamed ? Outcome::Done : Outcome::CommandFailed);
}

void MonitorFirmware::identifyDisk() {
    sendText("\r");
    sendLine(diskIdentity);
    sendPrompt();
}

void MonitorFirmware::freeSpace() {
    sendText("\r");
    sendNumber(disk.freeBytes());
    sendText("\r");
    sendPrompt();
}

void MonitorFirmware::writeToFile(const std::string& countParameter) {
    const std::optional<std::uint32_t> count = numberParameter(countParameter, 4);
    if (!count) {
        sendOutcome(Outcome::BadCommand);
        return;
    }
    Outcome refusal = Outcome::Done;
    if (!disk.present()) {
        refusal = Outcome::NoDisk;
    } else if (!openFile || !openFile->forWrite) {
        refusal = Outcome::CommandFailed;
    } else if (*count > disk.freeBytes()) {
        refusal = Outcome::DiskFull;
    }
    beginData(*count, refusal == Outcome::Done, refusal);
}

void MonitorFirmware::readFromFile(const std::string& countParameter) {
    const std::optional<std::uint32_t> count = numberParameter(countParameter, 4);
    if (!count) {
        sendOutcome(Outcome::BadCommand);
        return;
    }
    if (!openFile || openFile->forWrite) {
        sendOutcome(Outcome::CommandFailed);
        return;
    }
    const std::optional<std::vector<std::uint8_t>> bytes =
        disk.read(openFile->path, openFile->position, *count);
    if (!bytes) {
        sendOutcome(Outcome::CommandFailed);
        return;
    }
    openFile->position += *count;
    sendBytes(*bytes);
    sendPrompt();
}

std::string MonitorFirmware::resolve(const std::string& name) const {
    const std::string path = VirtualDisk::canonical(name);
    if (name.starts_with('\\') || currentDirectory.empty()) {
        return path;
    }
    return path.empty() ? currentDirectory : currentDirectory + "\\" + path;
}

bool MonitorFirmware::isOpenFile(const std::string& path) const {
    return openFile && openFile->path == path;
}
