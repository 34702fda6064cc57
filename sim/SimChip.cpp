#include "SimChip.h"

SimChip::SimChip(Flash& flash, VirtualDisk& disk, const BootLoaderFaults& faults)
    : flash(flash), disk(disk), faults(faults) {}

ChipProgram* SimChip::program() {
    if (loader) {
        return loader.get();
    }
    return monitorFirmware.get();
}

void SimChip::holdInReset() {
    currentState = State::HeldInReset;
    loader.reset();
    monitorFirmware.reset();
    outgoing.clear();
    dataModeSeen = false;
}

void SimChip::startProgram(bool programLine) {
    holdInReset();
    dataModeSeen = dtrInput;
    if (programLine) {
        currentState = State::Monitor;
        monitorFirmware = std::make_unique<MonitorFirmware>(*this, disk);
    } else {
        currentState = State::BootLoader;
        loader = std::make_unique<BootLoader>(*this, flash, faults);
    }
    program()->start();
}

void SimChip::receive(std::uint8_t byte) {
    if (currentState == State::HeldInReset || isSilent) {
        return;
    }
    // The loopback is the monitor's data mode; the boot loader pays no
    // attention to DTR, which the programmer raises on its link.
    if (dataModeSeen && currentState == State::Monitor) {
        transmit(byte);
        return;
    }
    program()->receive(byte);
}

void SimChip::setDtrInput(bool high) {
    dtrInput = high;
    if (currentState == State::HeldInReset || dataModeSeen == high) {
        return;
    }
    dataModeSeen = high;
    program()->dataModeChanged(high);
}

void SimChip::setSilent(bool silent) {
    isSilent = silent;
    if (silent) {
        outgoing.clear();
    }
}

void SimChip::transmit(std::uint8_t byte) {
    if (currentState == State::HeldInReset || isSilent) {
        return;
    }
    outgoing.push_back({false, byte, 0});
}

void SimChip::changeBaudRate(std::uint32_t baudRate) {
    outgoing.push_back({true, 0, baudRate});
    applyDueBaudChanges();
}

void SimChip::applyDueBaudChanges() {
    while (!outgoing.empty() && outgoing.front().rateChange) {
        rate = outgoing.front().rate;
        outgoing.pop_front();
    }
}

bool SimChip::hasByteToSend() const {
    return !outgoing.empty() && !outgoing.front().rateChange;
}

std::uint8_t SimChip::takeByteToSend() {
    const std::uint8_t byte = outgoing.front().byte;
    outgoing.pop_front();
    applyDueBaudChanges();
    return byte;
}
