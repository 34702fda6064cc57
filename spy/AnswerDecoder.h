#pragma once

#include <array>
#include <cstdint>

class DeviceLink;
class SpyPanes;
struct SpyOptions;

// Reads what the chip transmits (the monitor's answers) and gives every
// CR-terminated answer line one green reading "Ans Decode: ..." in the HEX
// pane: the prompt, the echo, the bad-command and no-disk answers of the
// command set the options say, and the bare text for any other line.
class AnswerDecoder {
  public:
    static constexpr std::size_t BufferSize = 32001;

    struct Services {
        DeviceLink& link;
        const SpyOptions& options;
        SpyPanes& panes;
    };

    explicit AnswerDecoder(Services services);

    // The count bytes at the start of the link's ReadBufferA.
    void FeedAnswerBytes(std::uint32_t count);
    void feed(const std::uint8_t* bytes, std::uint32_t count);
    // Open Spy: the next byte starts a new answer line.
    void reset();

    void DecodeAnswer();

    std::array<std::uint8_t, BufferSize> AnswerBuffer{};
    std::int32_t AnswerLength = 0;

  private:
    void feedByte(std::uint8_t b);
    void skipOverlongLine(std::uint8_t b);

    Services services;
    // The byte count so far of a line that filled the buffer without a CR,
    // while its bytes are skipped up to its CR; 0 otherwise. The count is
    // wider than the buffer's, as such a line can run on for ever.
    std::int64_t overlongLineLength = 0;
};
