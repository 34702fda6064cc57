#include "ConsolePanes.h"

#include "ConsoleText.h"

void MessageLines::addLine(const QString& line, const QColor& /*colour*/) {
    PrintError(line);
}
