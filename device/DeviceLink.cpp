#include "DeviceLink.h"

#include <algorithm>
#include <cstring>

#include "Dialogs.h"
#include "DriverRegistry.h"
#include "DriverStatusText.h"
#include "HxDriver.h"

DeviceLink::DeviceLink(Dialogs& dialogs) : dialogs(dialogs) {}

void DeviceLink::ReportDriverStatus(const QString& name, DriverStatus status) {
    if (status != hx::Ok) {
        dialogs.showError(name + DriverStatusSuffix(status));
    }
}

namespace {

// One library call on the current handle, reported under the given name.
template <typename Call>
DriverStatus reported(DeviceLink& link, const char* name, Call call) {
    const DriverStatus status = call(link.CurrentHandle);
    link.ReportDriverStatus(QString::fromLatin1(name), status);
    return status;
}

}  // namespace

DriverStatus DeviceLink::CloseCurrentChannel() {
    return reported(*this, "HX_Close", [](HxHandle h) { return HX_Close(h); });
}

DriverStatus DeviceLink::RaiseRts() {
    return reported(*this, "HX_SetRTS", [](HxHandle h) { return HX_SetRts(h); });
}

DriverStatus DeviceLink::LowerRts() {
    return reported(*this, "HX_ClrRTS", [](HxHandle h) { return HX_ClrRts(h); });
}

DriverStatus DeviceLink::RaiseDtr() {
    return reported(*this, "HX_SetDTR", [](HxHandle h) { return HX_SetDtr(h); });
}

DriverStatus DeviceLink::LowerDtr() {
    return reported(*this, "HX_ClrDTR", [](HxHandle h) { return HX_ClrDtr(h); });
}

DriverStatus DeviceLink::ApplyBaudRate() {
    return reported(*this, "HX_SetBaudRate",
                    [this](HxHandle h) { return HX_SetBaudRate(h, BaudRate); });
}

DriverStatus DeviceLink::ApplyDataCharacteristics() {
    return reported(*this, "HX_SetDataCharacteristics", [this](HxHandle h) {
        return HX_SetDataCharacteristics(h, WordLength, StopBits, Parity);
    });
}

DriverStatus DeviceLink::ApplyFlowControl() {
    return reported(*this, "HX_SetFlowControl", [this](HxHandle h) {
        return HX_SetFlowControl(h, FlowControl, XonChar, XoffChar);
    });
}

void DeviceLink::ApplyLineSettings(const LineSettings& settings) {
    BaudRate = settings.baudRate;
    WordLength = settings.wordLength;
    StopBits = settings.stopBits;
    Parity = settings.parity;
    FlowControl = settings.flowControl;
    ApplyBaudRate();
    ApplyDataCharacteristics();
    ApplyFlowControl();
}

void DeviceLink::UseEventChar(std::uint8_t eventChar) {
    EventChar = eventChar;
    EventCharEnabled = true;
    ErrorCharEnabled = false;
}

DriverStatus DeviceLink::FetchModemStatus() {
    return reported(*this, "HX_GetModemStatus",
                    [this](HxHandle h) { return HX_GetModemStatus(h, &ModemStatus); });
}

DriverStatus DeviceLink::FetchQueueStatus() {
    return reported(*this, "HX_GetQueueStatus",
                    [this](HxHandle h) { return HX_GetQueueStatus(h, &RxQueueCount); });
}

DriverStatus DeviceLink::ApplySpecialChars() {
    return reported(*this, "HX_SetChars", [this](HxHandle h) {
        return HX_SetChars(h, EventChar, EventCharEnabled ? 1 : 0, ErrorChar,
                           ErrorCharEnabled ? 1 : 0);
    });
}

DriverStatus DeviceLink::ApplyLatency(std::uint8_t milliseconds) {
    return HX_SetLatencyTimer(CurrentHandle, milliseconds);
}

std::uint32_t DeviceLink::readInto(std::array<std::uint8_t, BufferSize>& buffer,
                                   std::uint32_t count) {
    // A queue longer than the buffer is read in pieces: the rest stays queued
    // for the caller's next pass.
    const std::uint32_t asked = std::min(count, BufferSize);
    std::uint32_t bytesRead = 0;
    lastReadStatus = HX_Read(CurrentHandle, buffer.data(), asked, &bytesRead);
    ReportDriverStatus(QStringLiteral("HX_Read"), lastReadStatus);
    return std::min(bytesRead, asked);
}

std::uint32_t DeviceLink::ReadToBufferA(std::uint32_t count) {
    return readInto(ReadBufferA, count);
}

std::uint32_t DeviceLink::ReadToBufferB(std::uint32_t count) {
    return readInto(ReadBufferB, count);
}

void DeviceLink::stage(std::array<std::uint8_t, BufferSize>& buffer, std::int32_t& staged,
                       HxHandle handle, std::uint8_t b) {
    if (staged >= static_cast<std::int32_t>(BufferSize)) {
        // A full staging buffer goes out first rather than be overrun.
        std::uint32_t written = 0;
        flush(handle, buffer, staged, staged, written);
        if (staged >= static_cast<std::int32_t>(BufferSize)) {
            return;
        }
    }
    buffer[static_cast<std::size_t>(staged)] = b;
    ++staged;
}

void DeviceLink::PutByteA(std::uint8_t b) {
    stage(WriteBufferA, WriteCountA, HandleA, b);
}

void DeviceLink::PutByteB(std::uint8_t b) {
    stage(WriteBufferB, WriteCountB, HandleB, b);
}

DriverStatus DeviceLink::flush(HxHandle handle, std::array<std::uint8_t, BufferSize>& buffer,
                               std::int32_t& staged, std::int32_t count, std::uint32_t& written) {
    const auto asked = static_cast<std::uint32_t>(std::clamp(count, 0, staged));
    written = 0;
    HX_Write(handle, buffer.data(), asked, &written);
    written = std::min(written, asked);
    // What did not go out stays staged and moves to the front, so the next
    // flush sends exactly the unsent remainder, in order.
    const auto remaining = static_cast<std::size_t>(staged) - written;
    std::memmove(buffer.data(), buffer.data() + written, remaining);
    staged = static_cast<std::int32_t>(remaining);
    return written == asked && asked == static_cast<std::uint32_t>(std::max(count, 0))
               ? hx::Ok
               : hx::FailedToWrite;
}

DriverStatus DeviceLink::FlushBufferA(HxHandle handle, std::int32_t count, std::uint32_t& written) {
    return flush(handle, WriteBufferA, WriteCountA, count, written);
}

DriverStatus DeviceLink::FlushBufferB(std::int32_t count, std::uint32_t& written) {
    return flush(HandleB, WriteBufferB, WriteCountB, count, written);
}

DriverStatus DeviceLink::SendStagedA() {
    std::uint32_t written = 0;
    return FlushBufferA(HandleA, WriteCountA, written);
}

DriverStatus DeviceLink::SendStagedB() {
    std::uint32_t written = 0;
    return FlushBufferB(WriteCountB, written);
}

bool DeviceLink::ChooseBoard(const QString& board) {
    SelectedDevice = board;
    ChannelAName = board + QStringLiteral(" A");
    ChannelBName = board + QStringLiteral(" B");
    return !board.isEmpty();
}

bool DeviceLink::OpenChannelA() {
    return openChannel(ChannelAName, HandleA, ChannelAOpen);
}

bool DeviceLink::OpenChannelB() {
    return openChannel(ChannelBName, HandleB, ChannelBOpen);
}

QString DeviceLink::OpenProblemSuffix() const {
    const std::string& problem = DriverRegistry::instance().lastOpenProblem();
    return problem.empty() ? QString() : QStringLiteral(": ") + QString::fromStdString(problem);
}

bool DeviceLink::openChannel(const QString& name, HxHandle& handle, bool& isOpen) {
    if (isOpen) {
        return true;
    }
    isOpen = FindAndOpenChannel(name);
    if (isOpen) {
        handle = CurrentHandle;
    }
    return isOpen;
}

void DeviceLink::closeChannel(HxHandle handle, bool& isOpen, CloseFailure failure) {
    if (!isOpen) {
        return;
    }
    CurrentHandle = handle;
    if (failure == CloseFailure::Reported) {
        CloseCurrentChannel();
    } else {
        HX_Close(handle);
    }
    isOpen = false;
}

void DeviceLink::CloseChannelA(CloseFailure failure) {
    closeChannel(HandleA, ChannelAOpen, failure);
}

void DeviceLink::CloseChannelB(CloseFailure failure) {
    closeChannel(HandleB, ChannelBOpen, failure);
}

QString ByteToHex(std::uint8_t b) {
    static const char digits[] = "0123456789ABCDEF";
    const char text[2] = {digits[b >> 4], digits[b & 0x0F]};
    return QString::fromLatin1(text, 2);
}
