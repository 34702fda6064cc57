#pragma once

#include <QString>

#include "BootLink.h"
#include "ControlLines.h"
#include "FlashWriter.h"
#include "ModeLoop.h"
#include "ProgrammerView.h"
#include "RomImage.h"

class Clock;
class ControlGroups;
class DeviceLink;
class Dialogs;
struct ModeFlags;

// Programmer Mode: rewrites the chip's flash from a ROM image through its
// boot loader. A run goes from the Program click to its end inside that
// click; whatever happens, both channels are closed and the view's controls
// given back when it ends. It reaches the user only through the view and the
// dialogs, so a run needs no window.
class Programmer {
  public:
    static constexpr const char* RomFileFilter = "*.ROM|*.ROM|Any File (*.*)|*.*";

    Programmer(ProgrammerView& view, DeviceLink& link, Dialogs& dialogs, Clock& clock,
               ModeFlags& flags, ControlGroups& groups);

    void Button1Click();
    void Button2Click();
    void RunProgramming();
    void ProgrammerLog(const QString& text);
    // Every block of the last run was acknowledged.
    bool flashed() const { return flashedLastRun; }

  private:
    void lockOutOtherModes();
    void releaseOtherModes();
    bool loadImage(const QString& path);
    bool openChannels();
    // Logs a channel that could not be opened.
    bool opened(bool isOpen, const QString& name);
    bool setUpBootLink();
    void programChip();
    void closeChannels();

    ProgrammerView& view;
    DeviceLink& link;
    Dialogs& dialogs;
    ModeFlags& flags;
    ControlGroups& groups;
    ControlLines controlLines;
    ModeLoop loop;
    BootLink bootLink;
    FlashWriter flashWriter;
    RomImage image;
    bool flashedLastRun = false;
};
