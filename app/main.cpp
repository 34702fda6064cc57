#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>
#include <memory>

#include "BoardStore.h"
#include "CommandLine.h"
#include "ConsoleText.h"
#include "ExitStatus.h"

#include "DriverContext.h"
#include "MainWindow.h"
#include "QtDialogs.h"
#include "RemoteBackend.h"
#include "RemoteBoardList.h"
#include "SerialBackend.h"
#include "SimBackend.h"
#include "SystemClock.h"
#include "TForm1.h"
#include "WindowSettings.h"

namespace {

// The window's own options. (--help is the command line's: it needs no
// display.)
struct WindowOptions {
    // Device paths the system does not list as serial ports, such as a
    // pseudo-terminal, for the port chooser.
    QStringList serialPorts;
    // Boards in a rack listed for this run only, as NAME=HOST:PORT_A[,HOST:PORT_B].
    QStringList remoteBoards;
};

WindowOptions windowOptions(const QApplication& application) {
    QCommandLineParser parser;
    const QCommandLineOption serialPort(
        QStringLiteral("serial-port"),
        QStringLiteral("Also list the serial device at PATH (repeatable)."),
        QStringLiteral("PATH"));
    const QCommandLineOption remote(
        QStringLiteral("remote"),
        QStringLiteral("Also list the board in a rack at these RFC 2217 ports, for this run "
                       "(repeatable)."),
        QStringLiteral("NAME=HOST:PORT_A[,HOST:PORT_B]"));
    parser.addOptions({serialPort, remote});
    parser.process(application);
    return {parser.values(serialPort), parser.values(remote)};
}

// Under names of their own among the boards listed so far and the remembered
// remote boards, which are restored with the window; a problem is told as
// the command line tells a wrong option.
bool listForThisRun(RemoteBoardList& remoteBoards, const QStringList& texts,
                    const QStringList& rememberedNames) {
    RemoteBoardsParse parsed =
        ParseRemoteBoards(texts, remoteBoards.takenNames() + rememberedNames);
    if (!parsed.problem.isEmpty()) {
        PrintError(QStringLiteral("ERROR : --remote: ") + parsed.problem);
        PrintError(QStringLiteral("Run tarvik-control --help for the commands and options."));
        return false;
    }
    remoteBoards.setForThisRun(std::move(parsed.boards));
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (IsCommandLineRun(argc, argv)) {
        return RunCommandLine(argc, argv);
    }
    QApplication application(argc, argv);
    // Where the window's settings live (~/.config/tarvik-control/tarvik-control.conf).
    QCoreApplication::setOrganizationName(QStringLiteral("tarvik-control"));
    QCoreApplication::setApplicationName(QStringLiteral("tarvik-control"));
    const WindowOptions options = windowOptions(application);
    SystemClock clock;
    DriverContext drivers;
    drivers.registry().install(std::make_shared<SimBackend>(clock, BoardStore::standardFolder()));
    drivers.registry().install(std::make_shared<SerialBackend>(options.serialPorts));
    auto remoteBackend = std::make_shared<RemoteBackend>();
    drivers.registry().install(remoteBackend);
    RemoteBoardList remoteBoards(remoteBackend);
    QSettings settings;
    if (!listForThisRun(remoteBoards, options.remoteBoards,
                        WindowSettings::rememberedRemoteBoardNames(settings))) {
        return UsageError;
    }
    QtDialogs dialogs;
    TForm1 window(clock, dialogs);
    MainWindow mainWindow(window, dialogs, clock, remoteBoards);
    dialogs.attachWindow(&mainWindow);
    WindowSettings::restore(window, dialogs, remoteBoards, settings);
    WindowSettings::restoreGeometry(mainWindow, settings);
    mainWindow.show();
    const int status = QApplication::exec();
    WindowSettings::saveGeometry(mainWindow, settings);
    WindowSettings::save(window, dialogs, remoteBoards, settings);
    return status;
}
