// The chip's boot loader, entered when the reset line is released while the
// program line is low. It listens at 115,200 baud, 8 data bits, no parity.
//
// State machine (every value is one byte; "answer" means the loader sends it):
//
//   Command      0xFF           answer 0xFF (synchronisation, phase 1)
//                0xFA           answer 0xFA (synchronisation, phase 2)
//                0x01           -> SpeedChange
//                0x03           -> Header
//                anything else  ignored
//   SpeedChange  70 17 03 00 00 after the fifth byte the link moves to
//                               1,000,000 baud; nothing is answered;
//                               a byte that differs drops the command
//                               -> Command
//   Header       address bits 0-7, address bits 8-15, 0x80
//                               answer 0x02 -> Data
//                               (a length other than 0x80: answer 0x15, the
//                               block is refused -> Command)
//   Data         128 bytes      stored at the address (wrapping inside the
//                               64 KiB), answer 0x02 -> Command
//
// The whole flash is erased to 0xFF when the first block of a session arrives,
// so after a run it holds exactly the image that was sent. Each restart of the
// loader begins a new session at 115,200 baud.
#include "BootLoader.h"

namespace {
constexpr std::uint8_t syncProbe = 0xFF;
constexpr std::uint8_t syncConfirm = 0xFA;
constexpr std::uint8_t speedChangeCode = 0x01;
constexpr std::uint8_t blockCode = 0x03;
constexpr std::uint8_t blockLength = 0x80;
constexpr std::uint8_t refusal = 0x15;
constexpr std::array<std::uint8_t, 5> speedChangeTail{0x70, 0x17, 0x03, 0x00, 0x00};
}  // namespace

BootLoader::BootLoader(ChipLink& link, Flash& flash, const BootLoaderFaults& faults)
    : link(link), flash(flash), faults(faults) {}

void BootLoader::start() {
    state = State::Command;
    position = 0;
    erased = false;
    link.changeBaudRate(slowRate);
}

void BootLoader::receive(std::uint8_t byte) {
    switch (state) {
        case State::Command:
            command(byte);
            break;
        case State::SpeedChange:
            speedChange(byte);
            break;
        case State::Header:
            header(byte);
            break;
        case State::Data:
            data(byte);
            break;
    }
}

void BootLoader::command(std::uint8_t byte) {
    position = 0;
    if (byte == syncProbe) {
        link.transmit(syncProbe);
    } else if (byte == syncConfirm) {
        if (faults.confirmSync) {
            link.transmit(syncConfirm);
        }
    } else if (byte == speedChangeCode) {
        state = State::SpeedChange;
    } else if (byte == blockCode) {
        state = State::Header;
    }
}

void BootLoader::speedChange(std::uint8_t byte) {
    if (byte != speedChangeTail[position]) {
        state = State::Command;
        return;
    }
    if (++position == speedChangeTail.size()) {
        state = State::Command;
        link.changeBaudRate(fastRate);
    }
}

void BootLoader::header(std::uint8_t byte) {
    if (position == 0) {
        address = byte;
        position = 1;
        return;
    }
    if (position == 1) {
        address = static_cast<std::uint16_t>(address | (byte << 8));
        position = 2;
        return;
    }
    position = 0;
    if (byte != blockLength) {
        link.transmit(refusal);
        state = State::Command;
        return;
    }
    if (!erased) {
        flash.fill(0xFF);
        erased = true;
    }
    link.transmit(faults.blockAnswer);
    state = State::Data;
}

void BootLoader::data(std::uint8_t byte) {
    flash[static_cast<std::uint16_t>(address + position)] = byte;
    if (++position == blockSize) {
        position = 0;
        ++blocks;
        link.transmit(faults.blockAnswer);
        state = State::Command;
    }
}
