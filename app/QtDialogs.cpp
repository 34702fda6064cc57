#include "QtDialogs.h"

#include <QFileDialog>
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
    return QFileDialog::getOpenFileName(window, QString(), QString(), ToDialogFilter(filter));
}

QString QtDialogs::saveFileName(const QString& filter) {
    return QFileDialog::getSaveFileName(window, QString(), QString(), ToDialogFilter(filter));
}
