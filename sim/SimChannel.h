#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "HxTypes.h"

enum class ChannelId { A = 0, B = 1 };

// The settings a bridge channel holds while it is open; each open starts
// from these defaults unless a test says otherwise.
struct ChannelSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t wordLength = 8;
    std::uint8_t stopBits = 0;
    std::uint8_t parity = 0;
    std::uint16_t flowControl = 0;
    std::uint8_t xon = 0x11;
    std::uint8_t xoff = 0x13;
    bool rts = false;
    bool dtr = false;
    std::uint8_t eventChar = 0;
    bool eventEnabled = false;
    std::uint8_t errorChar = 0;
    bool errorEnabled = false;
    // 0: none set (reads return what is waiting, writes give up after 5 s).
    std::uint32_t readTimeoutMs = 0;
    std::uint32_t writeTimeoutMs = 0;
    std::uint8_t latencyMs = 16;
    bool bitMode = false;
    std::uint8_t bitMask = 0;

    bool rtsCtsHandshake() const { return (flowControl & hx::FlowRtsCts) != 0; }
};

struct BitModeCall {
    std::uint8_t mask = 0;
    std::uint8_t mode = 0;
};

// One channel of the bridge, seen from the board: its settings, its bounded
// receive queue, its small transmit buffer, and what tests look at.
//
// Received bytes reach the computer in USB transfers, one per 125 us
// microframe: a byte that the bridge has handed over becomes readable at the
// first microframe boundary after that, with every byte before it. A channel
// hands each byte over as it arrives, or, where the board says so, as the
// bridge does: when its packet is full, when the event character (if
// enabled) arrives, or when the latency timer runs out with bytes waiting.
class SimChannel {
  public:
    static constexpr std::size_t defaultReceiveCapacity = 256 * 1024;
    static constexpr std::size_t transmitCapacity = 4096;
    static constexpr std::int64_t microframeNs = 125'000;
    // A USB packet's payload after the bridge's two status bytes.
    static constexpr std::size_t packetPayload = 62;

    // Set by the board: the channel hands bytes over by packet, event
    // character and latency timer instead of at once.
    bool handsOverByPacket = false;

    bool open = false;
    ChannelSettings settings;
    std::deque<std::uint8_t> receiveQueue;
    std::deque<std::uint8_t> transmitBuffer;

    void reopen();
    void shut();

    // A byte that arrived whole from the wire at the given time; dropped and
    // counted when the queue is full or the channel is closed.
    void deliver(std::uint8_t byte, std::int64_t atNs);
    // Makes readable what was handed over before the latest microframe
    // boundary.
    void reportArrivals(std::int64_t nowNs);
    // The bytes the computer can read now: the front of the receive queue.
    std::size_t readable() const { return reported; }
    std::uint32_t take(std::uint8_t* buffer, std::uint32_t count);
    // When bytes that have arrived but are not yet readable become readable,
    // or the latency timer hands waiting bytes over.
    std::int64_t nextReportNs() const;
    bool receiveQueueFull() const { return receiveQueue.size() >= receiveCapacity; }
    std::size_t transmitRoom() const { return transmitCapacity - transmitBuffer.size(); }

    // --- Test interface ---
    std::size_t receiveCapacity = defaultReceiveCapacity;
    std::uint64_t overruns = 0;
    // Each write's accepted bytes, one entry per write call.
    std::vector<QByteArray> writes;
    std::vector<BitModeCall> bitModeCalls;
    // A refused open answers with this status (0: opens normally).
    DriverStatus refuseOpenStatus = hx::Ok;
    // The next write accepts at most this many bytes (-1: no limit).
    std::int64_t shortWriteLimit = -1;
    // What each open starts from.
    ChannelSettings settingsAtOpen;

  private:
    void forgetReceived();
    void handOver(std::int64_t atNs);
    std::int64_t latencyEndNs() const;
    bool bytesWaitInTheBridge() const { return handedOver < receiveQueue.size(); }

    // The front of the queue the bridge has handed over, and the microframe
    // of the latest hand-over; the readable part of those.
    std::size_t handedOver = 0;
    std::int64_t handOverFrame = 0;
    std::size_t reported = 0;
    // When the oldest byte still in the bridge arrived.
    std::int64_t waitingSinceNs = 0;
};
