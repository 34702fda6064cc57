#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The telnet framing an RFC 2217 port wraps the serial data in: commands
// start with IAC, and a data byte 0xFF is sent as IAC IAC.
namespace telnet {

constexpr std::uint8_t Se = 240;
constexpr std::uint8_t Nop = 241;
constexpr std::uint8_t Sb = 250;
constexpr std::uint8_t Will = 251;
constexpr std::uint8_t Wont = 252;
constexpr std::uint8_t Do = 253;
constexpr std::uint8_t Dont = 254;
constexpr std::uint8_t Iac = 255;

constexpr std::uint8_t Binary = 0;
constexpr std::uint8_t Echo = 1;
constexpr std::uint8_t SuppressGoAhead = 3;
constexpr std::uint8_t ComPort = 44;

// What a peer's commands are handed to.
class CommandHandler {
  public:
    virtual ~CommandHandler() = default;
    // verb is Will, Wont, Do or Dont.
    virtual void negotiation(std::uint8_t verb, std::uint8_t option) = 0;
    // The bytes between IAC SB option and IAC SE, IAC IAC undone.
    virtual void subnegotiation(std::uint8_t option, const std::vector<std::uint8_t>& payload) = 0;
};

// Splits what a peer sends into data and commands, across any cut of the
// stream into pieces.
class Decoder {
  public:
    // No command of RFC 2217 comes near this; a longer one is garbage.
    static constexpr std::size_t LongestSubnegotiation = 64;

    // Appends the data bytes of the piece to data and hands each command to
    // the handler. False once the stream has broken the protocol (IAC before
    // a byte that is no command, a subnegotiation cut by another command or
    // longer than the bound); the decoder then takes nothing more.
    bool decode(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& data,
                CommandHandler& handler);

  private:
    enum class State { Data, Command, Option, SubOption, SubData, SubCommand, Broken };

    bool step(std::uint8_t byte, std::vector<std::uint8_t>& data, CommandHandler& handler);

    State state = State::Data;
    std::uint8_t verb = 0;
    std::uint8_t subOption = 0;
    std::vector<std::uint8_t> payload;
};

// Appends data with each 0xFF doubled.
void AppendEscaped(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& out);
void AppendNegotiation(std::uint8_t verb, std::uint8_t option, std::vector<std::uint8_t>& out);
void AppendSubnegotiation(std::uint8_t option, const std::vector<std::uint8_t>& payload,
                          std::vector<std::uint8_t>& out);

}  // namespace telnet
