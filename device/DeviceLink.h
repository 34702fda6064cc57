#pragma once

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>

#include "HxTypes.h"

class Dialogs;

// The program's one link record: both channels' handles and open flags, the
// current handle that nearly every operation addresses, the line settings in
// force, and fixed receive and staging buffers. Every exchange with the board
// goes through its operations; the modes read its fields and change them only
// through the operations below.
class DeviceLink {
  public:
    static constexpr std::uint32_t BufferSize = 65536;
    static constexpr int DeviceListSlots = 20;
    static constexpr int DescriptionLength = hx::DescriptionBufferSize - 1;

    explicit DeviceLink(Dialogs& dialogs);

    // --- Line state and settings ---
    HxHandle CurrentHandle = 0;
    std::uint8_t XonChar = 0x11;
    std::uint8_t XoffChar = 0x13;
    std::uint8_t EventChar = 0;
    std::uint8_t ErrorChar = 0;
    HxHandle HandleA = 0;
    HxHandle HandleB = 0;
    bool ChannelAOpen = false;
    bool ChannelBOpen = false;
    std::uint32_t BaudRate = 0;
    std::uint8_t WordLength = 0;
    std::uint8_t StopBits = 0;
    std::uint8_t Parity = 0;
    std::uint16_t FlowControl = 0;
    bool EventCharEnabled = false;
    bool ErrorCharEnabled = false;
    std::uint32_t ModemStatus = 0;
    std::uint32_t RxQueueCount = 0;
    std::array<std::uint8_t, BufferSize> ReadBufferA{};
    std::array<std::uint8_t, BufferSize> ReadBufferB{};
    std::array<std::uint8_t, BufferSize> WriteBufferA{};
    std::array<std::uint8_t, BufferSize> WriteBufferB{};
    std::int32_t WriteCountA = 0;
    std::int32_t WriteCountB = 0;

    // --- Enumeration ---
    std::array<char, hx::DescriptionBufferSize> DescriptionBuffer{};
    std::array<QString, DeviceListSlots> DeviceList;
    QString SelectedDevice;
    QString ChannelAName;
    QString ChannelBName;

    // The line settings a mode asks for on a channel.
    struct LineSettings {
        std::uint32_t baudRate = 0;
        std::uint16_t flowControl = hx::FlowNone;
        std::uint8_t wordLength = 8;
        std::uint8_t stopBits = 0;
        std::uint8_t parity = 0;
    };

    // --- Status reporting ---
    void ReportDriverStatus(const QString& name, DriverStatus status);

    // --- Operations on CurrentHandle, each reporting a failure ---
    DriverStatus CloseCurrentChannel();
    DriverStatus RaiseRts();
    DriverStatus LowerRts();
    DriverStatus RaiseDtr();
    DriverStatus LowerDtr();
    DriverStatus ApplyBaudRate();
    DriverStatus ApplyDataCharacteristics();
    DriverStatus ApplyFlowControl();
    DriverStatus FetchModemStatus();
    DriverStatus FetchQueueStatus();
    DriverStatus ApplySpecialChars();
    // Does not report.
    DriverStatus ApplyLatency(std::uint8_t milliseconds);
    // Records the settings and applies the baud rate, the data
    // characteristics and the flow control to the current handle, in that
    // order, each reporting a failure.
    void ApplyLineSettings(const LineSettings& settings);
    // The character whose arrival the driver signals (for ApplySpecialChars),
    // with the error character off.
    void UseEventChar(std::uint8_t eventChar);

    // --- Reads: at most BufferSize bytes a call; the rest stays queued ---
    std::uint32_t ReadToBufferA(std::uint32_t count);
    std::uint32_t ReadToBufferB(std::uint32_t count);
    // The status of the last read; a failed read has shown its dialog.
    DriverStatus LastReadStatus() const { return lastReadStatus; }

    // --- Staged writes ---
    void PutByteA(std::uint8_t b);
    void PutByteB(std::uint8_t b);
    DriverStatus FlushBufferA(HxHandle handle, std::int32_t count, std::uint32_t& written);
    DriverStatus FlushBufferB(std::int32_t count, std::uint32_t& written);
    // Everything staged for the channel in one write to its handle: hx::Ok
    // when all of it went out, else hx::FailedToWrite with the rest still
    // staged.
    DriverStatus SendStagedA();
    DriverStatus SendStagedB();
    // Forgets what is staged for the channel without sending it.
    void DropStagedA() { WriteCountA = 0; }
    // Forgets the last count bytes staged for channel A, as far as there are.
    void TakeBackStagedA(std::int32_t count) { WriteCountA = std::max(WriteCountA - count, 0); }
    void DropStagedB() { WriteCountB = 0; }

    // --- Channel selection and closing ---
    void SelectChannelA() { CurrentHandle = HandleA; }
    void SelectChannelB() { CurrentHandle = HandleB; }
    // A channel of a board that has gone away cannot close cleanly; a mode
    // that has already told the user so closes it without another dialog.
    enum class CloseFailure { Reported, Quiet };
    void CloseChannelA(CloseFailure failure = CloseFailure::Reported);
    void CloseChannelB(CloseFailure failure = CloseFailure::Reported);

    // --- Enumeration and opening by description ---
    // The board the modes work with, by its name in the port chooser: its
    // channels are that name followed by " A" and " B". False for no name.
    bool ChooseBoard(const QString& board);
    // Opens the chosen board's channel A (B) unless it is open already, and
    // records its handle; whether it is open afterwards. The current handle
    // is the new channel's after an opening.
    bool OpenChannelA();
    bool OpenChannelB();
    // Why the last opening failed, when the driver knows more than its
    // status: ": " and the reason, or empty. Appended to a mode's message.
    QString OpenProblemSuffix() const;
    DriverStatus ListDescriptionByIndex(std::uint32_t index);
    QString ReadDescriptionBuffer() const;
    void StoreOpenDescription(const QString& text);
    DriverStatus Open_USB_Device_By_Device_Description(const QString& description);
    void ListDescriptions(std::array<QString, DeviceListSlots>& list);
    bool FindAndOpenChannel(const QString& description);
    void ClearDeviceList();

  private:
    bool openChannel(const QString& name, HxHandle& handle, bool& isOpen);
    void closeChannel(HxHandle handle, bool& isOpen, CloseFailure failure);
    std::uint32_t readInto(std::array<std::uint8_t, BufferSize>& buffer, std::uint32_t count);
    DriverStatus flush(HxHandle handle, std::array<std::uint8_t, BufferSize>& buffer,
                       std::int32_t& staged, std::int32_t count, std::uint32_t& written);
    void stage(std::array<std::uint8_t, BufferSize>& buffer, std::int32_t& staged, HxHandle handle,
               std::uint8_t b);
    bool countDevices(std::uint32_t& count);

    Dialogs& dialogs;
    DriverStatus lastReadStatus = hx::Ok;
};

// Two upper-case hexadecimal digits, high nibble first.
QString ByteToHex(std::uint8_t b);

// Port-list helpers: a board's channel A is listed with the suffix " A".
bool IsChannelADescription(const QString& description);
QString StripChannelSuffix(const QString& description);
