#include "MonitorCommands.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <functional>

#include "Clock.h"
#include "ConsoleText.h"
#include "DiskTransfer.h"
#include "ExitStatus.h"
#include "LineBytes.h"
#include "MonitorAnswerText.h"
#include "TerminalJob.h"
#include "TransferSession.h"

namespace {

// Both command sets' words for a command the monitor could not carry out.
const std::array<QByteArrayView, 8> FailureAnswers{"Bad Command", "BC", "Command Failed", "CF",
                                                   "No Disk",     "ND", "Disk Full",      "DF"};

int reportFailure(const QByteArray& line, const QByteArray& command) {
    PrintError(QStringLiteral("ERROR : Tarvik answered \"%1\" to %2")
                   .arg(PrintableAnswer(line), QString::fromLatin1(command)));
    return JobFailed;
}

}  // namespace

QList<QByteArray> AnswerLinesOf(const QByteArray& answer) {
    QList<QByteArray> lines;
    for (const QByteArray& line : answer.split(static_cast<char>(CarriageReturn))) {
        if (!line.isEmpty() && !IsMonitorPrompt(line)) {
            lines << line;
        }
    }
    return lines;
}

bool IsFailureAnswer(const QByteArray& line) {
    return std::find(FailureAnswers.begin(), FailureAnswers.end(), QByteArrayView(line)) !=
           FailureAnswers.end();
}

int RunMonitorLines(TerminalJob& job, const QStringList& lines) {
    for (const QString& typed : lines) {
        const QByteArray line = typed.toLatin1();
        const std::optional<QByteArray> answer = job.exchange(line);
        if (!answer) {
            return JobFailed;
        }
        for (const QByteArray& answerLine : AnswerLinesOf(*answer)) {
            if (IsFailureAnswer(answerLine)) {
                return reportFailure(answerLine, line);
            }
            PrintResult(QString::fromLatin1(answerLine));
        }
    }
    return Succeeded;
}

// The listing's entries: a file by its name, a folder by its name and " DIR".
int ListDisk(TerminalJob& job) {
    const std::optional<QByteArray> answer = job.exchange("DIR");
    if (!answer) {
        return JobFailed;
    }
    const QList<QByteArray> entries = AnswerLinesOf(*answer);
    for (const QByteArray& entry : entries) {
        if (IsFailureAnswer(entry)) {
            return reportFailure(entry, "DIR");
        }
    }
    for (const QByteArray& entry : entries) {
        PrintResult(entry.endsWith(" DIR") ? QString::fromLatin1(entry.chopped(4)) + '/'
                                           : QString::fromLatin1(entry));
    }
    return Succeeded;
}

namespace {

// One copy inside its transfer session, its figures printed as its result.
int copy(TerminalJob& job, TransferView::StopButton button, const QString& localFile,
         const std::function<void(DiskTransfer&)>& run) {
    DiskTransfer& disk = job.disk();
    Clock& clock = job.channel().loop().clock();
    const std::int64_t startNs = clock.nanoseconds();
    {
        TransferSession session(job.flags(), job.link(), job.channel(), job.view(), button,
                                QString::fromLatin1(DiskTransfer::CancelCaption));
        run(disk);
    }
    if (!disk.lastCopyComplete()) {
        return JobFailed;
    }
    PrintResult(RateLine(static_cast<std::uint64_t>(QFileInfo(localFile).size()),
                         clock.nanoseconds() - startNs));
    return Succeeded;
}

}  // namespace

int PutOnDisk(TerminalJob& job, const QString& file, const QString& diskName) {
    job.disk().UseDiskName(diskName);
    return copy(job, TransferView::StopButton::SendFile, file,
                [&](DiskTransfer& disk) { disk.SendFileToDisk(file); });
}

int GetFromDisk(TerminalJob& job, const QString& diskName, const QString& file, bool inBlocks) {
    job.disk().UseDiskName(diskName);
    if (inBlocks) {
        return copy(job, TransferView::StopButton::ReceiveRdf, file,
                    [&](DiskTransfer& disk) { disk.ReceiveFileWithRdf(file); });
    }
    return copy(job, TransferView::StopButton::ReceiveRd, file,
                [&](DiskTransfer& disk) { disk.ReceiveFileWithRd(file); });
}
