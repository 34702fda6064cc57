#include "Programmer.h"

#include "ControlGroups.h"
#include "DeviceLink.h"
#include "Dialogs.h"
#include "ModeFlags.h"
#include "ProgrammerView.h"

Programmer::Programmer(ProgrammerView& view, DeviceLink& link, Dialogs& dialogs, Clock& clock,
                       ModeFlags& flags, ControlGroups& groups)
    : view(view),
      link(link),
      dialogs(dialogs),
      flags(flags),
      groups(groups),
      controlLines(link),
      loop(clock),
      bootLink(link, loop, flags.ProgrammingStop),
      flashWriter(view, bootLink, dialogs, loop, flags.ProgrammingStop) {}

void Programmer::Button1Click() {
    const QString path = dialogs.openFileName(QString::fromLatin1(RomFileFilter));
    if (!path.isEmpty()) {
        view.setSourcePath(path);
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
    view.setControlEnabled(ProgrammerView::Control::BoardChoice, false);
    view.setControlEnabled(ProgrammerView::Control::SelectFile, false);
    view.setControlEnabled(ProgrammerView::Control::Program, false);
    groups.DisableTerminalControls();
    groups.DisableSpyControls();
}

void Programmer::releaseOtherModes() {
    view.setControlEnabled(ProgrammerView::Control::SelectFile, true);
    view.setControlEnabled(ProgrammerView::Control::Program, true);
    view.setControlEnabled(ProgrammerView::Control::BoardChoice, true);
    groups.EnableTerminalControls();
    groups.EnableSpyControls();
}

void Programmer::ProgrammerLog(const QString& text) {
    view.addLogLine(text);
}

void Programmer::RunProgramming() {
    flashedLastRun = false;
    view.clearLog();
    const QString device = view.chosenBoard();
    const QString path = view.sourcePath();
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
    const bool channelB = opened(link.OpenChannelB(), link.ChannelBName);
    const bool channelA = opened(link.OpenChannelA(), link.ChannelAName);
    if (channelA && !channelB) {
        ProgrammerLog(
            QStringLiteral("ERROR : programming needs both channels of the board "
                           "(channel B works the chip's reset and program lines): "
                           "nothing was sent"));
    }
    return channelA && channelB;
}

bool Programmer::opened(bool isOpen, const QString& name) {
    if (!isOpen) {
        ProgrammerLog(QStringLiteral("Error : failed to open ") + name + link.OpenProblemSuffix());
    }
    return isOpen;
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
    flashedLastRun = !failure;
    // Also after a failed block: a half-written flash must not start running.
    controlLines.HoldChipInReset();
}

void Programmer::closeChannels() {
    link.CloseChannelA();
    link.CloseChannelB();
}
