#include "DiskTransfer.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <limits>

#include "DeviceLink.h"
#include "Dialogs.h"
#include "DiskFileName.h"
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

TransferChannel::DataSink writingTo(QSaveFile& file) {
    return [&file](const std::uint8_t* bytes, std::uint32_t count) {
        return file.write(reinterpret_cast<const char*>(bytes), count) == qint64{count};
    };
}

}  // namespace

DiskTransfer::DiskTransfer(Services services, DiskTransferControls controls)
    : services(std::move(services)), controls(controls) {}

void DiskTransfer::log(const QString& text) {
    services.display.TerminalLog(text);
}

void DiskTransfer::Button5Click() {
    if (services.flags.TransferBusy) {
        services.channel.requestCancel();
        return;
    }
    if (!writeBlock()) {
        return;
    }
    const QString path = services.dialogs.openFileName(SendFilter);
    if (path.isEmpty()) {
        return;
    }
    TransferSession session(services.flags, services.link, services.channel,
                            services.terminalControls, controls.Button5,
                            QString::fromLatin1(CancelCaption));
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
        services.channel.requestCancel();
        return;
    }
    if (method == ReadMethod::Rdf && !readBlock()) {
        return;
    }
    const QString path = services.dialogs.saveFileName(QString());
    if (path.isEmpty()) {
        return;
    }
    QPushButton& button = method == ReadMethod::Rd ? controls.Button8 : controls.Button9;
    TransferSession session(services.flags, services.link, services.channel,
                            services.terminalControls, button, QString::fromLatin1(CancelCaption));
    if (method == ReadMethod::Rd) {
        ReceiveFileWithRd(path);
    } else {
        ReceiveFileWithRdf(path);
    }
}

std::optional<std::uint32_t> DiskTransfer::writeBlock() {
    if (controls.CheckBox1.isChecked()) {
        return WholeFile;
    }
    return blockSize(controls.Edit2, TransferChannel::TransferBufferSize,
                     QStringLiteral("Block Size to use for Write"));
}

std::optional<std::uint32_t> DiskTransfer::readBlock() {
    if (controls.CheckBox2.isChecked()) {
        return WholeFile;
    }
    return blockSize(controls.Edit3, std::numeric_limits<std::uint32_t>::max(),
                     QStringLiteral("Block Size to use for Read"));
}

std::optional<std::uint32_t> DiskTransfer::blockSize(QLineEdit& edit, std::uint32_t largest,
                                                     const QString& caption) {
    bool isNumber = false;
    const qulonglong value = edit.text().trimmed().toULongLong(&isNumber, 10);
    if (!isNumber || value < 1 || value > largest) {
        log(QStringLiteral("ERROR : %1 must be a whole number from 1 to %2, not \"%3\"")
                .arg(caption)
                .arg(largest)
                .arg(edit.text()));
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

// --- To the disk ---

void DiskTransfer::SendFileToDisk(const QString& path) {
    const std::optional<std::uint32_t> block = writeBlock();
    if (!block) {
        return;
    }
    const bool wholeFile = *block == WholeFile;
    currentName = DiskFileName(path);
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
    // Each WRF is answered after its data; with blocks the answers have
    // piled up meanwhile, one prompt for each. The bridge may still hold the
    // last write's bytes when the wait begins.
    AnswerLines written;
    const std::uint64_t inBridge = TransferChannel::TransferBufferSize;
    const TransferEnd end = wholeFile ? channel.AwaitAnswerLine(written, inBridge)
                                      : channel.awaitPrompts(blocks, written, inBridge);
    finishSend(diskName, end, written);
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
            return true;
        case TransferEnd::Cancelled:
            return stop(cancelled);
        default:
            return stop(QStringLiteral("Tarvik stopped taking data"));
    }
}

// --- From the disk ---

void DiskTransfer::ReceiveFileWithRd(const QString& path) {
    QSaveFile file(path);
    const std::optional<std::uint32_t> size = startReceive(file, path);
    if (!size) {
        return;
    }
    TransferChannel& channel = services.channel;
    channel.sendCommandLine("RD", dirParser.fileName());
    const TransferEnd end = channel.receiveData(*size, writingTo(file));
    awaitTrailingPrompt(end);
    const QString lost = QStringLiteral("nothing was saved to ") + path;
    if (end != TransferEnd::Done) {
        log(QStringLiteral("ERROR : ") + dataReason(end, file, *size, 0) + QStringLiteral(": ") +
            lost);
        return;
    }
    putInPlace(file, lost);
}

void DiskTransfer::ReceiveFileWithRdf(const QString& path) {
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
    channel.sendCommandLine("OPR", dirParser.fileName());
    AnswerLines opened;
    if (!answeredWell(channel.AwaitAnswerLine(opened), opened, QStringLiteral("OPR ") + currentName,
                      lost)) {
        return;
    }
    std::uint64_t received = 0;
    // An empty file is still read with one RDF, of the count 0.
    do {
        const auto count = static_cast<std::uint32_t>(
            wholeFile ? *size : std::min<std::uint64_t>(*block, *size - received));
        channel.sendCommandLine("RDF", TransferChannel::countParameter(count));
        const TransferEnd end = channel.receiveData(count, writingTo(file));
        if (wholeFile) {
            awaitTrailingPrompt(end);
        }
        if (end != TransferEnd::Done) {
            log(QStringLiteral("ERROR : ") + dataReason(end, file, *size, received) +
                QStringLiteral(": ") + lost);
            return;
        }
        received += count;
        if (!wholeFile) {
            AnswerLines answer;
            if (!answeredWell(channel.AwaitAnswerLine(answer), answer, QStringLiteral("RDF"),
                              lost)) {
                return;
            }
        }
    } while (received < *size);
    putInPlace(file, lost);
}

// The prompt after the data is read here rather than left to the terminal's
// loop, so that a transfer started at once after this one does not take it
// for the start of its own answer.
void DiskTransfer::awaitTrailingPrompt(TransferEnd dataEnd) {
    if (dataEnd == TransferEnd::Done) {
        AnswerLines trailing;
        services.channel.awaitPrompts(1, trailing);
    }
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
    if (!file.commit()) {
        log(QStringLiteral("ERROR : cannot write %1 (%2): ")
                .arg(file.fileName(), file.errorString()) +
            lost);
    }
}

std::optional<std::uint32_t> DiskTransfer::askForEntry(const QString& path) {
    currentName = DiskFileName(path);
    const QString command = QStringLiteral("DIR ") + currentName;
    const QString lost = QStringLiteral("nothing was saved to ") + path;
    services.channel.showWaiting();
    services.channel.sendCommandLine("DIR", onTheWire(currentName));
    const TransferEnd end = services.channel.ParseDirAnswer(dirParser);
    if (end != TransferEnd::Done) {
        log(QStringLiteral("ERROR : ") + reason(end, command) + QStringLiteral(": ") + lost);
        return std::nullopt;
    }
    switch (dirParser.verdict()) {
        case DirAnswerParser::Verdict::FileEntry:
            return dirParser.fileSize();
        case DirAnswerParser::Verdict::ErrorAnswer:
            log(QStringLiteral("ERROR : Tarvik answered \"%1\" to %2: ")
                    .arg(QString::fromLatin1(dirParser.firstLine()), command) +
                lost);
            break;
        case DirAnswerParser::Verdict::FieldTooLong:
            log(QStringLiteral("ERROR : Tarvik's answer to %1 has a field longer than %2 bytes: ")
                    .arg(command)
                    .arg(DirAnswer::FieldBytes) +
                lost);
            break;
        case DirAnswerParser::Verdict::NotAFileEntry:
            log(QStringLiteral("ERROR : Tarvik's answer to %1 is not a file's entry: ")
                    .arg(command) +
                lost);
            break;
    }
    return std::nullopt;
}

// Reports what went wrong with an answer, if anything: a wait that did not
// end well, or an error line among the answer's lines.
bool DiskTransfer::answeredWell(TransferEnd end, const AnswerLines& answer, const QString& command,
                                const QString& consequence) {
    if (answer.sawError()) {
        log(QStringLiteral("ERROR : Tarvik answered \"%1\" to %2: ")
                .arg(QString::fromLatin1(answer.errorLine()), command) +
            consequence);
        return false;
    }
    if (end != TransferEnd::Done) {
        log(QStringLiteral("ERROR : ") + reason(end, command) + QStringLiteral(": ") + consequence);
        return false;
    }
    return true;
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
