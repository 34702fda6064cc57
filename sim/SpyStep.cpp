#include "SpyStep.h"

namespace {
std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}
}  // namespace

SpyStep SpyStep::hostSends(std::string_view text) {
    return hostSends(bytesOf(text));
}

SpyStep SpyStep::hostSends(std::vector<std::uint8_t> bytes) {
    SpyStep step;
    step.kind = Kind::HostSends;
    step.bytes = std::move(bytes);
    return step;
}

SpyStep SpyStep::chipSends(std::string_view text) {
    return chipSends(bytesOf(text));
}

SpyStep SpyStep::chipSends(std::vector<std::uint8_t> bytes) {
    SpyStep step;
    step.kind = Kind::ChipSends;
    step.bytes = std::move(bytes);
    return step;
}

SpyStep SpyStep::pause(std::uint32_t milliseconds) {
    SpyStep step;
    step.kind = Kind::Pause;
    step.milliseconds = milliseconds;
    return step;
}

SpyStep SpyStep::rateChange(std::uint32_t baudRate) {
    SpyStep step;
    step.kind = Kind::RateChange;
    step.baudRate = baudRate;
    return step;
}
