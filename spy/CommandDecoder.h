#pragma once

#include <array>
#include <cstdint>
#include <optional>

class DeviceLink;
class SpyPanes;
struct SpyOptions;

// What the spy does when a command line switches the link. Each is called at
// the byte that completes the line, before its reading is shown, so that the
// rest of the pass is read the new way.
class LinkFollower {
  public:
    virtual ~LinkFollower() = default;

    virtual void followCommandSet(bool extended) = 0;
    virtual void followNumberInput(bool hex) = 0;
    // A Set Baud Rate command: the rate of its divisor, none for a divisor
    // the spy does not know.
    virtual void followBaudRate(std::optional<std::uint32_t> rate) = 0;
};

// Reads what the chip receives (the host's commands) and gives every
// complete command line one green reading "Cmd Decode: ..." in the HEX
// pane, in the command set and number-input mode the options say; hands the
// commands that switch the set, the number input or the baud rate on to its
// follower.
class CommandDecoder {
  public:
    static constexpr std::size_t BufferSize = 32001;

    struct Services {
        DeviceLink& link;
        const SpyOptions& options;
        SpyPanes& panes;
    };

    CommandDecoder(Services services, LinkFollower& follower);

    // The count bytes at the start of the link's ReadBufferB.
    void FeedCommandBytes(std::uint32_t count);
    void feed(const std::uint8_t* bytes, std::uint32_t count);
    // Open Spy: the next byte starts a new command line.
    void reset();

    void DecodeCommand();
    void FollowBaudDivisor();

    std::array<std::uint8_t, BufferSize> CommandBuffer{};
    std::int32_t CommandLength = 0;
    std::int32_t CommandTarget = 0;
    std::uint32_t DecodedDivisor = 0;

  private:
    void feedByte(std::uint8_t b);
    void skipOverlongLine(std::uint8_t b);

    Services services;
    LinkFollower& follower;
    // The byte count so far of a line that filled the buffer before it was
    // complete, while its bytes are skipped up to its CR; 0 otherwise. The
    // count is wider than the buffer's, as such a line can run on for ever.
    std::int64_t overlongLineLength = 0;
};
