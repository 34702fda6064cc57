#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "TransferSession.h"

#include "DirAnswer.h"
#include "TransferChannel.h"

class AnswerLines;
class DeviceLink;
class Dialogs;
class QFile;
class QSaveFile;
class TerminalDisplay;
struct ModeFlags;

// Copies files between the computer and the chip's disk through the
// monitor's file commands: OPW, WRF and CLF to the disk; DIR, then RD, or OPR
// and RDF, from it. A copy either arrives byte for byte or the ASCII pane
// says plainly that it did not: every answer is judged by what success looks
// like and anything else stops the copy, a received file appears under its
// name only once complete, and every wait is bounded. While a copy runs its
// button reads "Cancel" and stops it.
class DiskTransfer {
  public:
    using Services = TransferServices;
    // Resets and runs the chip with the link following it; false when the
    // board has no control lines.
    using MonitorRestart = std::function<bool()>;

    static constexpr const char* CancelCaption = "Cancel";

    DiskTransfer(Services services, MonitorRestart restartMonitor);

    void Button5Click();
    void Button8Click();
    void Button9Click();

    // The next copy's file on the disk goes by this name instead of the
    // local file's.
    void UseDiskName(const QString& name) { chosenDiskName = name; }
    // The last copy arrived whole and was confirmed by the chip (to the
    // disk: CLF answered; from it: the file put in place).
    bool lastCopyComplete() const { return copyComplete; }

    void SendFileToDisk(const QString& path);
    void ReceiveFileWithRd(const QString& path);
    void ReceiveFileWithRdf(const QString& path);

    DirAnswer dirAnswer;

  private:
    enum class ReadMethod { Rd, Rdf };

    void receive(ReadMethod method);
    bool commandModeChosen();
    // The block size of a send or an OPR/RDF receive: WholeFile when "Use
    // File Size" is ticked; nullopt, reported, when the box holds no usable size.
    static constexpr std::uint32_t WholeFile = 0;
    std::optional<std::uint32_t> writeBlock();
    std::optional<std::uint32_t> readBlock();
    std::optional<std::uint32_t> blockSize(const QString& text, std::uint32_t largest,
                                           const QString& caption);
    bool sendWholeFile(QFile& file, std::uint32_t size);
    bool sendBlocks(QFile& file, std::uint32_t size, std::uint32_t block, int& blocks);
    bool sendChunk(QFile& file, std::uint32_t count, std::uint64_t sent, std::uint32_t size);
    void bringMonitorBack();
    void finishSend(const QByteArray& diskName, TransferEnd end, const AnswerLines& answer);
    std::optional<std::uint32_t> startReceive(QSaveFile& file, const QString& path);
    void putInPlace(QSaveFile& file, const QString& lost);
    std::optional<std::uint32_t> askForEntry(const QString& path);
    bool receiveData(const QString& command, std::uint32_t count, QSaveFile& file,
                     std::uint64_t before, std::uint32_t size, const QString& lost);
    bool answeredWell(TransferEnd end, const AnswerLines& answer, const QString& command,
                      const QString& consequence, const QByteArray& lineStart = {});
    void reportAnswer(const QByteArray& line, const QString& command, const QString& consequence);
    QString reason(TransferEnd end, const QString& command) const;
    QString dataReason(TransferEnd end, const QSaveFile& file, std::uint64_t size,
                       std::uint64_t before) const;
    void log(const QString& text);

    Services services;
    MonitorRestart restartMonitor;
    DirAnswerParser dirParser{dirAnswer};
    // The disk name of the copy under way, and the one chosen for the next.
    QString diskNameFor(const QString& path);
    QString currentName;
    QString chosenDiskName;
    bool copyComplete = false;
};
