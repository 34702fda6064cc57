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

// A name typed without an extension takes the chosen filter's, before the
// dialog asks whether to replace a file of the name.
QString QtDialogs::saveFileName(const QString& filter) {
    const QString purpose = QStringLiteral("save ") + filter;
    QFileDialog dialog(window, QString(), folders.value(purpose), ToDialogFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const auto followFilter = [&dialog](const QString& entry) {
        dialog.setDefaultSuffix(DialogFilterSuffix(entry));
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    followFilter(dialog.selectedNameFilter());
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return rememberFolder(purpose, dialog.selectedFiles().value(0));
}

// A cancelled dialog leaves the folder as it was.
QString QtDialogs::rememberFolder(const QString& purpose, const QString& chosen) {
    if (!chosen.isEmpty()) {
        folders.insert(purpose, QFileInfo(chosen).absolutePath());
    }
    return chosen;
}
