#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class DeviceLink;
class QComboBox;
class QRadioButton;
class SpyPanes;
struct SpyOptions;

// The page's controls that the command decoder moves when it follows the
// link's command set, number-input mode and baud rate.
struct SpyFollowControls {
    QRadioButton& RadioButton8;   // "Extended Cmd Set"
    QRadioButton& RadioButton9;   // "Short Cmd Set"
    QRadioButton& RadioButton10;  // "Input is Hex"
    QRadioButton& RadioButton11;  // "Input is ASCII"
    QComboBox& ComboBox3;         // the spy's baud rate
};

// Reads what the chip receives (the host's commands) and gives every
// complete command line one green reading "Cmd Decode: ..." in the HEX
// pane, in the command set and number-input mode the options say; follows
// the commands that switch the set, the number input or the baud rate.
class CommandDecoder {
  public:
    static constexpr std::size_t BufferSize = 32001;

    struct Services {
        DeviceLink& link;
        const SpyOptions& options;
        SpyPanes& panes;
        std::function<void()> refreshSpyOptions;
        std::function<void()> applySpyPortSettings;
    };

    CommandDecoder(Services services, SpyFollowControls controls);

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
    SpyFollowControls controls;
    // The byte count so far of a line that filled the buffer before it was
    // complete, while its bytes are skipped up to its CR; 0 otherwise. The
    // count is wider than the buffer's, as such a line can run on for ever.
    std::int64_t overlongLineLength = 0;
};
