#pragma once

#include <QStringList>

class QSettings;
class QWidget;
class QtDialogs;
class RemoteBoardList;
class TForm1;

// What the window remembers between runs: the remote boards the user keeps,
// the chosen board, the two baud boxes, the ROM image file, the disk
// transfers' block sizes and "Use File Size", the spy's options, the page
// shown in each page control, and the folder of each purpose of file dialog.
// Restoring sets the controls as a user's choices would, so their handlers
// run as they would then (choosing the board switches the modes' controls
// on; the spy's options reach the capture) and nothing more: no port is
// opened, no connection made, no mode runs. A value that no longer fits (a
// board not attached, a rate the link cannot run at, a file or folder that
// has gone, a page that is not there) leaves the control as it starts; a
// remote board that no longer reads as one, or whose name another listed
// board has taken, is dropped.
class WindowSettings {
  public:
    static void restore(TForm1& window, QtDialogs& dialogs, RemoteBoardList& remoteBoards,
                        QSettings& settings);
    static void save(const TForm1& window, const QtDialogs& dialogs,
                     const RemoteBoardList& remoteBoards, QSettings& settings);

    // The names of the remote boards restore would bring back, for boards
    // given for one run to keep clear of.
    static QStringList rememberedRemoteBoardNames(QSettings& settings);

    // The place and size of the top-level window, for whoever makes it.
    static void restoreGeometry(QWidget& topLevel, QSettings& settings);
    static void saveGeometry(const QWidget& topLevel, QSettings& settings);
};
