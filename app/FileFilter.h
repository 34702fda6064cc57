#pragma once

#include <QString>

// Turns a filter in the window's own form, pairs of description and pattern
// separated by '|' ("*.ROM|*.ROM|Any File (*.*)|*.*"), into the form of the
// file dialogs ("*.ROM (*.ROM);;Any File (*.*)").
QString ToDialogFilter(const QString& filter);
