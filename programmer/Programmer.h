#pragma once

#include <QString>

#include "BootLink.h"
#include "ControlLines.h"
#include "FlashWriter.h"
#include "ModeLoop.h"
#include "ProgrammerWidgets.h"
#include "RomImage.h"

class Clock;
class ControlGroups;
class DeviceLink;
class Dialogs;
struct ModeFlags;

// Programmer Mode: rewrites the chip's flash from a ROM image through its
// boot loader. A run goes from the Program click to its end inside that
// click; whatever happens, both channels are closed and the window's
// controls given back when it ends.
class Programmer {
  public:
    static constexpr const char* RomFileFilter = "*.ROM|*.ROM|Any File (*.*)|*.*";

    Programmer(const ProgrammerWidgets& widgets, DeviceLink& link, Dialogs& dialogs, Clock& clock,
               ModeFlags& flags, ControlGroups& groups);

    void Button1Click();
    void Button2Click();
    void RunProgramming();
    void ProgrammerLog(const QString& text);

  private:
    void lockOutOtherModes();
    void releaseOtherModes();
    bool loadImage(const QString& path);
    bool openChannels();
    bool openChannel(const QString& name, HxHandle& handle, bool& isOpen);
    bool setUpBootLink();
    void programChip();
    void closeChannels();

    ProgrammerWidgets widgets;
    DeviceLink& link;
    Dialogs& dialogs;
    ModeFlags& flags;
    ControlGroups& groups;
    ControlLines controlLines;
    ModeLoop loop;
    BootLink bootLink;
    FlashWriter flashWriter;
    RomImage image;
};
