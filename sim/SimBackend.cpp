#include "SimBackend.h"

#include "BoardStore.h"
#include "SimChannelHandle.h"

SimBackend::SimBackend(Clock& clock, QString storeFolder)
    : eval(std::make_shared<EvalBoard>(clock, EvalBoardName)),
      spy(std::make_shared<SpyBoard>(clock, SpyBoardName)),
      storeFolder(std::move(storeFolder)) {
    if (this->storeFolder.isEmpty()) {
        return;
    }
    // For tests of a program run as a process: its board stops answering
    // part of the way through a job.
    bool isNumber = false;
    const qulonglong silentAfter =
        qEnvironmentVariable("TARVIK_SIM_SILENT_AFTER").toULongLong(&isNumber);
    if (isNumber) {
        eval->silenceChipAfter(silentAfter);
    }
}

SimBackend::~SimBackend() {
    if (storeLoaded) {
        BoardStore(storeFolder).save(eval->disk(), eval->flash());
    }
}

// At the board's first open, not before: a run that talks to another board
// neither reads the folder nor writes it back.
void SimBackend::loadStore() {
    if (storeFolder.isEmpty() || storeLoaded) {
        return;
    }
    storeLoaded = true;
    const BoardStore store(storeFolder);
    Flash flash{};
    if (store.load(eval->disk(), flash)) {
        eval->loadFlash(flash);
    } else {
        // A new folder holds the board as it starts: its samples, erased flash.
        store.save(eval->disk(), eval->flash());
    }
}

std::vector<SimBackend::Device> SimBackend::listed() const {
    std::vector<Device> devices;
    for (const std::shared_ptr<SimBoard>& board :
         {std::shared_ptr<SimBoard>(eval), std::shared_ptr<SimBoard>(spy)}) {
        if (board->pluggedIn()) {
            devices.push_back({board, ChannelId::A});
            devices.push_back({board, ChannelId::B});
        }
    }
    return devices;
}

DriverStatus SimBackend::deviceCount(std::uint32_t& count) {
    count = static_cast<std::uint32_t>(listed().size());
    return hx::Ok;
}

DriverStatus SimBackend::deviceDescription(std::uint32_t index, std::string& description) {
    const std::vector<Device> devices = listed();
    if (index >= devices.size()) {
        return hx::DeviceNotFound;
    }
    description = devices[index].board->description(devices[index].id);
    return hx::Ok;
}

DriverStatus SimBackend::open(const std::string& description,
                              std::unique_ptr<BridgeChannel>& channel) {
    for (const Device& device : listed()) {
        if (device.board->description(device.id) != description) {
            continue;
        }
        if (device.board == eval) {
            loadStore();
        }
        if (const DriverStatus status = device.board->open(device.id); status != hx::Ok) {
            return status;
        }
        channel = std::make_unique<SimChannelHandle>(device.board, device.id);
        return hx::Ok;
    }
    return hx::DeviceNotFound;
}
