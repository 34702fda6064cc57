#pragma once

#include <QString>

#include "TransferView.h"

class Clock;
class Dialogs;
class DeviceLink;
class TerminalDisplay;
class TransferChannel;
struct ModeFlags;

// What the disk transfers and the slave file operations work with.
struct TransferServices {
    DeviceLink& link;
    ModeFlags& flags;
    TransferChannel& channel;
    TerminalDisplay& display;
    Dialogs& dialogs;
    Clock& clock;
    TransferView& view;
};

// What a transfer does with keys the user has typed but not yet sent. A
// transfer that writes on channel A drops them: sent in front of its first
// command, they would garble it. One that only reads there keeps them, since
// the user's typing goes on reaching the chip while it runs.
enum class StagedKeys { Dropped, Kept };

// What holds while one transfer runs, from its start to its end whatever
// the outcome: the terminal's controls are off, so nothing can start a second
// transfer, change the link or close the channel under it; the button that
// started it is the one way to stop it and says so; typed keys are not sent,
// unless the transfer only reads channel A (the window decides that).
class TransferSession {
  public:
    TransferSession(ModeFlags& flags, DeviceLink& link, TransferChannel& channel,
                    TransferView& view, TransferView::StopButton stopButton,
                    const QString& stopCaption, StagedKeys staged = StagedKeys::Dropped);
    ~TransferSession();
    TransferSession(const TransferSession&) = delete;
    TransferSession& operator=(const TransferSession&) = delete;

  private:
    ModeFlags& flags;
    TransferView& view;
};
