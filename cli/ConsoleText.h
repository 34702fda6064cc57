#pragma once

#include <QString>

// Results go to standard output, messages to standard error, each a line.
void PrintResult(const QString& line);
void PrintError(const QString& line);
