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

// A name typed without an extension takes the chosen filter's, before the
// dialog asks whether to replace a file of the name.
QString QtDialogs::saveFileName(const QString& filter) {
    QFileDialog dialog(window, QString(), QString(), ToDialogFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const auto followFilter = [&dialog](const QString& entry) {
        dialog.setDefaultSuffix(DialogFilterSuffix(entry));
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    followFilter(dialog.selectedNameFilter());
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}
