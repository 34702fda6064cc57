#include "WindowSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <cstdint>
#include <limits>
#include <optional>

#include "BaudDivisor.h"
#include "BridgeBaudRate.h"
#include "Form1Ui.h"
#include "QtDialogs.h"
#include "RemoteBoardList.h"
#include "TForm1.h"
#include "TransferChannel.h"

namespace {

const char* const RemoteBoards = "remote/boards";
const char* const Board = "window/board";
const char* const TerminalBaudRate = "window/terminalBaudRate";
const char* const SpyBaudRate = "window/spyBaudRate";
const char* const RomImage = "window/romImage";
const char* const WriteBlockSize = "window/writeBlockSize";
const char* const WriteWholeFile = "window/writeWholeFile";
const char* const ReadBlockSize = "window/readBlockSize";
const char* const ReadWholeFile = "window/readWholeFile";
const char* const SpyShowTime = "window/spyShowTime";
const char* const SpyTrackCommands = "window/spyTrackCommands";
const char* const SpyExtendedCommandSet = "window/spyExtendedCommandSet";
const char* const SpyHexNumberInput = "window/spyHexNumberInput";
const char* const ModePage = "window/modePage";
const char* const TerminalSidePage = "window/terminalSidePage";
const char* const Geometry = "window/geometry";
const char* const FileDialogs = "fileDialogs";
const char* const Purpose = "purpose";
const char* const Folder = "folder";

using Accepts = bool (*)(const QString& text);

bool terminalRunsAt(const QString& text) {
    const std::optional<std::uint32_t> rate = BaudRateFromText(text);
    return rate && BaudDivisorBytes(*rate);
}

bool spyListensAt(const QString& text) {
    const std::optional<std::uint32_t> rate = BaudRateFromText(text);
    return rate && *rate >= LowestBridgeBaud && *rate <= HighestBridgeBaud;
}

bool isBlockSize(const QString& text, qulonglong largest) {
    bool isNumber = false;
    const qulonglong size = text.trimmed().toULongLong(&isNumber, 10);
    return isNumber && size >= 1 && size <= largest;
}

bool isWriteBlockSize(const QString& text) {
    return isBlockSize(text, TransferChannel::TransferBufferSize);
}

bool isReadBlockSize(const QString& text) {
    return isBlockSize(text, std::numeric_limits<std::uint32_t>::max());
}

bool isFile(const QString& path) {
    return QFileInfo(path).isFile();
}

// Each remembered board that still reads as one, under a name no board listed
// otherwise has taken since. Listed only: no connection is made.
void restoreRemoteBoards(RemoteBoardList& remoteBoards, const QVariant& stored) {
    QStringList names = remoteBoards.takenNames();
    std::vector<RemoteBoard> kept;
    for (const QString& text : stored.toStringList()) {
        const RemoteBoardsParse parsed = ParseRemoteBoards({text}, names);
        if (parsed.problem.isEmpty()) {
            names.append(parsed.boards.front().name);
            kept.push_back(parsed.boards.front());
        }
    }
    remoteBoards.setKept(std::move(kept));
}

// As a user chooses a board: the drop-down fills the list, and choosing an
// entry applies the port chooser's group rule.
void restoreBoard(TForm1& window, const QVariant& stored) {
    const QString board = stored.toString();
    if (board.isEmpty()) {
        return;
    }
    window.ComboBox1DropDown();
    QComboBox& chooser = *window.form().ComboBox1;
    const int index = chooser.findText(board);
    if (index >= 0) {
        chooser.setCurrentIndex(index);
    }
}

// The box's own entry, or a typed rate its mode can run at.
void restoreBaudRate(QComboBox& box, const QVariant& stored, Accepts runsAt) {
    if (!stored.isValid()) {
        return;
    }
    const QString text = stored.toString();
    const int index = box.findText(text);
    if (index >= 0) {
        box.setCurrentIndex(index);
    } else if (box.isEditable() && runsAt(text)) {
        box.setEditText(text);
    }
}

void restoreText(QLineEdit& edit, const QVariant& stored, Accepts fits) {
    if (stored.isValid() && fits(stored.toString())) {
        edit.setText(stored.toString());
    }
}

void restoreCheck(QAbstractButton& box, const QVariant& stored) {
    if (stored.isValid()) {
        box.setChecked(stored.toBool());
    }
}

// Checking one of a pair unchecks the other.
void restoreChoice(QRadioButton& whenTrue, QRadioButton& whenFalse, const QVariant& stored) {
    if (stored.isValid()) {
        (stored.toBool() ? whenTrue : whenFalse).setChecked(true);
    }
}

void restorePage(QTabWidget& pages, const QVariant& stored) {
    bool isNumber = false;
    const int index = stored.toInt(&isNumber);
    if (isNumber && index >= 0 && index < pages.count()) {
        pages.setCurrentIndex(index);
    }
}

void restoreFolders(QtDialogs& dialogs, QSettings& settings) {
    QtDialogs::Folders folders = dialogs.lastFolders();
    const int count = settings.beginReadArray(QLatin1String(FileDialogs));
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        const QString folder = settings.value(QLatin1String(Folder)).toString();
        if (QFileInfo(folder).isDir()) {
            folders.insert(settings.value(QLatin1String(Purpose)).toString(), folder);
        }
    }
    settings.endArray();
    dialogs.setLastFolders(std::move(folders));
}

void saveFolders(const QtDialogs& dialogs, QSettings& settings) {
    settings.remove(QLatin1String(FileDialogs));
    settings.beginWriteArray(QLatin1String(FileDialogs));
    int i = 0;
    for (auto folder = dialogs.lastFolders().cbegin(); folder != dialogs.lastFolders().cend();
         ++folder) {
        settings.setArrayIndex(i++);
        settings.setValue(QLatin1String(Purpose), folder.key());
        settings.setValue(QLatin1String(Folder), folder.value());
    }
    settings.endArray();
}

}  // namespace

void WindowSettings::restore(TForm1& window, QtDialogs& dialogs, RemoteBoardList& remoteBoards,
                             QSettings& settings) {
    const auto stored = [&settings](const char* key) { return settings.value(QLatin1String(key)); };
    Ui::Form1& f = window.form();
    // First: the remembered board may be one of them.
    restoreRemoteBoards(remoteBoards, stored(RemoteBoards));
    restoreBoard(window, stored(Board));
    restoreBaudRate(*f.ComboBox2, stored(TerminalBaudRate), terminalRunsAt);
    restoreBaudRate(*f.ComboBox3, stored(SpyBaudRate), spyListensAt);
    restoreText(*f.Edit1, stored(RomImage), isFile);
    restoreText(*f.Edit2, stored(WriteBlockSize), isWriteBlockSize);
    restoreCheck(*f.CheckBox1, stored(WriteWholeFile));
    restoreText(*f.Edit3, stored(ReadBlockSize), isReadBlockSize);
    restoreCheck(*f.CheckBox2, stored(ReadWholeFile));
    restoreCheck(*f.CheckBox3, stored(SpyShowTime));
    restoreCheck(*f.CheckBox4, stored(SpyTrackCommands));
    restoreChoice(*f.RadioButton8, *f.RadioButton9, stored(SpyExtendedCommandSet));
    restoreChoice(*f.RadioButton10, *f.RadioButton11, stored(SpyHexNumberInput));
    // Last: showing a page reads the options above.
    restorePage(*f.PageControl2, stored(TerminalSidePage));
    restorePage(*f.PageControl1, stored(ModePage));
    restoreFolders(dialogs, settings);
}

void WindowSettings::save(const TForm1& window, const QtDialogs& dialogs,
                          const RemoteBoardList& remoteBoards, QSettings& settings) {
    const auto store = [&settings](const char* key, const QVariant& value) {
        settings.setValue(QLatin1String(key), value);
    };
    const Ui::Form1& f = window.form();
    store(RemoteBoards, RemoteBoardTexts(remoteBoards.kept()));
    store(Board, f.ComboBox1->currentText());
    store(TerminalBaudRate, f.ComboBox2->currentText());
    store(SpyBaudRate, f.ComboBox3->currentText());
    store(RomImage, f.Edit1->text());
    store(WriteBlockSize, f.Edit2->text());
    store(WriteWholeFile, f.CheckBox1->isChecked());
    store(ReadBlockSize, f.Edit3->text());
    store(ReadWholeFile, f.CheckBox2->isChecked());
    store(SpyShowTime, f.CheckBox3->isChecked());
    store(SpyTrackCommands, f.CheckBox4->isChecked());
    store(SpyExtendedCommandSet, f.RadioButton8->isChecked());
    store(SpyHexNumberInput, f.RadioButton10->isChecked());
    store(TerminalSidePage, f.PageControl2->currentIndex());
    store(ModePage, f.PageControl1->currentIndex());
    saveFolders(dialogs, settings);
}

QStringList WindowSettings::rememberedRemoteBoardNames(QSettings& settings) {
    QStringList names;
    for (const QString& text : settings.value(QLatin1String(RemoteBoards)).toStringList()) {
        const RemoteBoardParse parsed = ParseRemoteBoard(text);
        if (parsed.board) {
            names.append(parsed.board->name);
        }
    }
    return names;
}

void WindowSettings::restoreGeometry(QWidget& topLevel, QSettings& settings) {
    const QByteArray geometry = settings.value(QLatin1String(Geometry)).toByteArray();
    if (!geometry.isEmpty()) {
        topLevel.restoreGeometry(geometry);
    }
}

void WindowSettings::saveGeometry(const QWidget& topLevel, QSettings& settings) {
    settings.setValue(QLatin1String(Geometry), topLevel.saveGeometry());
}
