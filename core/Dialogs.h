#pragma once

#include <QString>

// Every modal message and file dialog of the program goes through this one
// interface, owned by the window. The program uses message boxes and file
// dialogs; tests install a scripted one that records texts and answers paths.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    virtual void showError(const QString& text) = 0;
    virtual void showInformation(const QString& text) = 0;
    // Filters are in the window's own form, "*.ROM|*.ROM|Any File (*.*)|*.*"
    // (pairs of description and pattern); an empty result means cancelled.
    virtual QString openFileName(const QString& filter) = 0;
    virtual QString saveFileName(const QString& filter) = 0;
};
