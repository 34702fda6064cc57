#include "SpyCommand.h"

#include <QFile>
#include <QTimer>
#include <cstdio>

#include "ConsolePanes.h"
#include "ControlGroups.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "ModeFlags.h"
#include "Session.h"
#include "SpyCapture.h"
#include "SpyView.h"

namespace {

constexpr int WatchIntervalMs = 50;

// The Spy Mode page of a run without a window: every option on as the page
// starts, the link followed in the view's own copies.
class ConsoleSpyView : public SpyView {
  public:
    ConsoleSpyView(QString board, std::uint32_t baudRate)
        : board(std::move(board)), rateText(QString::number(baudRate)) {}

    QString boardName() const override { return board; }
    QString baudRateText() const override { return rateText; }
    bool showTime() const override { return true; }
    bool trackCommands() const override { return true; }
    bool hexNumberInput() const override { return hexInput; }
    bool extendedCommandSet() const override { return extendedSet; }
    void showCaptureRunning(bool running) override { started = started || running; }
    void lockBoardChoice(bool) override {}
    void showCommandSet(bool extended) override { extendedSet = extended; }
    void showNumberInput(bool hex) override { hexInput = hex; }
    void showBaudRateText(const QString& text) override { rateText = text; }

    // The capture got as far as listening on both channels.
    bool captureStarted() const { return started; }

  private:
    QString board;
    QString rateText;
    bool extendedSet = true;
    bool hexInput = true;
    bool started = false;
};

}  // namespace

int RunSpy(Session& session, const SpyRun& run) {
    QFile file;
    if (run.output.isEmpty()) {
        file.open(stdout, QIODevice::WriteOnly);
    } else {
        file.setFileName(run.output);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            std::fprintf(stderr, "ERROR : cannot write %s (%s): nothing was captured\n",
                         qPrintable(run.output), qPrintable(file.errorString()));
            return JobFailed;
        }
    }
    QTextStream out(&file);
    MessageLines messages;
    SpyRecord record(out, run.format, messages);
    ConsoleSpyView view(run.board, run.baudRate);
    ModeFlags flags;
    NoControlGroups groups;
    SpyCapture capture({*session.link, flags, groups, session.clock}, view, record.ascii(),
                       record.hex());
    capture.RefreshSpyOptions();
    CatchInterrupt();
    const std::int64_t startMs = session.clock.milliseconds();
    QTimer watch;
    watch.setInterval(WatchIntervalMs);
    watch.callOnTimeout([&] {
        const bool timeUp =
            run.seconds && session.clock.milliseconds() - startMs >= *run.seconds * 1000;
        if (timeUp || InterruptRequested()) {
            capture.close();
        }
    });
    watch.start();
    capture.open();
    out.flush();
    if (!view.captureStarted()) {
        return PortUnavailable;
    }
    return messages.errorSeen() ? JobFailed : Succeeded;
}
