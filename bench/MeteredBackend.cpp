#include "MeteredBackend.h"

#include <ctime>
#include <utility>

namespace {

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Adds the processor time of the calls it wraps to a total.
template <typename Call>
DriverStatus timed(double& total, Call&& call) {
    const double start = threadSeconds();
    const DriverStatus status = call();
    total += threadSeconds() - start;
    return status;
}

class MeteredChannel : public BridgeChannel {
  public:
    MeteredChannel(std::unique_ptr<BridgeChannel> channel, std::shared_ptr<double> spent)
        : channel(std::move(channel)), spent(std::move(spent)) {}

    DriverStatus read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& done) override {
        return channel->read(buffer, count, done);
    }
    DriverStatus write(const std::uint8_t* buffer, std::uint32_t count,
                       std::uint32_t& done) override {
        return channel->write(buffer, count, done);
    }
    DriverStatus queueStatus(std::uint32_t& waiting) override {
        return channel->queueStatus(waiting);
    }
    DriverStatus modemStatus(std::uint32_t& status) override {
        return channel->modemStatus(status);
    }
    DriverStatus setBaudRate(std::uint32_t rate) override { return channel->setBaudRate(rate); }
    DriverStatus setDataCharacteristics(std::uint8_t wordLength, std::uint8_t stopBits,
                                        std::uint8_t parity) override {
        return channel->setDataCharacteristics(wordLength, stopBits, parity);
    }
    DriverStatus setFlowControl(std::uint16_t flow, std::uint8_t xon, std::uint8_t xoff) override {
        return channel->setFlowControl(flow, xon, xoff);
    }
    DriverStatus setRts(bool high) override { return channel->setRts(high); }
    DriverStatus setDtr(bool high) override { return channel->setDtr(high); }
    DriverStatus setChars(std::uint8_t eventChar, bool eventEnabled, std::uint8_t errorChar,
                          bool errorEnabled) override {
        return channel->setChars(eventChar, eventEnabled, errorChar, errorEnabled);
    }
    DriverStatus setTimeouts(std::uint32_t readMs, std::uint32_t writeMs) override {
        return channel->setTimeouts(readMs, writeMs);
    }
    DriverStatus setLatencyTimer(std::uint8_t milliseconds) override {
        return channel->setLatencyTimer(milliseconds);
    }
    DriverStatus setBitMode(std::uint8_t mask, std::uint8_t mode) override {
        return channel->setBitMode(mask, mode);
    }
    DriverStatus waitForReceive(std::uint32_t timeoutUs) override {
        return timed(*spent, [&] { return channel->waitForReceive(timeoutUs); });
    }
    DriverStatus waitForTransmitRoom(std::uint32_t bytes, std::uint32_t timeoutUs,
                                     bool& room) override {
        return timed(*spent, [&] { return channel->waitForTransmitRoom(bytes, timeoutUs, room); });
    }
    DriverStatus close() override { return channel->close(); }

  private:
    std::unique_ptr<BridgeChannel> channel;
    std::shared_ptr<double> spent;
};

}  // namespace

MeteredBackend::MeteredBackend(std::shared_ptr<DriverBackend> metered)
    : metered(std::move(metered)) {}

DriverStatus MeteredBackend::deviceCount(std::uint32_t& count) {
    return metered->deviceCount(count);
}

DriverStatus MeteredBackend::deviceDescription(std::uint32_t index, std::string& description) {
    return metered->deviceDescription(index, description);
}

DriverStatus MeteredBackend::open(const std::string& description,
                                  std::unique_ptr<BridgeChannel>& channel) {
    std::unique_ptr<BridgeChannel> opened;
    const DriverStatus status = metered->open(description, opened);
    if (opened) {
        channel = std::make_unique<MeteredChannel>(std::move(opened), spent);
    }
    return status;
}
