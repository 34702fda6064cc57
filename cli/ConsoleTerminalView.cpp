#include "ConsoleTerminalView.h"

#include "ConsoleProgress.h"
#include "ConsoleText.h"
#include "TerminalConnection.h"

ConsoleTerminalView::ConsoleTerminalView(QString board, std::optional<std::uint32_t> block,
                                         ConsoleProgress& progress)
    : board(std::move(board)), block(block), progress(progress) {}

QString ConsoleTerminalView::baudRateText() const {
    return QString::number(TerminalConnection::MonitorStartBaudRate);
}

QString ConsoleTerminalView::writeBlockText() const {
    return QString::number(block.value_or(0));
}

QString ConsoleTerminalView::readBlockText() const {
    return QString::number(block.value_or(0));
}

// The send's figure is its result.
void ConsoleTerminalView::showSlaveThroughput(const QString& figure) {
    if (!figure.isEmpty()) {
        progress.finish();
        PrintResult(figure + QStringLiteral(" bytes/s"));
    }
}

// The send reports whole percents only; its figure at the end is its result.
void ConsoleTerminalView::showSlaveProgress(int /*percent*/) {}

void ConsoleTerminalView::showCopyProgress(std::uint64_t done, std::uint64_t total) {
    if (!progress.running()) {
        progress.start(total);
    }
    progress.show(done);
}

void ConsoleTerminalView::showSlaveSendProgress(std::uint64_t done, std::uint64_t total) {
    showCopyProgress(done, total);
}
