#pragma once

#include <QString>
#include <cstdint>

// The "Disk Transfer" and "Slave File I/O" pages as the transfers see them:
// the choices they read and what they show while they run. The window
// implements it with its named controls.
class TransferView {
  public:
    // The button that started a transfer and is the one way to stop it.
    enum class StopButton { SendFile, ReceiveRd, ReceiveRdf, SlaveSend, SlaveReceive };

    virtual ~TransferView() = default;

    // "Data Mode" is selected: the monitor takes no commands then.
    virtual bool dataModeChosen() const = 0;
    // "Use File Size" for writes and reads, and the block size boxes' text.
    virtual bool wholeFileWrites() const = 0;
    virtual QString writeBlockText() const = 0;
    virtual bool wholeFileReads() const = 0;
    virtual QString readBlockText() const = 0;

    // While a transfer runs, the terminal's controls are off, except the
    // button that stops it, which reads caption; what only shows the
    // transfer (its progress, rate and status) stays readable. Unlocking
    // gives every control back the state it had.
    virtual void lockForTransfer(StopButton button, const QString& caption) = 0;
    virtual void unlockAfterTransfer() = 0;

    // A disk copy's bytes so far of its whole.
    virtual void showCopyProgress(std::uint64_t done, std::uint64_t total) = 0;
    // The slave send's progress in percent, its throughput figure (empty to
    // clear it) and the page's status line.
    virtual void showSlaveProgress(int percent) = 0;
    virtual void showSlaveThroughput(const QString& figure) = 0;
    virtual void showSlaveStatus(const QString& text) = 0;
    // A slave send's bytes so far of its whole, as a disk copy's; a slave
    // receive's bytes so far, whose whole is not known before Close File.
    virtual void showSlaveSendProgress(std::uint64_t done, std::uint64_t total) = 0;
    virtual void showSlaveReceiveProgress(std::uint64_t received) = 0;
};
