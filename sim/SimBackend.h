#pragma once

#include <QString>

#include <memory>
#include <string>

#include "Clock.h"
#include "DriverBackend.h"
#include "EvalBoard.h"
#include "SpyBoard.h"

// The simulated boards as a driver backend: the evaluation board and the spy
// board, each listed as two devices, "<name> A" and "<name> B". A board that
// a test has unplugged is not listed.
class SimBackend : public DriverBackend {
  public:
    static constexpr const char* EvalBoardName = "Tarvik Eval Board";
    static constexpr const char* SpyBoardName = "Tarvik Spy Board";

    // With a folder, the evaluation board's disk and flash are the ones
    // kept there (see BoardStore) from its first open on, and are kept there
    // again when the backend ends; without one they start afresh and live in
    // memory.
    explicit SimBackend(Clock& clock, QString storeFolder = {});
    ~SimBackend() override;
    SimBackend(const SimBackend&) = delete;
    SimBackend& operator=(const SimBackend&) = delete;

    DriverStatus deviceCount(std::uint32_t& count) override;
    DriverStatus deviceDescription(std::uint32_t index, std::string& description) override;
    DriverStatus open(const std::string& description,
                      std::unique_ptr<BridgeChannel>& channel) override;

    // --- Test interface ---
    EvalBoard& evalBoard() { return *eval; }
    SpyBoard& spyBoard() { return *spy; }

  private:
    struct Device {
        std::shared_ptr<SimBoard> board;
        ChannelId id;
    };
    // The listed devices, in listing order.
    std::vector<Device> listed() const;
    void loadStore();

    std::shared_ptr<EvalBoard> eval;
    std::shared_ptr<SpyBoard> spy;
    QString storeFolder;
    bool storeLoaded = false;
};
