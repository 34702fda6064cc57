#pragma once

#include <cstdint>

// The values of RFC 2217's COM-PORT-OPTION subnegotiations. A server answers
// a client's command with the same command plus ServerOffset, carrying the
// setting now in force.
namespace comport {

constexpr std::uint8_t ServerOffset = 100;

constexpr std::uint8_t SetBaudRate = 1;
constexpr std::uint8_t SetDataSize = 2;
constexpr std::uint8_t SetParity = 3;
constexpr std::uint8_t SetStopSize = 4;
constexpr std::uint8_t SetControl = 5;
constexpr std::uint8_t NotifyLineState = 6;
constexpr std::uint8_t NotifyModemState = 7;
constexpr std::uint8_t FlowControlSuspend = 8;
constexpr std::uint8_t FlowControlResume = 9;
constexpr std::uint8_t SetModemStateMask = 11;
constexpr std::uint8_t CommandCount = 13;

// SET-CONTROL values.
constexpr std::uint8_t NoFlowControl = 1;
constexpr std::uint8_t HardwareFlowControl = 3;
constexpr std::uint8_t DtrOn = 8;
constexpr std::uint8_t DtrOff = 9;
constexpr std::uint8_t RtsOn = 11;
constexpr std::uint8_t RtsOff = 12;

// SET-PARITY values: none, odd, even, mark, space.
constexpr std::uint8_t FirstParity = 1;
// SET-STOPSIZE values.
constexpr std::uint8_t OneStopBit = 1;
constexpr std::uint8_t TwoStopBits = 2;

// NOTIFY-MODEMSTATE bits.
constexpr std::uint8_t ClearToSend = 0x10;
constexpr std::uint8_t DataSetReady = 0x20;
constexpr std::uint8_t RingIndicator = 0x40;
constexpr std::uint8_t CarrierDetect = 0x80;

}  // namespace comport
