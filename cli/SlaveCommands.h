#pragma once

#include <QString>
#include <optional>

class TerminalJob;

// Raw file data over the link, with no monitor command: a file's bytes sent
// as they are, and what the chip sends captured into a file until the time
// is up, the link has gone quiet, or Ctrl-C.
int SendToChip(TerminalJob& job, const QString& file);

struct CaptureEnd {
    std::optional<double> seconds;
    std::optional<double> quietSeconds;
};
int CaptureFromChip(TerminalJob& job, const QString& file, const CaptureEnd& end);
