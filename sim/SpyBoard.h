#pragma once

#include <array>
#include <cstdint>

#include "SimBoard.h"
#include "SpyStep.h"

// The spy board: its chip is driven by an on-board host that plays a scripted
// conversation; the bridge only listens. Described at the top of SpyBoard.cpp.
class SpyBoard : public SimBoard {
  public:
    // A board left unread longer than this skips the older part of the
    // conversation instead of replaying all of it at once.
    static constexpr std::int64_t backlogLimitNs = 10'000'000'000LL;

    SpyBoard(Clock& clock, std::string name);

    // --- Test interface ---
    // Plays this conversation from now on (from its start, at startRate).
    // Every later round starts at step repeatFrom: a conversation can set the
    // link up once and then repeat its traffic for as long as it runs.
    void setScript(SpyScript script, std::uint32_t startRate = spyStartRate,
                   std::size_t repeatFrom = 0);
    std::uint32_t linkRate() const { return rate; }
    // Times the conversation has been played to its end since it last began.
    std::uint64_t completedRounds() const { return rounds; }
    // Bytes the link carried towards the channel since the conversation
    // began, whether the channel was open to hear them or not.
    std::uint64_t carried(ChannelId id) const { return carriedBytes[static_cast<std::size_t>(id)]; }

  protected:
    void advanceTo(std::int64_t now) override;
    std::int64_t nextEventNs() const override;
    std::uint32_t accept(ChannelId id, const std::uint8_t* bytes, std::uint32_t count) override;
    std::uint32_t modemLines(ChannelId id) override;
    void changed(ChannelId id) override;
    void opened(ChannelId id) override;

  private:
    void restart(std::int64_t now);
    // When the current byte, pause or rate change is done.
    std::int64_t currentEnd() const;
    void finishCurrent(std::int64_t end);
    void carry(ChannelId id, std::uint8_t byte, std::int64_t arrival);
    void moveToNextStep();
    bool hasDuration() const;

    SpyScript script;
    std::uint32_t startRate = spyStartRate;
    std::size_t repeatFrom = 0;
    std::uint32_t rate = spyStartRate;
    std::size_t step = 0;
    std::size_t byteIndex = 0;
    std::int64_t stepStart = 0;  // when the current byte or pause began
    std::uint64_t rounds = 0;
    std::array<std::uint64_t, 2> carriedBytes{};
};
