#include "SlaveFileIo.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <optional>

#include "Clock.h"
#include "DeviceLink.h"
#include "Dialogs.h"
#include "ModeFlags.h"
#include "ModeLoop.h"
#include "TerminalDisplay.h"
#include "TransferChannel.h"
#include "TransferSession.h"

namespace {
const QString SendFilter = QStringLiteral("*.*|*.*");
}  // namespace

SlaveFileIo::SlaveFileIo(Services services) : services(std::move(services)) {}

void SlaveFileIo::log(const QString& text) {
    services.display.TerminalLog(text);
}

// The page's buttons are on whenever a board is chosen; without the
// terminal's open channel there is nothing to send on or receive from.
bool SlaveFileIo::terminalReady() {
    if (!services.flags.TerminalOpen || !services.link.ChannelAOpen) {
        log(QStringLiteral(
            "ERROR : Slave File I/O works over the open terminal: press Open first"));
        return false;
    }
    return true;
}

void SlaveFileIo::Button13Click() {
    if (services.flags.TransferBusy) {
        services.channel.stop().request(StopCause::Cancelled);
        return;
    }
    if (!terminalReady()) {
        return;
    }
    const QString path = services.dialogs.openFileName(SendFilter);
    if (path.isEmpty()) {
        return;
    }
    services.view.showSlaveStatus(QStringLiteral("Sending ") + path);
    bool sent = false;
    {
        TransferSession session(services.flags, services.link, services.channel, services.view,
                                TransferView::StopButton::SlaveSend,
                                QString::fromLatin1(CancelCaption));
        sent = SlaveSendFile(path);
    }
    services.view.showSlaveStatus(sent ? QStringLiteral("Done") : QStringLiteral("Failed"));
}

void SlaveFileIo::Button14Click() {
    // While a receive runs the button reads "Close File" and ends it.
    if (receiving) {
        services.channel.stop().request(StopCause::Finished);
        return;
    }
    if (!terminalReady()) {
        return;
    }
    const QString path = services.dialogs.saveFileName(QString());
    if (path.isEmpty()) {
        return;
    }
    bool received = false;
    {
        // The receive writes nothing on channel A: what the user types goes
        // on reaching the chip, to ask it for the data being captured.
        TransferSession session(services.flags, services.link, services.channel, services.view,
                                TransferView::StopButton::SlaveReceive,
                                QString::fromLatin1(CloseCaption), StagedKeys::Kept);
        services.view.showSlaveStatus(QStringLiteral("Receiving ") + path);
        receiving = true;
        received = SlaveReceiveFile(path);
        receiving = false;
    }
    services.view.showSlaveStatus(received ? QStringLiteral("Done") : QStringLiteral("Failed"));
}

bool SlaveFileIo::SlaveSendFile(const QString& path) {
    TransferChannel& channel = services.channel;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        log(QStringLiteral("ERROR : cannot read %1 (%2): nothing was sent")
                .arg(path, file.errorString()));
        return false;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(file.size());
    std::uint64_t sent = 0;
    services.view.showSlaveProgress(0);
    services.view.showSlaveThroughput(QString());
    const std::int64_t startNs = services.clock.nanoseconds();
    const auto failed = [&](const QString& why) {
        log(QStringLiteral("ERROR : %1 after %2 of %3 bytes of %4")
                .arg(why)
                .arg(sent)
                .arg(size)
                .arg(path));
        services.view.showSlaveProgress(0);
        return false;
    };
    for (;;) {
        if (channel.cancelled()) {
            return failed(QStringLiteral("the send was cancelled"));
        }
        const qint64 read = file.read(reinterpret_cast<char*>(channel.TransferBuffer.data()),
                                      TransferChannel::TransferBufferSize);
        if (read < 0) {
            return failed(QStringLiteral("cannot read the file (%1)").arg(file.errorString()));
        }
        if (read > 0) {
            const TransferEnd end = channel.sendData(static_cast<std::uint32_t>(read));
            if (end == TransferEnd::Cancelled) {
                return failed(QStringLiteral("the send was cancelled"));
            }
            if (end != TransferEnd::Done) {
                return failed(QStringLiteral("Tarvik stopped taking data"));
            }
            sent += static_cast<std::uint64_t>(read);
        }
        // An empty file is sent whole at once.
        services.view.showSlaveProgress(size == 0 ? 100 : static_cast<int>(sent * 100 / size));
        services.view.showSlaveSendProgress(sent, size);
        channel.keepWindowAlive();
        if (read == 0) {
            break;
        }
    }
    // The time runs until the last byte has left the bridge; each write
    // waited until the bridge could take it whole, so it holds one at most.
    const TransferEnd drained = channel.awaitBridgeEmpty(
        std::min<std::uint64_t>(size, TransferChannel::TransferBufferSize));
    if (drained == TransferEnd::Cancelled) {
        return failed(QStringLiteral("the send was cancelled"));
    }
    services.view.showSlaveProgress(0);
    if (drained != TransferEnd::Done) {
        log(QStringLiteral("ERROR : the bridge did not report the last bytes of %1 sent: no "
                           "throughput figure")
                .arg(path));
        return false;
    }
    // Begun milliseconds count whole: cut to whole ones, a send of a few
    // dozen milliseconds would show a rate above the wire's.
    constexpr std::int64_t nsPerMs = 1'000'000;
    const std::int64_t elapsed = (services.clock.nanoseconds() - startNs + nsPerMs - 1) / nsPerMs;
    services.view.showSlaveThroughput(QString::number(SlaveThroughput(size, elapsed)));
    return true;
}

// A send within one millisecond is counted as taking one.
std::uint64_t SlaveThroughput(std::uint64_t bytes, std::int64_t elapsedMs) {
    const std::uint64_t milliseconds = elapsedMs > 0 ? static_cast<std::uint64_t>(elapsedMs) : 1;
    return bytes * 1000 / milliseconds;
}

bool SlaveFileIo::SlaveReceiveFile(const QString& path) {
    DeviceLink& link = services.link;
    TransferChannel& channel = services.channel;
    QSaveFile file(path);
    // Unbuffered: a write the file system takes only in part must fail here
    // (see the disk receive).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        log(QStringLiteral("ERROR : cannot write %1 (%2): nothing was received")
                .arg(path, file.errorString()));
        return false;
    }
    const QString lost = QStringLiteral(": nothing was saved to ") + path;
    std::optional<QString> failure;
    received = 0;
    channel.loop().run(
        channel.stop(),
        [&]() -> std::uint32_t {
            if (link.FetchQueueStatus() != hx::Ok) {
                failure = QStringLiteral("ERROR : the link failed") + lost;
                channel.stop().request(StopCause::LinkFailed);
                return 0;
            }
            const std::uint32_t waiting = link.RxQueueCount;
            // The "Close File" click is handled here; what was waiting before
            // it still goes into the file.
            channel.keepWindowAlive();
            if (!link.ChannelAOpen ||
                (channel.stop().requested() && channel.stop().why() != StopCause::Finished)) {
                // Closed during the events (the window closing): the handle
                // is gone.
                return 0;
            }
            const std::uint32_t read = waiting > 0 ? link.ReadToBufferA(waiting) : 0;
            services.display.tapReceived(link.ReadBufferA.data(), read);
            if (file.write(reinterpret_cast<const char*>(link.ReadBufferA.data()), read) != read) {
                failure =
                    QStringLiteral("ERROR : cannot write %1 (%2)").arg(path, file.errorString()) +
                    lost;
                channel.stop().request(StopCause::LinkFailed);
            }
            received += read;
            if (read > 0) {
                services.view.showSlaveReceiveProgress(received);
            }
            return read;
        },
        [&link] { return ModeLoop::IdleOn{link.ChannelAOpen ? link.HandleA : 0}; },
        ModeLoop::Events::InPass);
    if (!failure && channel.stop().why() != StopCause::Finished) {
        failure = QStringLiteral("ERROR : the receive ended with the channel closed") + lost;
    }
    if (failure) {
        log(*failure);
        return false;
    }
    if (!file.commit()) {
        log(QStringLiteral("ERROR : cannot write %1 (%2)").arg(path, file.errorString()) + lost);
        return false;
    }
    return true;
}
