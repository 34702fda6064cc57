#include "WindowLogs.h"

#include "Dialogs.h"
#include "SpyRecord.h"
#include "TForm1.h"
#include "TerminalTranscript.h"

namespace {
const QString TerminalWhat = QStringLiteral("the terminal log");
const QString SpyWhat = QStringLiteral("the spy capture log");
}  // namespace

WindowLogs::WindowLogs(TForm1& form, Dialogs& dialogs, Clock& clock)
    : form(&form), dialogs(dialogs), clock(clock) {
    flushTimer.setInterval(FlushIntervalMs);
    flushTimer.callOnTimeout(this, [this] { flush(); });
}

WindowLogs::~WindowLogs() {
    stopTerminalLog();
    stopSpyLog();
}

// The save dialog has asked before an existing file is chosen; the log
// replaces it.
bool WindowLogs::openFile(QFile& file, const QString& filter, const QString& what) {
    const QString path = dialogs.saveFileName(filter);
    if (path.isEmpty()) {
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        dialogs.showError(QStringLiteral("Cannot write %1 (%2): %3 is not kept")
                              .arg(path, file.errorString(), what));
        return false;
    }
    flushTimer.start();
    return true;
}

bool WindowLogs::startTerminalLog() {
    stopTerminalLog();
    if (!openFile(terminalFile, TerminalFilter, TerminalWhat)) {
        return false;
    }
    transcript = std::make_unique<TerminalTranscript>(terminalFile, clock);
    transcript->setTimeStamps(timeStamps);
    form->setTerminalTap(transcript.get());
    return true;
}

bool WindowLogs::startSpyLog() {
    stopSpyLog();
    if (!openFile(spyFile, SpyFilter, SpyWhat)) {
        return false;
    }
    const SpyRecord::Format format =
        spyFile.fileName().endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)
            ? SpyRecord::Format::Csv
            : SpyRecord::Format::Text;
    spyStream.setDevice(&spyFile);
    record = std::make_unique<SpyRecord>(spyStream, format, spyMessages);
    form->copySpyPanes(&record->ascii(), &record->hex());
    return true;
}

void WindowLogs::stopTerminalLog() {
    if (!transcript) {
        return;
    }
    if (form) {
        form->setTerminalTap(nullptr);
    }
    transcript.reset();
    terminalFile.close();
}

void WindowLogs::stopSpyLog() {
    if (!record) {
        return;
    }
    if (form) {
        form->copySpyPanes(nullptr, nullptr);
    }
    record.reset();
    spyStream.flush();
    spyStream.setDevice(nullptr);
    spyFile.close();
}

void WindowLogs::setTimeStamps(bool on) {
    timeStamps = on;
    if (transcript) {
        transcript->setTimeStamps(on);
    }
}

void WindowLogs::flush() {
    if (transcript) {
        terminalFile.flush();
        reportWriteFailure(terminalFile, TerminalWhat);
    }
    if (record) {
        spyStream.flush();
        reportWriteFailure(spyFile, SpyWhat);
    }
    if (!transcript && !record) {
        flushTimer.stop();
    }
}

// A full disk must not pass unnoticed: the log stops and says so.
void WindowLogs::reportWriteFailure(QFile& file, const QString& what) {
    if (file.error() == QFileDevice::NoError) {
        return;
    }
    const QString text = QStringLiteral("Cannot write %1 (%2): %3 has stopped")
                             .arg(file.fileName(), file.errorString(), what);
    if (&file == &terminalFile) {
        stopTerminalLog();
    } else {
        stopSpyLog();
    }
    dialogs.showError(text);
}
