#include "ConsolePanes.h"

#include "ConsoleText.h"

void MessageLines::addLine(const QString& line, const QColor& /*colour*/) {
    sawError = sawError || line.startsWith(QLatin1String("ERROR"));
    PrintError(line);
}
