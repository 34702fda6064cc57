#pragma once

#include <QString>
#include <cstdint>

#include "TransferSession.h"

class DeviceLink;
class Dialogs;
class TerminalDisplay;
class TransferChannel;
struct ModeFlags;

// Bytes a second of a send: bytes × 1000 ÷ elapsed milliseconds, a send
// within one millisecond counted as taking one.
std::uint64_t SlaveThroughput(std::uint64_t bytes, std::int64_t elapsedMs);

// Raw file data over channel A, with no monitor command: "Send File" writes
// a file's bytes unchanged and shows the throughput; "Rcv File" keeps every
// byte that arrives until "Close File" and only then puts the file in place,
// while the user's typing goes on reaching the chip. Both need the terminal
// open; while a send runs its button reads "Cancel".
class SlaveFileIo {
  public:
    using Services = TransferServices;

    static constexpr const char* ReceiveCaption = "Rcv File";
    static constexpr const char* CloseCaption = "Close File";
    static constexpr const char* CancelCaption = "Cancel";

    explicit SlaveFileIo(Services services);

    void Button13Click();
    void Button14Click();
    // Each returns whether the whole operation succeeded; a failure has been
    // reported in the ASCII pane.
    bool SlaveSendFile(const QString& path);
    bool SlaveReceiveFile(const QString& path);
    // While a receive runs, typed keys are sent as if no transfer ran.
    bool typedKeysReachTheChip() const { return receiving; }
    // Bytes the running (or last) receive has taken so far.
    std::uint64_t bytesReceived() const { return received; }

  private:
    bool terminalReady();
    void log(const QString& text);

    Services services;
    bool receiving = false;
    std::uint64_t received = 0;
};
