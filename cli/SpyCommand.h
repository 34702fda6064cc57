#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "SpyRecord.h"

struct Session;

// Spy Mode without a window: both directions of the chip's link, stamped,
// with the decoders' readings, written as a record until the time is up or
// Ctrl-C.
struct SpyRun {
    QString board;
    std::uint32_t baudRate = 9600;
    std::optional<double> seconds;
    SpyRecord::Format format = SpyRecord::Format::Text;
    QString output;  // empty: standard output
};
int RunSpy(Session& session, const SpyRun& run);
