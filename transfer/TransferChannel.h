#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "ModeLoop.h"
#include "StopToken.h"

class AnswerLines;
class DeviceLink;
class DirAnswerParser;
class TerminalDisplay;
struct ModeFlags;

// Why a wait or a data loop of a transfer ended.
enum class TransferEnd {
    Done,
    // Nothing came for longer than the silence limit.
    TimedOut,
    // The user cancelled, or the window is closing.
    Cancelled,
    // The driver failed a queue-status query or a read (and said so in its
    // dialog).
    LinkFailed,
    // The local file refused the bytes.
    FileFailed,
};

// Channel A as the transfers use it, nested inside the terminal's receive
// loop: command lines sent byte by byte and shown in the terminal panes, the
// chip's answers read and shown, file data sent and received unshown.
//
// Every wait is bounded by silence: it gives up when no byte has come for a
// few seconds plus the wire time of one chunk at the link's rate, and each
// byte that arrives starts that time again; how much is still expected does
// not lengthen it. Every wait runs on the terminal's loop, which keeps the
// window alive and sleeps while nothing is waiting; each ends at once when
// the transfer's stop token is set (its own stop button, the terminal's
// closing) or the channel has been closed under it.
class TransferChannel {
  public:
    static constexpr std::uint32_t TransferBufferSize = 4096;
    static constexpr std::int64_t WaitMarginMs = 3000;
    // How long one look at the bridge's transmit room may take.
    static constexpr std::uint32_t RoomWaitUs = 20'000;

    using DataSink = std::function<bool(const std::uint8_t* bytes, std::uint32_t count)>;

    TransferChannel(DeviceLink& link, TerminalDisplay& display, ModeFlags& flags, ModeLoop& loop);

    // Sends one byte in a write of its own and shows it in the panes.
    void SendCommandByte(std::uint8_t b);
    // Word, space, parameter, carriage return, each byte by SendCommandByte.
    void sendCommandLine(QByteArrayView word, QByteArrayView parameter);
    // A byte count as the monitor reads it: four bytes, most significant first.
    static QByteArray countParameter(std::uint32_t count);

    // Shows what is already waiting, as the terminal's loop would have: an
    // answer left from before must not be read as this transfer's.
    void showWaiting();
    // Reads and shows the chip's answer into answer until a read ends with a
    // carriage return once the answer has settled: all its prompts came, or
    // a line has shown it bad.
    TransferEnd AwaitAnswerLine(AnswerLines& answer);
    // Reads and shows the chip's answer into answer until it ends with a
    // prompt line, whatever the lines before it: the answer of a command
    // whose success has no one shape. quietMs, when given, is the silence
    // the wait bears instead of the transfer's own limit.
    TransferEnd AwaitPrompt(QByteArray& answer, std::optional<std::int64_t> quietMs = {});
    // Reads the answer to DIR through the parser until it is finished, or
    // until a read ends with a carriage return once the answer can no longer
    // be a file's entry; shows the bytes that belong to it.
    TransferEnd ParseDirAnswer(DirAnswerParser& parser);
    // Reads exactly count bytes of data, unshown, handing each read to the
    // sink; bytes after them stay queued.
    TransferEnd receiveData(std::uint64_t count, const DataSink& sink);
    // Sends count bytes of TransferBuffer in one write, once the bridge can
    // take them all: Done, Cancelled, or TimedOut when the bridge took no
    // more for too long or the write came back short (nothing is left
    // staged then).
    TransferEnd sendData(std::uint32_t count);
    // Waits, with the window alive, until the bridge has put on the wire
    // every byte written: a write returns once the bridge has taken its
    // bytes, long before the last of them has left at a slow rate. stillHeld
    // is how much the bridge may hold at most; the wait gives up after the
    // margin plus their wire time. LinkFailed when the driver cannot tell.
    TransferEnd awaitBridgeEmpty(std::uint64_t stillHeld);

    // Between two steps of a data loop: the panes and the window's events.
    void keepWindowAlive();
    // Stopped (cancelled, finished, the terminal closing), or the channel is
    // closing under the transfer.
    bool cancelled() const;
    // The one stop token of the running transfer, inside the terminal's.
    StopToken& stop() { return transferStop; }
    ModeLoop& loop() { return modeLoop; }
    std::uint64_t bytesReceived() const { return received; }

    std::array<std::uint8_t, TransferBufferSize> TransferBuffer{};

  private:
    // One poll of the receive queue into waiting; false when the query
    // failed.
    bool fetchWaiting(std::uint32_t& waiting);
    static TransferEnd endOf(WaitEnd end);
    // Reads what is waiting, at most readLimit bytes, and hands each read
    // that brought bytes to take(), until take() says the wait is over.
    template <typename TakeRead>
    TransferEnd pollReads(const std::uint64_t& readLimit, std::int64_t silenceMs, TakeRead&& take);
    TransferEnd readAnswer(const std::function<bool(std::uint32_t)>& take,
                           std::optional<std::int64_t> quietMs = {});
    // The wire time of this many bytes at the link's rate.
    std::int64_t wireMs(std::uint64_t bytes) const;
    // How long a wait bears silence: the margin plus one chunk's wire time.
    std::int64_t silenceLimitMs() const;
    TransferEnd awaitTransmitRoom(std::uint32_t count);
    // Until the bridge has room for bytes, for at most limitMs.
    TransferEnd awaitRoom(std::uint32_t bytes, std::int64_t limitMs,
                          TransferEnd whenDriverCannotTell);

    DeviceLink& link;
    TerminalDisplay& display;
    ModeLoop& modeLoop;
    StopToken transferStop;
    std::uint64_t received = 0;
};
