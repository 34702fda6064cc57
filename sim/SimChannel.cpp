#include "SimChannel.h"

void SimChannel::reopen() {
    open = true;
    settings = ChannelSettings{};
    receiveQueue.clear();
    transmitBuffer.clear();
}

void SimChannel::shut() {
    open = false;
    settings.rts = false;
    settings.dtr = false;
    settings.bitMode = false;
    receiveQueue.clear();
    transmitBuffer.clear();
}

void SimChannel::deliver(std::uint8_t byte) {
    if (!open) {
        return;
    }
    if (receiveQueueFull()) {
        ++overruns;
        return;
    }
    receiveQueue.push_back(byte);
}
