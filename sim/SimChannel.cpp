#include "SimChannel.h"

#include <algorithm>
#include <limits>

void SimChannel::reopen() {
    open = true;
    settings = ChannelSettings{};
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
    reported = 0;
    reportedFrame = 0;
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
    receiveQueue.push_back(byte);
}

void SimChannel::reportArrivals(std::int64_t nowNs) {
    const std::int64_t frame = nowNs / microframeNs;
    if (frame > reportedFrame) {
        reported = receiveQueue.size();
        reportedFrame = frame;
    }
}

std::uint32_t SimChannel::take(std::uint8_t* buffer, std::uint32_t count) {
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(count, reported));
    std::copy_n(receiveQueue.begin(), n, buffer);
    receiveQueue.erase(receiveQueue.begin(), receiveQueue.begin() + n);
    reported -= n;
    return n;
}

std::int64_t SimChannel::nextReportNs() const {
    if (reported == receiveQueue.size()) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return (reportedFrame + 1) * microframeNs;
}
