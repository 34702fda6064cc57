#include "DiskTransfer.h"

#include <QFile>
#include <QSaveFile>
#include <limits>
#include <utility>

#include "DeviceLink.h"
#include "Dialogs.h"
#include "DiskFileName.h"
#include "HxDriver.h"
#include "LineBytes.h"
#include "ModeFlags.h"
#include "MonitorAnswerText.h"
#include "TerminalDisplay.h"
#include "TransferSession.h"

namespace {

const QString SendFilter = QStringLiteral("*.*|*.*");
constexpr std::uint64_t LargestDiskFile = std::numeric_limits<std::uint32_t>::max();

// Names go to the monitor as single bytes; a character beyond Latin-1 has
// no byte and goes as '?'.
QByteArray onTheWire(const QString& name) {
    return name.toLatin1();
}

// Enough of the data's end to hold an answer line and a prompt line.
constexpr qsizetype DataTailBytes = 2 * AnswerLines::LongestLine + 8;

// The bytes after the last carriage return.
QByteArray lastLineOf(const QByteArray& bytes) {
    return bytes.sliced(bytes.lastIndexOf(CarriageReturn) + 1).right(AnswerLines::LongestLine);
}

}  // namespace

DiskTransfer::DiskTransfer(Services services, MonitorRestart restartMonitor)
    : services(std::move(services)), restartMonitor(std::move(restartMonitor)) {}

void DiskTransfer::log(const QString& text) {
    services.display.TerminalLog(text);
}

// In Data Mode the chip echoes every byte and reads no command: the copy's
// commands would go into its data memory, and their echo would read as an
// answer.
bool DiskTransfer::commandModeChosen() {
    if (!services.view.dataModeChosen()) {
        return true;
    }
    log(
        QStringLiteral("ERROR : disk transfers need Command Mode: in Data Mode Tarvik takes "
                       "every byte as data and answers no command"));
    return false;
}

void DiskTransfer::Button5Click() {
    if (services.flags.TransferBusy) {
        services.channel.stop().request(StopCause::Cancelled);
        return;
    }
    if (!commandModeChosen() || !writeBlock()) {
        return;
    }
    const QString path = services.dialogs.openFileName(SendFilter);
    if (path.isEmpty()) {
        return;
    }
    TransferSession session(services.flags, services.link, services.channel, services.view,
                            TransferView::StopButton::SendFile, QString::fromLatin1(CancelCaption));
    SendFileToDisk(path);
}

void DiskTransfer::Button8Click() {
    receive(ReadMethod::Rd);
}

void DiskTransfer::Button9Click() {
    receive(ReadMethod::Rdf);
}

void DiskTransfer::receive(ReadMethod method) {
    if (services.flags.TransferBusy) {
        services.channel.stop().request(StopCause::Cancelled);
        return;
    }
    if (!commandModeChosen() || (method == ReadMethod::Rdf && !readBlock())) {
        return;
    }
    const QString path = services.dialogs.saveFileName(QString());
    if (path.isEmpty()) {
        return;
    }
    const auto button = method == ReadMethod::Rd ? TransferView::StopButton::ReceiveRd
                                                 : TransferView::StopButton::ReceiveRdf;
    TransferSession session(services.flags, services.link, services.channel, services.view, button,
                            QString::fromLatin1(CancelCaption));
    if (method == ReadMethod::Rd) {
        ReceiveFileWithRd(path);
    } else {
        ReceiveFileWithRdf(path);
    }
}

std::optional<std::uint32_t> DiskTransfer::writeBlock() {
    if (services.view.wholeFileWrites()) {
        return WholeFile;
    }
    return blockSize(services.view.writeBlockText(), TransferChannel::TransferBufferSize,
                     QStringLiteral("Block Size to use for Write"));
}

std::optional<std::uint32_t> DiskTransfer::readBlock() {
    if (services.view.wholeFileReads()) {
        return WholeFile;
    }
    return blockSize(services.view.readBlockText(), std::numeric_limits<std::uint32_t>::max(),
                     QStringLiteral("Block Size to use for Read"));
}

std::optional<std::uint32_t> DiskTransfer::blockSize(const QString& text, std::uint32_t largest,
                                                     const QString& caption) {
    bool isNumber = false;
    const qulonglong value = text.trimmed().toULongLong(&isNumber, 10);
    if (!isNumber || value < 1 || value > largest) {
        log(QStringLiteral("ERROR : %1 must be a whole number from 1 to %2, not \"%3\"")
                .arg(caption)
                .arg(largest)
                .arg(text));
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

// --- To the disk ---

QString DiskTransfer::diskNameFor(const QString& path) {
    copyComplete = false;
    return chosenDiskName.isEmpty() ? DiskFileName(path) : std::exchange(chosenDiskName, {});
}

void DiskTransfer::SendFileToDisk(const QString& path) {
    copyComplete = false;
    const std::optional<std::uint32_t> block = writeBlock();
    if (!block) {
        return;
    }
    const bool wholeFile = *block == WholeFile;
    currentName = diskNameFor(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        log(QStringLiteral("ERROR : cannot read %1 (%2): nothing was sent")
                .arg(path, file.errorString()));
        return;
    }
    if (static_cast<std::uint64_t>(file.size()) > LargestDiskFile) {
        log(QStringLiteral("ERROR : %1 is larger than the 4 GiB a disk file can hold: "
                           "nothing was sent")
                .arg(path));
        return;
    }
    const auto size = static_cast<std::uint32_t>(file.size());
    const QByteArray diskName = onTheWire(currentName);

    TransferChannel& channel = services.channel;
    channel.showWaiting();
    channel.sendCommandLine("OPW", diskName);
    AnswerLines opened;
    if (!answeredWell(channel.AwaitAnswerLine(opened), opened, QStringLiteral("OPW ") + currentName,
                      QStringLiteral("nothing was written to Tarvik's disk"))) {
        return;
    }
    int blocks = 1;
    const bool sent =
        wholeFile ? sendWholeFile(file, size) : sendBlocks(file, size, *block, blocks);
    file.close();
    if (!sent) {
        return;
    }
    // Each WRF is answered with the prompt after its data; with blocks the
    // answers have piled up meanwhile, one for each, and the first that is
    // not the prompt ends the wait.
    AnswerLines written(blocks);
    finishSend(diskName, channel.AwaitAnswerLine(written), written);
}

void DiskTransfer::finishSend(const QByteArray& diskName, TransferEnd end,
                              const AnswerLines& answer) {
    const QString incomplete = currentName + QStringLiteral(" on Tarvik's disk may be incomplete");
    if (end == TransferEnd::Cancelled || end == TransferEnd::LinkFailed) {
        answeredWell(end, answer, QStringLiteral("WRF"), incomplete);
        return;
    }
    // The disk file is closed whatever the data's answer was. Its answer is
    // read here, so that the next transfer does not take it for its own.
    services.channel.sendCommandLine("CLF", diskName);
    AnswerLines closed;
    const TransferEnd closing = services.channel.AwaitAnswerLine(closed);
    if (answeredWell(end, answer, QStringLiteral("WRF"), incomplete)) {
        copyComplete =
            answeredWell(closing, closed, QStringLiteral("CLF ") + currentName, incomplete);
    }
}

bool DiskTransfer::sendWholeFile(QFile& file, std::uint32_t size) {
    services.channel.sendCommandLine("WRF", TransferChannel::countParameter(size));
    std::uint64_t sent = 0;
    while (sent < size) {
        const auto count = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(TransferChannel::TransferBufferSize, size - sent));
        if (!sendChunk(file, count, sent, size)) {
            return false;
        }
        sent += count;
        services.channel.keepWindowAlive();
    }
    return true;
}

bool DiskTransfer::sendBlocks(QFile& file, std::uint32_t size, std::uint32_t block, int& blocks) {
    std::uint64_t sent = 0;
    blocks = 0;
    // An empty file still gets one WRF, with the count 0.
    do {
        const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(block, size - sent));
        services.channel.sendCommandLine("WRF", TransferChannel::countParameter(count));
        ++blocks;
        if (!sendChunk(file, count, sent, size)) {
            return false;
        }
        sent += count;
        services.channel.keepWindowAlive();
    } while (sent < size);
    return true;
}

// One write of file data. Whatever stops it leaves the monitor waiting for
// the rest of its WRF data, which the report says.
bool DiskTransfer::sendChunk(QFile& file, std::uint32_t count, std::uint64_t sent,
                             std::uint32_t size) {
    TransferChannel& channel = services.channel;
    const QString incomplete =
        QStringLiteral("%1 on Tarvik's disk is incomplete (%2 of %3 bytes sent)")
            .arg(currentName)
            .arg(sent)
            .arg(size);
    const auto stop = [&](const QString& why) {
        log(QStringLiteral("ERROR : ") + why + QStringLiteral(": ") + incomplete);
        bringMonitorBack();
        return false;
    };
    const QString cancelled = QStringLiteral("the transfer was cancelled");
    if (channel.cancelled()) {
        return stop(cancelled);
    }
    if (count == 0) {
        return true;
    }
    const qint64 read = file.read(reinterpret_cast<char*>(channel.TransferBuffer.data()), count);
    if (read != qint64{count}) {
        return stop(QStringLiteral("cannot read %1 (%2)")
                        .arg(file.fileName(), read < 0
                                                  ? file.errorString()
                                                  : QStringLiteral("it is shorter than it was")));
    }
    switch (channel.sendData(count)) {
        case TransferEnd::Done:
            services.view.showCopyProgress(sent + count, size);
            return true;
        case TransferEnd::Cancelled:
            return stop(cancelled);
        default:
            return stop(QStringLiteral("Tarvik stopped taking data"));
    }
}

// A WRF whose data stopped short leaves the monitor counting them: it would
// take every later command line as file data. Resetting the chip ends that;
// it starts again at its start rate, and the link follows it there. Nothing
// is done while the terminal is closing, nor for a board that has gone.
void DiskTransfer::bringMonitorBack() {
    DeviceLink& link = services.link;
    std::uint32_t waiting = 0;
    if (services.flags.TerminalStop || !link.ChannelAOpen ||
        HX_GetQueueStatus(link.HandleA, &waiting) != hx::Ok) {
        return;
    }
    if (restartMonitor && restartMonitor()) {
        log(QStringLiteral("Tarvik was reset so that its monitor takes commands again: it runs "
                           "at its start rate, and the link follows it at %1 baud")
                .arg(link.BaudRate));
        return;
    }
    log(
        QStringLiteral("ERROR : Tarvik's monitor still takes what it receives as file data until "
                       "the WRF's count is complete: power the board off and on to end it"));
}

// --- From the disk ---

void DiskTransfer::ReceiveFileWithRd(const QString& path) {
    copyComplete = false;
    QSaveFile file(path);
    const std::optional<std::uint32_t> size = startReceive(file, path);
    if (!size) {
        return;
    }
    const QString lost = QStringLiteral("nothing was saved to ") + path;
    // The name as the chip answered it, which may differ in case from the
    // name asked for.
    const QByteArray name = dirParser.fileName();
    services.channel.sendCommandLine("RD", name);
    if (receiveData(QStringLiteral("RD ") + QString::fromLatin1(name), *size, file, 0, *size,
                    lost)) {
        putInPlace(file, lost);
    }
}

void DiskTransfer::ReceiveFileWithRdf(const QString& path) {
    copyComplete = false;
    const std::optional<std::uint32_t> block = readBlock();
    if (!block) {
        return;
    }
    const bool wholeFile = *block == WholeFile;
    QSaveFile file(path);
    const std::optional<std::uint32_t> size = startReceive(file, path);
    if (!size) {
        return;
    }
    TransferChannel& channel = services.channel;
    const QString lost = QStringLiteral("nothing was saved to ") + path;
    const QByteArray name = dirParser.fileName();
    channel.sendCommandLine("OPR", name);
    AnswerLines opened;
    if (!answeredWell(channel.AwaitAnswerLine(opened), opened,
                      QStringLiteral("OPR ") + QString::fromLatin1(name), lost)) {
        return;
    }
    std::uint64_t received = 0;
    // An empty file is still read with one RDF, of the count 0.
    do {
        const auto count = static_cast<std::uint32_t>(
            wholeFile ? *size : std::min<std::uint64_t>(*block, *size - received));
        channel.sendCommandLine("RDF", TransferChannel::countParameter(count));
        if (!receiveData(QStringLiteral("RDF"), count, file, received, *size, lost)) {
            return;
        }
        received += count;
    } while (received < *size);
    putInPlace(file, lost);
}

// A good answer to RD or RDF is exactly the bytes asked for, then the prompt.
// An answer line in place of the data is recognised either way: when it is
// shorter than the data, it ends what came with the prompt; when it is
// longer, the line after the data is not the prompt, and the line is quoted
// from its start in the data.
bool DiskTransfer::receiveData(const QString& command, std::uint32_t count, QSaveFile& file,
                               std::uint64_t before, std::uint32_t size, const QString& lost) {
    // The last bytes of the data: when the chip sends an answer instead, its
    // line is found here.
    QByteArray dataTail;
    const auto sink = [&](const std::uint8_t* bytes, std::uint32_t read) {
        const auto* text = reinterpret_cast<const char*>(bytes);
        dataTail.append(text, read);
        dataTail = dataTail.right(DataTailBytes);
        services.view.showCopyProgress(before + services.channel.bytesReceived() + read, size);
        return file.write(text, read) == qint64{read};
    };
    const TransferEnd end = services.channel.receiveData(count, sink);
    if (end == TransferEnd::TimedOut) {
        if (const std::optional<QByteArray> line = LineBeforeClosingPrompt(dataTail)) {
            reportAnswer(*line, command, lost);
            return false;
        }
    }
    if (end != TransferEnd::Done) {
        log(QStringLiteral("ERROR : ") + dataReason(end, file, size, before) +
            QStringLiteral(": ") + lost);
        return false;
    }
    AnswerLines after;
    return answeredWell(services.channel.AwaitAnswerLine(after), after, command, lost,
                        lastLineOf(dataTail));
}

// The received file is written aside, so that a receive that fails leaves
// an existing file of the name as it was. Nothing is asked of the chip when
// the file cannot be made. Unbuffered, so that each read's bytes reach the
// file system at once and a write it takes only in part (a full disk, a
// size limit) fails that write: through the buffer such a short write is
// lost unnoticed and the shortened file is committed.
std::optional<std::uint32_t> DiskTransfer::startReceive(QSaveFile& file, const QString& path) {
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        log(QStringLiteral("ERROR : cannot write %1 (%2): nothing was received")
                .arg(path, file.errorString()));
        return std::nullopt;
    }
    return askForEntry(path);
}

void DiskTransfer::putInPlace(QSaveFile& file, const QString& lost) {
    copyComplete = file.commit();
    if (!copyComplete) {
        log(QStringLiteral("ERROR : cannot write %1 (%2): ")
                .arg(file.fileName(), file.errorString()) +
            lost);
    }
}

std::optional<std::uint32_t> DiskTransfer::askForEntry(const QString& path) {
    currentName = diskNameFor(path);
    const QString command = QStringLiteral("DIR ") + currentName;
    const QString lost = QStringLiteral("nothing was saved to ") + path;
    services.channel.showWaiting();
    services.channel.sendCommandLine("DIR", onTheWire(currentName));
    const TransferEnd end = services.channel.ParseDirAnswer(dirParser);
    if (end != TransferEnd::Done) {
        log(QStringLiteral("ERROR : ") + reason(end, command) + QStringLiteral(": ") + lost);
        return std::nullopt;
    }
    const QByteArray asked = onTheWire(currentName);
    switch (dirParser.verdict(asked)) {
        case DirAnswerParser::Verdict::FileEntry:
            return dirParser.fileSize();
        case DirAnswerParser::Verdict::FieldTooLong:
            log(QStringLiteral("ERROR : Tarvik's answer to %1 has a field longer than %2 bytes: ")
                    .arg(command)
                    .arg(DirAnswer::FieldBytes) +
                lost);
            break;
        case DirAnswerParser::Verdict::OtherFile:
        case DirAnswerParser::Verdict::NotAFileEntry:
            reportAnswer(dirParser.reportLine(asked), command, lost);
            break;
    }
    return std::nullopt;
}

// Reports what went wrong with an answer, if anything: a line that is not
// the prompt, or a wait that did not end well. lineStart: bytes taken as
// data just before the answer, the start of its first line.
bool DiskTransfer::answeredWell(TransferEnd end, const AnswerLines& answer, const QString& command,
                                const QString& consequence, const QByteArray& lineStart) {
    if (answer.failed()) {
        reportAnswer(
            (answer.unexpectedLineFirst() ? lineStart : QByteArray()) + answer.unexpectedLine(),
            command, consequence);
        return false;
    }
    if (end != TransferEnd::Done) {
        log(QStringLiteral("ERROR : ") + reason(end, command) + QStringLiteral(": ") + consequence);
        return false;
    }
    return true;
}

void DiskTransfer::reportAnswer(const QByteArray& line, const QString& command,
                                const QString& consequence) {
    log(QStringLiteral("ERROR : Tarvik answered \"%1\" to %2: ")
            .arg(PrintableAnswer(line), command) +
        consequence);
}

QString DiskTransfer::reason(TransferEnd end, const QString& command) const {
    switch (end) {
        case TransferEnd::TimedOut:
            return QStringLiteral("no answer from Tarvik to ") + command;
        case TransferEnd::Cancelled:
            return QStringLiteral("the transfer was cancelled");
        case TransferEnd::LinkFailed:
            return QStringLiteral("the link failed during ") + command;
        case TransferEnd::FileFailed:
        case TransferEnd::Done:
            break;
    }
    return command;
}

QString DiskTransfer::dataReason(TransferEnd end, const QSaveFile& file, std::uint64_t size,
                                 std::uint64_t before) const {
    switch (end) {
        case TransferEnd::TimedOut:
            return QStringLiteral("Tarvik stopped sending after %1 of %2 bytes of %3")
                .arg(before + services.channel.bytesReceived())
                .arg(size)
                .arg(currentName);
        case TransferEnd::FileFailed:
            return QStringLiteral("cannot write %1 (%2)").arg(file.fileName(), file.errorString());
        default:
            return reason(end, currentName);
    }
}
