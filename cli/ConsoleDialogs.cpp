#include "ConsoleDialogs.h"

#include <cstdio>

#include "ConsoleText.h"

void ConsoleDialogs::showError(const QString& text) {
    anyError = true;
    PrintError(text);
}

void ConsoleDialogs::showInformation(const QString& text) {
    PrintError(text);
}

QString ConsoleDialogs::openFileName(const QString& /*filter*/) {
    return answer;
}

QString ConsoleDialogs::saveFileName(const QString& /*filter*/) {
    return answer;
}
