#include "SpyStep.h"

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

SpyStep lineStep(SpyStep::Kind kind, std::vector<std::uint8_t> bytes) {
    SpyStep step;
    step.kind = kind;
    step.bytes = std::move(bytes);
    return step;
}

}  // namespace

SpyStep SpyStep::hostSends(std::string_view text) {
    return lineStep(Kind::HostSends, bytesOf(text));
}

SpyStep SpyStep::hostSends(std::vector<std::uint8_t> bytes) {
    return lineStep(Kind::HostSends, std::move(bytes));
}

SpyStep SpyStep::chipSends(std::string_view text) {
    return lineStep(Kind::ChipSends, bytesOf(text));
}

SpyStep SpyStep::chipSends(std::vector<std::uint8_t> bytes) {
    return lineStep(Kind::ChipSends, std::move(bytes));
}

SpyStep SpyStep::duplex(std::vector<std::uint8_t> hostBytes, std::vector<std::uint8_t> chipBytes) {
    SpyStep step = lineStep(Kind::Duplex, std::move(hostBytes));
    step.chipBytes = std::move(chipBytes);
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
