#include "Programmer.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ChannelOpening.h"
#include "ControlGroups.h"
#include "DeviceLink.h"
#include "Dialogs.h"
#include "ModeFlags.h"

Programmer::Programmer(const ProgrammerWidgets& widgets, DeviceLink& link, Dialogs& dialogs,
                       Clock& clock, ModeFlags& flags, ControlGroups& groups)
    : widgets(widgets),
      link(link),
      dialogs(dialogs),
      flags(flags),
      groups(groups),
      controlLines(link),
      loop(clock),
      bootLink(link, loop, flags.ProgrammingStop),
      flashWriter(widgets, bootLink, dialogs, loop, flags.ProgrammingStop) {}

void Programmer::Button1Click() {
    const QString path = dialogs.openFileName(QString::fromLatin1(RomFileFilter));
    if (!path.isEmpty()) {
        widgets.Edit1->setText(path);
    }
}

void Programmer::Button2Click() {
    lockOutOtherModes();
    flags.ProgrammingStop.clear();
    flags.ProgrammingBusy = true;
    RunProgramming();
    flags.ProgrammingBusy = false;
    releaseOtherModes();
}

void Programmer::lockOutOtherModes() {
    widgets.ComboBox1->setEnabled(false);
    widgets.Button1->setEnabled(false);
    widgets.Button2->setEnabled(false);
    groups.DisableTerminalControls();
    groups.DisableSpyControls();
}

void Programmer::releaseOtherModes() {
    widgets.Button1->setEnabled(true);
    widgets.Button2->setEnabled(true);
    widgets.ComboBox1->setEnabled(true);
    groups.EnableTerminalControls();
    groups.EnableSpyControls();
}

void Programmer::ProgrammerLog(const QString& text) {
    widgets.Memo1->appendPlainText(text);
}

void Programmer::RunProgramming() {
    widgets.Memo1->clear();
    const QString device = widgets.ComboBox1->currentText();
    const QString path = widgets.Edit1->text();
    if (device.isEmpty()) {
        ProgrammerLog(QStringLiteral("ERROR : You must select a device"));
        return;
    }
    if (path.isEmpty()) {
        ProgrammerLog(QStringLiteral("ERROR : You must select a Source File"));
        return;
    }
    ProgrammerLog(QStringLiteral("Using Device : ") + device);
    ProgrammerLog(QStringLiteral("Using Source File : ") + path);
    // The image is read and checked before the chip is touched, so a file
    // that cannot be sent leaves the chip's flash as it was.
    if (loadImage(path)) {
        ProgrammerLog(QStringLiteral("Starting Comms Link"));
        link.ChooseBoard(device);
        if (openChannels()) {
            if (setUpBootLink()) {
                programChip();
            } else if (flags.ProgrammingStop) {
                // The closing closed the channels under the boot protocol.
                ProgrammerLog(QStringLiteral(
                    "ERROR : the window was closed before Tarvik was in step: nothing was sent"));
            } else {
                ProgrammerLog(QStringLiteral("ERROR : failed to Sync to Tarvik"));
            }
        }
    }
    closeChannels();
}

bool Programmer::loadImage(const QString& path) {
    switch (image.load(path)) {
        case RomImage::LoadResult::Loaded:
            return true;
        case RomImage::LoadResult::Unreadable:
            ProgrammerLog(QStringLiteral("ERROR : cannot read Source File ") + path);
            return false;
        case RomImage::LoadResult::TooLarge:
            ProgrammerLog(QStringLiteral("ERROR : Source File is larger than the %1 bytes of "
                                         "Tarvik's flash, nothing was sent")
                              .arg(RomImage::Capacity));
            return false;
    }
    return false;
}

bool Programmer::openChannels() {
    // Both are tried even when B fails, so the log names every channel that
    // could not be opened.
    const bool channelB = openChannel(link.ChannelBName, link.HandleB, link.ChannelBOpen);
    const bool channelA = openChannel(link.ChannelAName, link.HandleA, link.ChannelAOpen);
    if (channelA && !channelB) {
        ProgrammerLog(
            QStringLiteral("ERROR : programming needs both channels of the board "
                           "(channel B works the chip's reset and program lines): "
                           "nothing was sent"));
    }
    return channelA && channelB;
}

bool Programmer::openChannel(const QString& name, HxHandle& handle, bool& isOpen) {
    if (OpenChannelIfClosed(link, name, handle, isOpen)) {
        return true;
    }
    ProgrammerLog(QStringLiteral("Error : failed to open ") + name);
    return false;
}

bool Programmer::setUpBootLink() {
    // Nothing left staged by an earlier exchange may go out in front of the
    // boot protocol.
    link.DropStagedA();
    const HxHandle handleA = link.HandleA;
    return controlLines.EnterBootLoader() == hx::Ok &&
           bootLink.ConfigureBootLink(handleA, BootLink::SlowBootRate) == hx::Ok &&
           bootLink.SyncBootLoader(handleA) && bootLink.SendSpeedChange(handleA) == hx::Ok &&
           bootLink.ConfigureBootLink(handleA, BootLink::FastBootRate) == hx::Ok &&
           bootLink.SyncBootLoader(handleA);
}

void Programmer::programChip() {
    ProgrammerLog(QStringLiteral("Synchronised to Tarvik"));
    ProgrammerLog(QStringLiteral("Now programming Tarvik"));
    const std::optional<QString> failure = flashWriter.ProgramFlash(link.HandleA, image);
    ProgrammerLog(failure.value_or(QStringLiteral("Complete")));
    // Also after a failed block: a half-written flash must not start running.
    controlLines.HoldChipInReset();
}

void Programmer::closeChannels() {
    link.CloseChannelA();
    link.CloseChannelB();
}
