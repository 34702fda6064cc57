#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "TerminalView.h"
#include "TransferView.h"

class QPushButton;
class QWidget;
class StatusRelay;

namespace Ui {
class Form1;
}

// The Terminal Mode page with its "Disk Transfer" and "Slave File I/O"
// pages, over the window's named controls, for the terminal connection and
// the transfers that run inside it.
class TerminalPageView : public TerminalView, public TransferView {
  public:
    // terminalControls: the page's control group, switched off while a
    // transfer runs. A transfer's progress and the connection's opening and
    // closing are reported to status as well.
    TerminalPageView(Ui::Form1& form, const std::vector<QWidget*>& terminalControls,
                     StatusRelay& status);

    QString chosenBoard() const override;
    QString baudRateText() const override;
    bool commandModeChosen() const override;
    void showBaudRate(std::uint32_t baudRate) override;
    void showOpening() override;
    void showOpen() override;
    void showClosed() override;
    void showSuspended() override;
    void showResumed() override;
    void selectRun() override;
    void selectRtsEnabled() override;

    bool dataModeChosen() const override;
    bool wholeFileWrites() const override;
    QString writeBlockText() const override;
    bool wholeFileReads() const override;
    QString readBlockText() const override;
    void lockForTransfer(StopButton button, const QString& caption) override;
    void unlockAfterTransfer() override;
    bool transferRunning() const { return stopButton != nullptr; }
    // The page has no bar of its own for a disk copy: its button's
    // "Cancel" shows that one runs, and the status bar its progress.
    void showCopyProgress(std::uint64_t done, std::uint64_t total) override;
    void showSlaveProgress(int percent) override;
    void showSlaveThroughput(const QString& figure) override;
    void showSlaveStatus(const QString& text) override;
    void showSlaveSendProgress(std::uint64_t done, std::uint64_t total) override;
    void showSlaveReceiveProgress(std::uint64_t received) override;

  private:
    QPushButton& buttonOf(StopButton button) const;
    static QString jobName(StopButton button);

    Ui::Form1& f;
    const std::vector<QWidget*>& terminalControls;
    StatusRelay& status;
    // While a transfer runs: the controls it switched off with the state
    // each had, and its stop button with its resting caption.
    std::vector<std::pair<QWidget*, bool>> savedStates;
    QPushButton* stopButton = nullptr;
    QString restingCaption;
};
