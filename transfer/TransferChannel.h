#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <cstdint>
#include <functional>

class AnswerLines;
class Clock;
class DeviceLink;
class DirAnswerParser;
class TerminalDisplay;
struct ModeFlags;

// Why a wait or a data loop of a transfer ended.
enum class TransferEnd {
    Done,
    // Nothing came for longer than the expected bytes take at the link's
    // rate, plus a margin.
    TimedOut,
    // The user cancelled, or the window is closing.
    Cancelled,
    // The driver failed a queue-status query (and said so in its dialog).
    LinkFailed,
    // The local file refused the bytes.
    FileFailed,
};

// Channel A as the transfers use it, nested inside the terminal's receive
// loop: command lines sent byte by byte and shown in the terminal panes, the
// chip's answers read and shown, file data sent and received unshown.
//
// Every wait is bounded: it gives up when no byte has come for as long as the
// bytes still expected take at the link's rate, plus a margin. Every loop
// keeps the window alive (events at least every 20 ms) and sleeps while
// nothing is waiting, and ends at once when the transfer is cancelled or the
// channel has been closed under it.
class TransferChannel {
  public:
    static constexpr std::uint32_t TransferBufferSize = 4096;
    static constexpr std::int64_t WaitMarginMs = 3000;
    static constexpr std::int64_t WindowEventIntervalMs = 20;
    // Room for the longest answer line a command gets before its prompt.
    static constexpr std::uint32_t AnswerLineBytes = 64;

    using DataSink = std::function<bool(const std::uint8_t* bytes, std::uint32_t count)>;

    TransferChannel(DeviceLink& link, TerminalDisplay& display, ModeFlags& flags, Clock& clock);

    // Sends one byte in a write of its own and shows it in the panes.
    void SendCommandByte(std::uint8_t b);
    // Word, space, parameter, carriage return, each byte by SendCommandByte.
    void sendCommandLine(QByteArrayView word, QByteArrayView parameter);
    // A byte count as the monitor reads it: four bytes, most significant first.
    static QByteArray countParameter(std::uint32_t count);

    // Shows what is already waiting, as the terminal's loop would have: an
    // answer left from before must not be read as this transfer's.
    void showWaiting();
    // Reads and shows the chip's answer until a read ends with a carriage
    // return; the lines go to answer, so that an error line can be seen.
    // Bytes still on their way out (file data the bridge has taken but not
    // yet sent) lengthen the wait by their wire time.
    TransferEnd AwaitAnswerLine(AnswerLines& answer, std::uint64_t stillSending = 0);
    // Reads and shows answers until count prompt lines have come.
    TransferEnd awaitPrompts(int count, AnswerLines& answer, std::uint64_t stillSending = 0);
    // Reads the answer to DIR through the parser until it is finished,
    // showing the bytes that belong to it.
    TransferEnd ParseDirAnswer(DirAnswerParser& parser);
    // Reads exactly count bytes of data, unshown, handing each read to the
    // sink; bytes after them stay queued.
    TransferEnd receiveData(std::uint64_t count, const DataSink& sink);
    // Sends count bytes of TransferBuffer in one write, once the bridge can
    // take them all: Done, Cancelled, or TimedOut when the bridge took no
    // more for too long or the write came back short (nothing is left
    // staged then).
    TransferEnd sendData(std::uint32_t count);

    // Processes window events when the last time is 20 ms ago or more.
    void keepWindowAlive();
    // Sleeps until data arrives or the idle wait is over.
    void idle();
    // Cancelled by the user, or the channel is closing under the transfer.
    bool cancelled() const;
    void requestCancel() { cancelRequested = true; }
    void clearCancel() { cancelRequested = false; }
    std::uint64_t bytesReceived() const { return received; }

    std::array<std::uint8_t, TransferBufferSize> TransferBuffer{};

  private:
    // One poll of the receive queue into waiting; false when the query
    // failed.
    bool fetchWaiting(std::uint32_t& waiting);
    // Shows the bytes of a read and adds them to the answer's lines.
    void showAnswer(std::uint32_t count, AnswerLines& answer);
    template <typename TakeRead>
    TransferEnd pollReads(std::uint64_t& expected, bool capAtExpected, TakeRead&& take);
    TransferEnd readAnswer(std::uint64_t stillSending,
                           const std::function<bool(std::uint32_t)>& take);
    std::int64_t deadlineFor(std::uint64_t bytes);
    TransferEnd awaitTransmitRoom(std::uint32_t count);

    DeviceLink& link;
    TerminalDisplay& display;
    ModeFlags& flags;
    Clock& clock;
    bool cancelRequested = false;
    std::int64_t lastWindowEventsMs = 0;
    std::uint64_t received = 0;
};
