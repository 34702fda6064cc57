#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ChipLink.h"
#include "ChipProgram.h"
#include "MonitorAnswers.h"
#include "MonitorCommand.h"
#include "VirtualDisk.h"

// The command monitor the chip runs from its flash: it reads command lines in
// either command set and answers them, drives the disk and moves the link's
// baud rate. Its answers are listed at the top of MonitorFirmware.cpp.
class MonitorFirmware : public ChipProgram {
  public:
    static constexpr std::uint32_t startBaudRate = 9600;
    // A longer line is dropped whole and answered as a bad command.
    static constexpr std::size_t lineCapacity = 256;

    MonitorFirmware(ChipLink& link, VirtualDisk& disk);

    void start() override;
    void receive(std::uint8_t byte) override;

    bool extendedCommandSet() const { return extended; }
    bool hexNumberInput() const { return hexNumbers; }
    bool suspended() const { return phase == Phase::Suspended; }

  private:
    enum class Phase { Line, RawParameter, Data, Suspended };
    enum class Outcome { Done, NoDisk, CommandFailed, DiskFull, BadCommand };

    struct OpenFile {
        std::string path;
        bool forWrite = false;
        std::uint64_t position = 0;
    };

    // Bytes that follow a command as data rather than commands (WRF and SETUP).
    struct DataPhase {
        std::uint64_t remaining = 0;
        bool keep = false;  // false: consumed and dropped
        Outcome outcome = Outcome::Done;
        std::vector<std::uint8_t> bytes;
    };

    struct Command {
        MonitorCommand command;
        std::string parameter;
    };

    void resetState();
    void receiveLineByte(std::uint8_t byte);
    void receiveRawParameterByte(std::uint8_t byte);
    void receiveDataByte(std::uint8_t byte);
    void receiveWhileSuspended(std::uint8_t byte);
    bool startsRawParameter() const;
    std::optional<MonitorCommand> commandOfLineSoFar() const;
    void endLine();

    std::optional<Command> parseLine() const;
    std::optional<Command> parseExtendedLine() const;
    std::optional<Command> parseShortLine() const;
    void execute(const Command& command);
    void executeDiskCommand(const Command& command);
    void executeLinkCommand(const Command& command);

    void listDirectory();
    void describeEntry(const std::string& name);
    void changeDirectory(const std::string& name);
    void readWholeFile(const std::string& name);
    void removeDirectory(const std::string& name);
    void makeDirectory(const std::string& name);
    void deleteFile(const std::string& name);
    void openForWrite(const std::string& name);
    void openForRead(const std::string& name);
    void closeFile(const std::string& name);
    void renameFile(const std::string& names);
    void identifyDisk();
    void freeSpace();
    void writeToFile(const std::string& countParameter);
    void readFromFile(const std::string& countParameter);
    void setBaudRate(const std::string& divisorParameter);
    void sendSetup(const std::string& header);
    void beginData(std::uint64_t count, bool keep, Outcome outcome);
    void endData();

    std::optional<std::uint32_t> numberParameter(const std::string& parameter,
                                                 std::size_t rawLength) const;
    std::string resolve(const std::string& name) const;
    bool isOpenFile(const std::string& path) const;

    const MonitorAnswers& answers() const { return answersFor(extended); }
    void sendBytes(const std::vector<std::uint8_t>& bytes);
    void sendText(std::string_view text);
    void sendLine(std::string_view text);
    void sendNumber(std::uint64_t value);
    void sendPrompt();
    void sendOutcome(Outcome outcome);

    ChipLink& link;
    VirtualDisk& disk;

    bool extended = true;
    bool hexNumbers = true;
    Phase phase = Phase::Line;
    std::string line;
    bool lineOverflowed = false;
    std::size_t rawRemaining = 0;
    DataPhase data;
    std::optional<OpenFile> openFile;
    std::string currentDirectory;  // canonical, "" for the root
};
