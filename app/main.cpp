#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>
#include <memory>

#include "BoardStore.h"
#include "CommandLine.h"

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

// Device paths the system does not list as serial ports, such as a
// pseudo-terminal, for the port chooser. (--help is the command line's: it
// needs no display.)
QStringList extraSerialPorts(const QApplication& application) {
    QCommandLineParser parser;
    const QCommandLineOption serialPort(
        QStringLiteral("serial-port"),
        QStringLiteral("Also list the serial device at PATH (repeatable)."),
        QStringLiteral("PATH"));
    parser.addOption(serialPort);
    parser.process(application);
    return parser.values(serialPort);
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
    const QStringList extraPaths = extraSerialPorts(application);
    SystemClock clock;
    DriverContext drivers;
    drivers.registry().install(std::make_shared<SimBackend>(clock, BoardStore::standardFolder()));
    drivers.registry().install(std::make_shared<SerialBackend>(extraPaths));
    auto remoteBackend = std::make_shared<RemoteBackend>();
    drivers.registry().install(remoteBackend);
    RemoteBoardList remoteBoards(remoteBackend);
    QtDialogs dialogs;
    TForm1 window(clock, dialogs);
    MainWindow mainWindow(window, dialogs, clock, remoteBoards);
    dialogs.attachWindow(&mainWindow);
    QSettings settings;
    WindowSettings::restore(window, dialogs, remoteBoards, settings);
    WindowSettings::restoreGeometry(mainWindow, settings);
    mainWindow.show();
    const int status = QApplication::exec();
    WindowSettings::saveGeometry(mainWindow, settings);
    WindowSettings::save(window, dialogs, remoteBoards, settings);
    return status;
}
