#pragma once

#include <QByteArray>
#include <QStringList>

class TerminalJob;

// The jobs for the monitor: its answers to typed lines, and the disk's
// listing and copies.
int RunMonitorLines(TerminalJob& job, const QStringList& lines);
int ListDisk(TerminalJob& job);
int PutOnDisk(TerminalJob& job, const QString& file, const QString& diskName);
int GetFromDisk(TerminalJob& job, const QString& diskName, const QString& file, bool inBlocks);

// The lines of an answer between the command and the prompt, without the
// empty ones.
QList<QByteArray> AnswerLinesOf(const QByteArray& answer);
// One of the monitor's failure answers, in either command set.
bool IsFailureAnswer(const QByteArray& line);
