#pragma once

#include <QString>
#include <cstdint>

// Results go to standard output, messages to standard error, each a line.
void PrintResult(const QString& line);
void PrintError(const QString& line);

// A job's figures: "N bytes in S.SSS s, R bytes/s".
QString RateLine(std::uint64_t bytes, std::int64_t nanoseconds);
