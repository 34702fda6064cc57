#include "ConsoleProgrammerView.h"

#include "ConsoleText.h"

ConsoleProgrammerView::ConsoleProgrammerView(QString board, QString image,
                                             ConsoleProgress& progress)
    : board(std::move(board)), image(std::move(image)), progress(progress) {}

void ConsoleProgrammerView::addLogLine(const QString& line) {
    progress.finish();
    PrintError(line);
}

void ConsoleProgrammerView::startProgress(int /*maximum*/, int runEnd, const QString& /*caption*/) {
    progress.start(static_cast<std::uint64_t>(runEnd));
}

void ConsoleProgrammerView::setProgress(int value) {
    progress.show(static_cast<std::uint64_t>(value));
}

void ConsoleProgrammerView::hideProgress() {
    progress.finish();
}
