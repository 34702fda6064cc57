#include "TransferSession.h"

#include "DeviceLink.h"
#include "ModeFlags.h"
#include "TransferChannel.h"

TransferSession::TransferSession(ModeFlags& flags, DeviceLink& link, TransferChannel& channel,
                                 TransferView& view, TransferView::StopButton stopButton,
                                 const QString& stopCaption, StagedKeys staged)
    : flags(flags), view(view) {
    flags.TransferBusy = true;
    if (staged == StagedKeys::Dropped) {
        link.DropStagedA();
    }
    channel.stop().clear();
    view.lockForTransfer(stopButton, stopCaption);
}

TransferSession::~TransferSession() {
    view.unlockAfterTransfer();
    flags.TransferBusy = false;
}
