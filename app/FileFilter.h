#pragma once

#include <QString>

// Turns a filter in the window's own form, pairs of description and pattern
// separated by '|' ("*.ROM|*.ROM|Any File (*.*)|*.*"), into the form of the
// file dialogs ("*.ROM (*.ROM);;Any File (*.*)").
QString ToDialogFilter(const QString& filter);

// The extension a name typed without one takes under a file dialog's filter
// entry ("CSV (*.csv)" gives "csv"); empty when the entry is not one
// pattern of one extension.
QString DialogFilterSuffix(const QString& entry);
