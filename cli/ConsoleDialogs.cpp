#include "ConsoleDialogs.h"

#include "ConsoleText.h"

void ConsoleDialogs::showError(const QString& text) {
    PrintError(text);
}

void ConsoleDialogs::showInformation(const QString& text) {
    PrintError(text);
}

QString ConsoleDialogs::openFileName(const QString& /*filter*/) {
    return {};
}

QString ConsoleDialogs::saveFileName(const QString& /*filter*/) {
    return {};
}
