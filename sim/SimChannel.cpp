#include "SimChannel.h"

#include <algorithm>
#include <limits>

void SimChannel::reopen() {
    open = true;
    settings = settingsAtOpen;
    forgetReceived();
    transmitBuffer.clear();
}

void SimChannel::shut() {
    open = false;
    settings.rts = false;
    settings.dtr = false;
    settings.bitMode = false;
    forgetReceived();
    transmitBuffer.clear();
}

void SimChannel::forgetReceived() {
    receiveQueue.clear();
    handedOver = 0;
    handOverFrame = 0;
    reported = 0;
    waitingSinceNs = 0;
}

void SimChannel::deliver(std::uint8_t byte, std::int64_t atNs) {
    if (!open) {
        return;
    }
    reportArrivals(atNs);
    if (receiveQueueFull()) {
        ++overruns;
        return;
    }
    if (!bytesWaitInTheBridge()) {
        waitingSinceNs = atNs;
    }
    receiveQueue.push_back(byte);
    const bool eventChar = settings.eventEnabled && byte == settings.eventChar;
    if (!handsOverByPacket || eventChar || receiveQueue.size() - handedOver >= packetPayload) {
        handOver(atNs);
    }
}

// What was handed over in an earlier microframe is readable by now.
void SimChannel::handOver(std::int64_t atNs) {
    const std::int64_t frame = atNs / microframeNs;
    if (frame > handOverFrame) {
        reported = handedOver;
        handOverFrame = frame;
    }
    handedOver = receiveQueue.size();
}

std::int64_t SimChannel::latencyEndNs() const {
    return waitingSinceNs + std::int64_t{settings.latencyMs} * 1'000'000;
}

void SimChannel::reportArrivals(std::int64_t nowNs) {
    if (handsOverByPacket && bytesWaitInTheBridge() && latencyEndNs() <= nowNs) {
        handOver(latencyEndNs());
    }
    if (nowNs / microframeNs > handOverFrame) {
        reported = handedOver;
    }
}

std::uint32_t SimChannel::take(std::uint8_t* buffer, std::uint32_t count) {
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(count, reported));
    std::copy_n(receiveQueue.begin(), n, buffer);
    receiveQueue.erase(receiveQueue.begin(), receiveQueue.begin() + n);
    reported -= n;
    handedOver -= n;
    return n;
}

std::int64_t SimChannel::nextReportNs() const {
    if (reported < handedOver) {
        return (handOverFrame + 1) * microframeNs;
    }
    if (handsOverByPacket && bytesWaitInTheBridge()) {
        return latencyEndNs();
    }
    return std::numeric_limits<std::int64_t>::max();
}
