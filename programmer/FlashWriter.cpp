#include "FlashWriter.h"

#include "BootLink.h"
#include "Dialogs.h"
#include "ModeLoop.h"
#include "ProgrammerView.h"
#include "RomImage.h"

namespace {

// "0x" and upper-case digits, as addresses and answers are written in the log.
QString hexText(std::uint32_t value, int digits) {
    return QStringLiteral("0x") +
           QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

}  // namespace

FlashWriter::FlashWriter(ProgrammerView& view, BootLink& bootLink, Dialogs& dialogs, ModeLoop& loop,
                         const StopToken& stop)
    : view(view), bootLink(bootLink), dialogs(dialogs), loop(loop), stop(stop) {}

std::optional<QString> FlashWriter::ProgramFlash(HxHandle handle, const RomImage& image) {
    showProgressBar(static_cast<std::uint32_t>(image.size()));
    const std::optional<QString> failure = sendBlocks(handle, image);
    if (!failure) {
        dialogs.showInformation(QStringLiteral("TarvikL-1A Flash reprogrammed."));
    }
    restoreControls();
    return failure;
}

// The last block is sent whole, so the progress ends at the block after
// the image's last byte.
void FlashWriter::showProgressBar(std::uint32_t imageBytes) {
    const std::uint32_t blocks =
        (imageBytes + BootLink::BootBlockSize - 1) / BootLink::BootBlockSize;
    view.startProgress(ProgressRange, static_cast<int>(blocks * BootLink::BootBlockSize),
                       QStringLiteral("Flash Programming Progress:"));
}

std::optional<QString> FlashWriter::sendBlocks(HxHandle handle, const RomImage& image) {
    for (std::uint32_t address = 0; address < image.size(); address += BootLink::BootBlockSize) {
        if (std::optional<QString> failure = sendBlock(handle, image, address)) {
            // A wait that ended because the window closed is no fault of the
            // chip's.
            return stop ? windowClosedBefore(address) : failure;
        }
        showProgress(address + BootLink::BootBlockSize);
        loop.keepAlive();
        // The window closed during the events: its closing has closed the
        // channels, so no block can follow.
        if (stop && address + BootLink::BootBlockSize < image.size()) {
            return windowClosedBefore(address + BootLink::BootBlockSize);
        }
    }
    return std::nullopt;
}

std::optional<QString> FlashWriter::sendBlock(HxHandle handle, const RomImage& image,
                                              std::uint32_t blockAddress) {
    bootLink.SendBlockHeader(handle, blockAddress);
    if (std::optional<QString> failure = checkAnswer(handle, blockAddress)) {
        return failure;
    }
    // The image buffer is erased flash past the image's end, so a short last
    // block is sent whole straight from it.
    bootLink.SendBlockData(handle, image.data() + blockAddress);
    return checkAnswer(handle, blockAddress);
}

std::optional<QString> FlashWriter::checkAnswer(HxHandle handle, std::uint32_t blockAddress) {
    const std::optional<std::uint8_t> answer = bootLink.AwaitBootAnswer(handle);
    if (!answer) {
        return QStringLiteral("ERROR : no answer from Tarvik for block at ") +
               hexText(blockAddress, 4);
    }
    if (*answer != BootLink::BlockAcknowledge) {
        return QStringLiteral("ERROR : Tarvik refused block at %1 (answer %2)")
            .arg(hexText(blockAddress, 4), hexText(*answer, 2));
    }
    return std::nullopt;
}

QString FlashWriter::windowClosedBefore(std::uint32_t blockAddress) {
    return QStringLiteral(
               "ERROR : the window was closed: programming stopped before "
               "the block at %1, Tarvik's flash is incomplete")
        .arg(hexText(blockAddress, 4));
}

void FlashWriter::showProgress(std::uint32_t bytesSent) {
    view.setProgress(static_cast<int>(bytesSent));
    // The loop keeps the window busy between message passes, so the bar is
    // painted now rather than at the next pass.
    view.paintProgressNow();
}

void FlashWriter::restoreControls() {
    view.hideProgress();
    view.setControlEnabled(ProgrammerView::Control::BoardChoice, true);
    view.setControlEnabled(ProgrammerView::Control::SelectFile, true);
    view.setControlEnabled(ProgrammerView::Control::Program, true);
    view.paintAllNow();
}
