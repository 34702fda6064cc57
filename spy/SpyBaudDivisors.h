#pragma once

#include <cstdint>
#include <optional>

// The baud rate of a bridge divisor code as the monitor's Set Baud Rate
// command carries it, for the rates the monitor offers; nothing for any other
// code, which the spy cannot follow.
std::optional<std::uint32_t> BaudRateOfDivisor(std::uint32_t divisor);
