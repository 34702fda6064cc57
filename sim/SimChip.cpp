#include "SimChip.h"

SimChip::SimChip(Flash& flash, VirtualDisk& disk, const BootLoaderFaults& faults)
    : flash(flash), disk(disk), faults(faults) {}

ChipProgram* SimChip::program() {
    if (loader) {
        return loader.get();
    }
    return monitorFirmware.get();
}

bool SimChip::monitorInDataMode() const {
    return currentState == State::Monitor && dataModeSeen && !isSilent;
}

void SimChip::dropQueued() {
    outgoing.clear();
    rateChanges.clear();
}

void SimChip::holdInReset() {
    currentState = State::HeldInReset;
    loader.reset();
    monitorFirmware.reset();
    dropQueued();
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
    // Data mode is the monitor's; the boot loader pays no attention to DTR,
    // which the programmer raises on its link.
    if (monitorInDataMode()) {
        received.append(static_cast<char>(byte));
        if (echo) {
            outgoing.push_back(byte);
        }
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
        dropQueued();
    }
}

bool SimChip::sendData(const QByteArray& bytes) {
    if (!monitorInDataMode()) {
        return false;
    }
    outgoing.insert(outgoing.end(), bytes.begin(), bytes.end());
    return true;
}

void SimChip::transmit(std::uint8_t byte) {
    if (currentState == State::HeldInReset || isSilent) {
        return;
    }
    outgoing.push_back(byte);
}

void SimChip::changeBaudRate(std::uint32_t baudRate) {
    rateChanges.push_back({bytesSent + outgoing.size(), baudRate});
    applyDueBaudChanges();
}

void SimChip::applyDueBaudChanges() {
    while (!rateChanges.empty() && rateChanges.front().afterBytes <= bytesSent) {
        rate = rateChanges.front().rate;
        rateChanges.pop_front();
    }
}

bool SimChip::hasByteToSend() const {
    return !outgoing.empty() && (rateChanges.empty() || rateChanges.front().afterBytes > bytesSent);
}

std::uint8_t SimChip::takeByteToSend() {
    const std::uint8_t byte = outgoing.front();
    outgoing.pop_front();
    ++bytesSent;
    applyDueBaudChanges();
    return byte;
}
