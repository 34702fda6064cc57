#include "TransferSession.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "DeviceLink.h"
#include "ModeFlags.h"
#include "TransferChannel.h"

TransferSession::TransferSession(ModeFlags& flags, DeviceLink& link, TransferChannel& channel,
                                 const std::vector<QWidget*>& terminalControls,
                                 QPushButton& stopButton, const QString& stopCaption,
                                 StagedKeys staged)
    : flags(flags), stopButton(stopButton), restingCaption(stopButton.text()) {
    flags.TransferBusy = true;
    if (staged == StagedKeys::Dropped) {
        link.DropStagedA();
    }
    channel.stop().clear();
    for (QWidget* control : terminalControls) {
        // What only shows the transfer (its progress, rate and status) stays
        // readable.
        if (qobject_cast<QLabel*>(control) || qobject_cast<QProgressBar*>(control)) {
            continue;
        }
        savedStates.emplace_back(control, control->isEnabled());
        control->setEnabled(false);
    }
    stopButton.setText(stopCaption);
    stopButton.setEnabled(true);
}

TransferSession::~TransferSession() {
    stopButton.setText(restingCaption);
    for (const auto& [control, enabled] : savedStates) {
        control->setEnabled(enabled);
    }
    flags.TransferBusy = false;
}
