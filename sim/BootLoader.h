#pragma once

#include <array>
#include <cstdint>

#include "ChipLink.h"
#include "ChipProgram.h"

// The chip's flash: 64 KiB, erased to 0xFF.
using Flash = std::array<std::uint8_t, 65536>;

// Ways a test can make the boot loader misbehave.
struct BootLoaderFaults {
    // False: 0xFF is still echoed, 0xFA never is.
    bool confirmSync = true;
    // The byte that answers a block header and a block's data.
    std::uint8_t blockAnswer = 0x02;
};

// The chip's boot loader; its wire format is described in BootLoader.cpp.
class BootLoader : public ChipProgram {
  public:
    static constexpr std::uint32_t slowRate = 115'200;
    static constexpr std::uint32_t fastRate = 1'000'000;
    static constexpr std::size_t blockSize = 128;

    BootLoader(ChipLink& link, Flash& flash, const BootLoaderFaults& faults);

    void start() override;
    void receive(std::uint8_t byte) override;

    std::uint32_t blocksWritten() const { return blocks; }

  private:
    enum class State { Command, SpeedChange, Header, Data };

    void command(std::uint8_t byte);
    void speedChange(std::uint8_t byte);
    void header(std::uint8_t byte);
    void data(std::uint8_t byte);

    ChipLink& link;
    Flash& flash;
    const BootLoaderFaults& faults;
    State state = State::Command;
    std::size_t position = 0;  // bytes of the current speed change, header or data
    std::uint16_t address = 0;
    bool erased = false;
    std::uint32_t blocks = 0;
};
