#pragma once

#include <memory>

#include "DriverBackend.h"

// A backend that counts the processor time spent waiting inside another. A
// benchmark's window runs the simulated board on its own thread, inside the
// driver calls: while the program's loop waits for bytes, the board steps
// its wires on in short sleeps, and that costs the process far more than the
// board's other work. Only the waits are timed (timing a call is itself a
// call to the system), so the rest of the board's work counts as the
// program's.
class MeteredBackend : public DriverBackend {
  public:
    explicit MeteredBackend(std::shared_ptr<DriverBackend> metered);

    // Processor seconds spent in the waits of the metered backend's channels.
    double seconds() const { return *spent; }

    DriverStatus deviceCount(std::uint32_t& count) override;
    DriverStatus deviceDescription(std::uint32_t index, std::string& description) override;
    DriverStatus open(const std::string& description,
                      std::unique_ptr<BridgeChannel>& channel) override;

  private:
    std::shared_ptr<DriverBackend> metered;
    std::shared_ptr<double> spent = std::make_shared<double>(0.0);
};
