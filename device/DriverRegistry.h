#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DriverBackend.h"

// Lists every device of every installed backend as one index range, in the
// order the backends were installed, and keeps the table of open handles.
// Each driver context (DriverContext) has one.
class DriverRegistry {
  public:
    // The registry of the driver's current context.
    static DriverRegistry& instance();

    DriverRegistry() = default;
    ~DriverRegistry() { reset(); }
    DriverRegistry(const DriverRegistry&) = delete;
    DriverRegistry& operator=(const DriverRegistry&) = delete;

    void install(std::shared_ptr<DriverBackend> backend);
    // Drops every backend and closes every handle still open.
    void reset();

    DriverStatus deviceCount(std::uint32_t& count);
    DriverStatus deviceDescription(std::uint32_t index, std::string& description);
    DriverStatus open(const std::string& description, HxHandle& handle);
    DriverStatus close(HxHandle handle);
    // The channel behind a handle, or null for a handle that is not open.
    BridgeChannel* channel(HxHandle handle);
    // The backend's words on the last open that failed; empty after one that
    // succeeded, or when the backend has none.
    const std::string& lastOpenProblem() const { return openProblem; }

    std::size_t openHandleCount() const { return channels.size(); }

  private:
    DriverStatus locate(std::uint32_t index, DriverBackend*& backend, std::uint32_t& local);

    std::vector<std::shared_ptr<DriverBackend>> backends;
    std::map<HxHandle, std::unique_ptr<BridgeChannel>> channels;
    // Handles are never reused, so a stale handle is always invalid.
    HxHandle nextHandle = 0x100;
    std::string openProblem;
};
