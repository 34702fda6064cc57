#include "SpyBaudDivisors.h"

#include <algorithm>
#include <array>

namespace {

struct BaudDivisor {
    std::uint32_t divisor;
    std::uint32_t baudRate;
};

// One row for each rate the monitor's Set Baud Rate command can ask for.
constexpr std::array<BaudDivisor, 17> BaudDivisors{{
    {10000, 300},
    {5000, 600},
    {2500, 1200},
    {1250, 2400},
    {625, 4800},
    {16696, 9600},
    {32924, 19200},
    {49230, 38400},
    {49204, 57600},
    {26, 115200},
    {13, 230400},
    {16390, 460800},
    {32771, 921600},
    {3, 1000000},
    {2, 1500000},
    {1, 2000000},
    {0, 3000000},
}};

}  // namespace

std::optional<std::uint32_t> BaudRateOfDivisor(std::uint32_t divisor) {
    const auto row = std::find_if(BaudDivisors.begin(), BaudDivisors.end(),
                                  [divisor](const BaudDivisor& r) { return r.divisor == divisor; });
    if (row == BaudDivisors.end()) {
        return std::nullopt;
    }
    return row->baudRate;
}
