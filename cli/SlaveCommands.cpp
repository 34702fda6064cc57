#include "SlaveCommands.h"

#include <QTimer>

#include "Clock.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "ModeLoop.h"
#include "SlaveFileIo.h"
#include "TerminalJob.h"
#include "TransferSession.h"

namespace {
// How often a capture looks at its end conditions.
constexpr int WatchIntervalMs = 50;
}  // namespace

int SendToChip(TerminalJob& job, const QString& file) {
    TransferSession session(job.flags(), job.link(), job.channel(), job.view(),
                            TransferView::StopButton::SlaveSend,
                            QString::fromLatin1(SlaveFileIo::CancelCaption));
    return job.slave().SlaveSendFile(file) ? Succeeded : JobFailed;
}

int CaptureFromChip(TerminalJob& job, const QString& file, const CaptureEnd& end) {
    CatchInterrupt();
    Clock& clock = job.channel().loop().clock();
    const std::int64_t startMs = clock.milliseconds();
    std::int64_t lastByteMs = startMs;
    std::uint64_t lastCount = 0;
    QTimer watch;
    watch.setInterval(WatchIntervalMs);
    watch.callOnTimeout([&] {
        const std::int64_t now = clock.milliseconds();
        if (job.slave().bytesReceived() != lastCount) {
            lastCount = job.slave().bytesReceived();
            lastByteMs = now;
        }
        const bool timeUp = end.seconds && now - startMs >= *end.seconds * 1000;
        const bool quiet = end.quietSeconds && now - lastByteMs >= *end.quietSeconds * 1000;
        if (timeUp || quiet || InterruptRequested()) {
            // As Close File does: what came until now is kept.
            job.channel().stop().request(StopCause::Finished);
        }
    });
    watch.start();
    TransferSession session(job.flags(), job.link(), job.channel(), job.view(),
                            TransferView::StopButton::SlaveReceive,
                            QString::fromLatin1(SlaveFileIo::CloseCaption), StagedKeys::Kept);
    return job.slave().SlaveReceiveFile(file) ? Succeeded : JobFailed;
}
