#pragma once

#include <optional>

#include "TerminalView.h"
#include "TransferView.h"

class ConsoleProgress;

// The Terminal Mode page of a run without a window: the board and the
// block size come from the command line, the monitor is in Command Mode at
// its start rate, there are no controls to show or lock, and a slave send's
// progress goes to the progress line.
class ConsoleTerminalView : public TerminalView, public TransferView {
  public:
    ConsoleTerminalView(QString board, std::optional<std::uint32_t> block,
                        ConsoleProgress& progress);

    QString chosenBoard() const override { return board; }
    QString baudRateText() const override;
    bool commandModeChosen() const override { return true; }
    void showBaudRate(std::uint32_t) override {}
    void showOpening() override {}
    void showOpen() override {}
    void showClosed() override {}
    void showSuspended() override {}
    void showResumed() override {}
    void selectRun() override {}
    void selectRtsEnabled() override {}

    bool dataModeChosen() const override { return false; }
    bool wholeFileWrites() const override { return !block; }
    QString writeBlockText() const override;
    bool wholeFileReads() const override { return !block; }
    QString readBlockText() const override;
    void lockForTransfer(StopButton, const QString&) override {}
    void unlockAfterTransfer() override {}
    void showCopyProgress(std::uint64_t done, std::uint64_t total) override;
    void showSlaveProgress(int percent) override;
    void showSlaveThroughput(const QString& figure) override;
    void showSlaveStatus(const QString&) override {}
    void showSlaveSendProgress(std::uint64_t done, std::uint64_t total) override;
    // A progress line needs the whole, which a receive does not know.
    void showSlaveReceiveProgress(std::uint64_t) override {}

  private:
    QString board;
    std::optional<std::uint32_t> block;
    ConsoleProgress& progress;
};
