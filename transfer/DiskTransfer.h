#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "TransferSession.h"

#include "DirAnswer.h"
#include "TransferChannel.h"

class AnswerLines;
class DeviceLink;
class Dialogs;
class QCheckBox;
class QFile;
class QLineEdit;
class QPushButton;
class QSaveFile;
class QWidget;
class TerminalDisplay;
struct ModeFlags;

// The "Disk Transfer" page's controls.
struct DiskTransferControls {
    QPushButton& Button5;
    QPushButton& Button8;
    QPushButton& Button9;
    QCheckBox& CheckBox1;
    QCheckBox& CheckBox2;
    QLineEdit& Edit2;
    QLineEdit& Edit3;
};

// Copies files between the computer and the chip's disk through the
// monitor's file commands: OPW, WRF and CLF to the disk; DIR, then RD, or OPR
// and RDF, from it. A copy either arrives byte for byte or the ASCII pane
// says plainly that it did not: error answers of the monitor stop a copy, a
// received file appears under its name only once complete, and every wait
// is bounded. While a copy runs its button reads "Cancel" and stops it.
class DiskTransfer {
  public:
    using Services = TransferServices;

    static constexpr const char* CancelCaption = "Cancel";

    DiskTransfer(Services services, DiskTransferControls controls);

    void Button5Click();
    void Button8Click();
    void Button9Click();

    void SendFileToDisk(const QString& path);
    void ReceiveFileWithRd(const QString& path);
    void ReceiveFileWithRdf(const QString& path);

    DirAnswer dirAnswer;

  private:
    enum class ReadMethod { Rd, Rdf };

    void receive(ReadMethod method);
    // The block size of a send or an OPR/RDF receive: WholeFile when "Use
    // File Size" is ticked; nullopt, reported, when the box holds no usable size.
    static constexpr std::uint32_t WholeFile = 0;
    std::optional<std::uint32_t> writeBlock();
    std::optional<std::uint32_t> readBlock();
    std::optional<std::uint32_t> blockSize(QLineEdit& edit, std::uint32_t largest,
                                           const QString& caption);
    bool sendWholeFile(QFile& file, std::uint32_t size);
    bool sendBlocks(QFile& file, std::uint32_t size, std::uint32_t block, int& blocks);
    bool sendChunk(QFile& file, std::uint32_t count, std::uint64_t sent, std::uint32_t size);
    void finishSend(const QByteArray& diskName, TransferEnd end, const AnswerLines& answer);
    std::optional<std::uint32_t> startReceive(QSaveFile& file, const QString& path);
    void putInPlace(QSaveFile& file, const QString& lost);
    std::optional<std::uint32_t> askForEntry(const QString& path);
    void awaitTrailingPrompt(TransferEnd dataEnd);
    bool answeredWell(TransferEnd end, const AnswerLines& answer, const QString& command,
                      const QString& consequence);
    QString reason(TransferEnd end, const QString& command) const;
    QString dataReason(TransferEnd end, const QSaveFile& file, std::uint64_t size,
                       std::uint64_t before) const;
    void log(const QString& text);

    Services services;
    DiskTransferControls controls;
    DirAnswerParser dirParser{dirAnswer};
    QString currentName;
};
