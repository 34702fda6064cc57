#include "DriverRegistry.h"

#include "DriverContext.h"

DriverRegistry& DriverRegistry::instance() {
    return DriverContext::current().registry();
}

void DriverRegistry::install(std::shared_ptr<DriverBackend> backend) {
    backends.push_back(std::move(backend));
}

void DriverRegistry::reset() {
    for (auto& [handle, channel] : channels) {
        channel->close();
    }
    channels.clear();
    backends.clear();
}

DriverStatus DriverRegistry::deviceCount(std::uint32_t& count) {
    std::uint32_t total = 0;
    for (auto& backend : backends) {
        std::uint32_t n = 0;
        if (const DriverStatus status = backend->deviceCount(n); status != hx::Ok) {
            return status;
        }
        total += n;
    }
    count = total;
    return hx::Ok;
}

DriverStatus DriverRegistry::locate(std::uint32_t index, DriverBackend*& backend,
                                    std::uint32_t& local) {
    for (auto& candidate : backends) {
        std::uint32_t n = 0;
        if (const DriverStatus status = candidate->deviceCount(n); status != hx::Ok) {
            return status;
        }
        if (index < n) {
            backend = candidate.get();
            local = index;
            return hx::Ok;
        }
        index -= n;
    }
    return hx::DeviceNotFound;
}

DriverStatus DriverRegistry::deviceDescription(std::uint32_t index, std::string& description) {
    DriverBackend* backend = nullptr;
    std::uint32_t local = 0;
    if (const DriverStatus status = locate(index, backend, local); status != hx::Ok) {
        return status;
    }
    return backend->deviceDescription(local, description);
}

DriverStatus DriverRegistry::open(const std::string& description, HxHandle& handle) {
    openProblem.clear();
    for (auto& backend : backends) {
        std::uint32_t n = 0;
        if (backend->deviceCount(n) != hx::Ok) {
            continue;
        }
        for (std::uint32_t i = 0; i < n; ++i) {
            std::string listed;
            // A device is opened by the description as the library lists it,
            // so a description that listing had to cut still opens.
            if (backend->deviceDescription(i, listed) != hx::Ok ||
                listed.substr(0, hx::DescriptionBufferSize - 1) != description) {
                continue;
            }
            std::unique_ptr<BridgeChannel> channel;
            if (const DriverStatus status = backend->open(listed, channel); status != hx::Ok) {
                openProblem = backend->openProblem();
                return status;
            }
            if (!channel) {
                return hx::OtherError;
            }
            handle = nextHandle++;
            channels.emplace(handle, std::move(channel));
            return hx::Ok;
        }
    }
    return hx::DeviceNotFound;
}

DriverStatus DriverRegistry::close(HxHandle handle) {
    const auto found = channels.find(handle);
    if (found == channels.end()) {
        return hx::InvalidHandle;
    }
    const DriverStatus status = found->second->close();
    channels.erase(found);
    return status;
}

BridgeChannel* DriverRegistry::channel(HxHandle handle) {
    const auto found = channels.find(handle);
    return found == channels.end() ? nullptr : found->second.get();
}
