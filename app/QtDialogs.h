#pragma once

#include <QMap>
#include <QPointer>
#include <QWidget>
#include <utility>

#include "Dialogs.h"

// The program's dialogs: message boxes titled with the window's caption and
// the toolkit's file dialogs. The window is attached once it exists, since
// the window itself needs the dialogs to be built.
class QtDialogs : public Dialogs {
  public:
    // The folder in which each purpose of file dialog last had a file chosen,
    // by purpose ("open " or "save " followed by the dialog's filter); its
    // next dialog starts there.
    using Folders = QMap<QString, QString>;

    void attachWindow(QWidget* window) { this->window = window; }

    void showError(const QString& text) override;
    void showInformation(const QString& text) override;
    QString openFileName(const QString& filter) override;
    QString saveFileName(const QString& filter) override;

    const Folders& lastFolders() const { return folders; }
    void setLastFolders(Folders folders) { this->folders = std::move(folders); }

  private:
    QString title() const;
    QString rememberFolder(const QString& purpose, const QString& chosen);

    QPointer<QWidget> window;
    Folders folders;
};
