#pragma once

#include <QString>
#include <optional>

#include "HxTypes.h"

class BootLink;
class Dialogs;
class ModeLoop;
class ProgrammerView;
class StopToken;
class RomImage;

// Sends an image to the boot loader block by block, with the progress bar,
// and tells the user when the flash has been rewritten.
class FlashWriter {
  public:
    static constexpr int ProgressRange = 65536;

    // The run stops before the next block once stop is set.
    FlashWriter(ProgrammerView& view, BootLink& bootLink, Dialogs& dialogs, ModeLoop& loop,
                const StopToken& stop);

    // Returns the message of the failure that stopped the block loop, or
    // nothing when every block was acknowledged.
    std::optional<QString> ProgramFlash(HxHandle handle, const RomImage& image);

  private:
    void showProgressBar(std::uint32_t imageBytes);
    std::optional<QString> sendBlocks(HxHandle handle, const RomImage& image);
    std::optional<QString> sendBlock(HxHandle handle, const RomImage& image,
                                     std::uint32_t blockAddress);
    std::optional<QString> checkAnswer(HxHandle handle, std::uint32_t blockAddress);
    static QString windowClosedBefore(std::uint32_t blockAddress);
    void showProgress(std::uint32_t bytesSent);
    void restoreControls();

    ProgrammerView& view;
    BootLink& bootLink;
    Dialogs& dialogs;
    ModeLoop& loop;
    const StopToken& stop;
};
