#include "QtDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "FileFilter.h"

QString QtDialogs::title() const {
    return window ? window->windowTitle() : QString();
}

void QtDialogs::showError(const QString& text) {
    QMessageBox::critical(window, title(), text, QMessageBox::Ok);
}

void QtDialogs::showInformation(const QString& text) {
    QMessageBox::information(window, title(), text, QMessageBox::Ok);
}

QString QtDialogs::openFileName(const QString& filter) {
    const QString purpose = QStringLiteral("open ") + filter;
    return rememberFolder(purpose,
                          QFileDialog::getOpenFileName(window, QString(), folders.value(purpose),
                                                       ToDialogFilter(filter)));
}

QString QtDialogs::saveFileName(const QString& filter) {
    const QString purpose = QStringLiteral("save ") + filter;
    return rememberFolder(purpose,
                          QFileDialog::getSaveFileName(window, QString(), folders.value(purpose),
                                                       ToDialogFilter(filter)));
}

// A cancelled dialog leaves the folder as it was.
QString QtDialogs::rememberFolder(const QString& purpose, const QString& chosen) {
    if (!chosen.isEmpty()) {
        folders.insert(purpose, QFileInfo(chosen).absolutePath());
    }
    return chosen;
}
