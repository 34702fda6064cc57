#pragma once

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QTextStream>
#include <QTimer>
#include <memory>

#include "DroppedLines.h"

class Clock;
class Dialogs;
class SpyRecord;
class TForm1;
class TerminalTranscript;

// The window's two logs on disk, each written as it goes, flushed every
// FlushIntervalMs (a crash loses at most that much) and kept whole however
// often the panes are emptied: the terminal's transcript (TerminalTranscript:
// what the chip sent on channel A while the terminal ran, and what the user
// typed) and the spy capture's record (SpyRecord, as the command line's spy
// writes it: the HEX pane's lines as text, or CSV rows for a name ending in
// ".csv"). A file is chosen in the save dialog, which asks before an
// existing file is replaced; a replaced file starts empty.
class WindowLogs : public QObject {
  public:
    static constexpr int FlushIntervalMs = 500;
    static inline const QString TerminalFilter =
        QStringLiteral("Text (*.txt)|*.txt|Any File (*.*)|*.*");
    static inline const QString SpyFilter =
        QStringLiteral("Text (*.txt)|*.txt|CSV (*.csv)|*.csv|Any File (*.*)|*.*");

    WindowLogs(TForm1& form, Dialogs& dialogs, Clock& clock);
    ~WindowLogs() override;

    // Each asks for the file and starts its log; false when the user
    // cancelled or the file cannot be written (said in an error dialog).
    bool startTerminalLog();
    bool startSpyLog();
    void stopTerminalLog();
    void stopSpyLog();
    bool terminalLogging() const { return transcript != nullptr; }
    bool spyLogging() const { return record != nullptr; }

    // Each line of the transcript starts with its time of day.
    void setTimeStamps(bool on);
    // Both logs' lines reach their files now.
    void flush();

  private:
    bool openFile(QFile& file, const QString& filter, const QString& what);
    void reportWriteFailure(QFile& file, const QString& what);

    // The form may go first when the program ends.
    QPointer<TForm1> form;
    Dialogs& dialogs;
    Clock& clock;
    QTimer flushTimer;
    bool timeStamps = false;

    QFile terminalFile;
    std::unique_ptr<TerminalTranscript> transcript;

    QFile spyFile;
    QTextStream spyStream;
    // The spy's messages are in its pane; the record holds the capture.
    DroppedLines spyMessages;
    std::unique_ptr<SpyRecord> record;
};
