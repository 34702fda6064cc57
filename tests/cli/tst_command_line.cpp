// The program run as a process with a command, as a script runs it: no
// display at all, so touching the window system would fail the run.
#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

#include "TestFiles.h"

class CommandLineTest : public QObject {
    Q_OBJECT

  private slots:
    void commands_data();
    void commands();
    void progressLineOnATerminal();
};

void CommandLineTest::commands_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");      // in standard output
    QTest::addColumn<QString>("message");     // a line on standard error
    QTest::addColumn<QStringList>("before");  // a command run first, on the same board
    QTest::addColumn<int>("silentAfter");     // the board stops answering after these bytes
    const QStringList onSim{"--port", "sim"};
    QTest::newRow("help") << QStringList{"--help"} << 0 << "3  the port cannot be found"
                          << "" << QStringList() << 0;
    QTest::newRow("version") << QStringList{"-v"} << 0 << "tarvik-control 0.97"
                             << "" << QStringList() << 0;
    QTest::newRow("list") << QStringList{"list"} << 0
                          << "sim\tsimulated board \"Tarvik Eval Board\"\n"
                          << "" << QStringList() << 0;
    QTest::newRow("list as JSON") << QStringList{"list", "--json"} << 0 << "\"port\":\"sim-spy\""
                                  << "" << QStringList() << 0;
    QTest::newRow("flash") << QStringList{"flash", "image.rom"} + onSim << 0 << ""
                           << "Complete" << QStringList() << 0;
    QTest::newRow("image over 64 KiB")
        << QStringList{"flash", "large.rom"} + onSim << 1 << ""
        << "ERROR : Source File is larger than the 65536 bytes of Tarvik's flash, nothing was sent"
        << QStringList() << 0;
    QTest::newRow("missing image")
        << QStringList{"flash", "none.rom"} + onSim << 1 << ""
        << "ERROR : cannot read Source File none.rom" << QStringList() << 0;
    QTest::newRow("monitor") << QStringList{"monitor", "FWV"} + onSim << 0 << "Tarvik Monitor 1.0\n"
                             << "Opened OK" << QStringList() << 0;
    QTest::newRow("monitor's failure answer")
        << QStringList{"monitor", "FWV", "XYZ", "FWV"} + onSim << 1 << "Tarvik Monitor 1.0\n"
        << "ERROR : Tarvik answered \"Bad Command\" to XYZ" << QStringList() << 0;
    QTest::newRow("disk ls") << QStringList{"disk", "ls"} + onSim << 0 << "DOCS/\nBIG.BIN\n"
                             << "Opened OK" << QStringList() << 0;
    QTest::newRow("disk put at 3,000,000 baud")
        << QStringList{"disk", "put", "image.rom", "--baud", "3000000", "--block", "1000"} + onSim
        << 0 << ""
        << "Opened OK" << QStringList() << 0;
    // Each row's get writes back-NAME, which must hold what NAME held.
    for (const char* name : {"image.rom", "empty.bin", "one.bin", "mib.bin"}) {
        const QString local = QString::fromLatin1(name);
        QTest::addRow("disk get of what a put left: %s", name)
            << QStringList{"disk", "get", local.toUpper(), "back-" + local, "--baud", "3000000"} +
                   onSim
            << 0 << ""
            << "Opened OK" << QStringList{"disk", "put", local, "--baud", "3000000"} + onSim << 0;
    }
    // The monitor left at 9600 by the put: the get opens at that rate.
    QTest::newRow("disk get through a pseudo-terminal")
        << QStringList{"disk",   "get",  "IMAGE.ROM", "back-image.rom",
                       "--port", "@pty", "--baud",    "3000000"}
        << 0 << ""
        << "Opened OK"
        << QStringList{"disk", "put", "image.rom", "--port", "@pty", "--baud", "3000000"} << 0;
    QTest::newRow("disk get of a missing file")
        << QStringList{"disk", "get", "NONE.TXT", "got.txt"} + onSim << 1 << ""
        << "ERROR : Tarvik answered \"Command Failed\" to DIR NONE.TXT: nothing was saved to "
           "got.txt"
        << QStringList() << 0;
    QTest::newRow("send") << QStringList{"send", "image.rom", "--baud", "3000000"} + onSim << 0
                          << " bytes/s\n"
                          << "Opened OK" << QStringList() << 0;
    QTest::newRow("capture until the link is quiet")
        << QStringList{"capture", "got.bin", "--quiet-seconds", "0.3"} + onSim << 0 << ""
        << "Device Tarvik Eval Board Closed" << QStringList() << 0;
    QTest::newRow("spy as CSV") << QStringList{"spy", "--port",   "sim-spy", "--seconds",
                                               "1",   "--format", "csv"}
                                << 0 << ",command,44 49 52 0D,\"DIR\r\"\n"
                                << "Opened OK" << QStringList() << 0;
    QTest::newRow("a board that stops answering")
        << QStringList{"disk", "put", "large.rom", "--baud", "3000000"} + onSim << 1 << ""
        << "ERROR : no answer from Tarvik to WRF: large.rom on Tarvik's disk may be incomplete"
        << QStringList() << 2000;
    QTest::newRow("unknown port")
        << QStringList{"flash", "image.rom", "--port", "nope"} << 3 << ""
        << "ERROR : no board or port \"nope\": `tarvik-control list` shows the names --port takes"
        << QStringList() << 0;
    QTest::newRow("board in a rack listed")
        << QStringList{"list", "--remote", "rack=127.0.0.1:7000,[::1]:7001"} << 0
        << "rack\tboard in a rack at 127.0.0.1:7000,[::1]:7001\n"
        << "" << QStringList() << 0;
    // Nothing listens on port 1 of the loopback address.
    QTest::newRow("board in a rack refusing")
        << QStringList{"monitor", "FWV", "--remote", "rack=127.0.0.1:1", "--port", "rack"} << 3
        << ""
        << "ERROR : failed to open rack A: 127.0.0.1:1 refused the connection" << QStringList()
        << 0;
    QTest::newRow("board in a rack without a port")
        << QStringList{"list", "--remote", "rack=rack-pc"} << 2 << ""
        << "ERROR : --remote: board rack: \"rack-pc\" is not HOST:PORT" << QStringList() << 0;
    QTest::newRow("unknown option")
        << QStringList{"list", "--fast"} << 2 << ""
        << "Run tarvik-control --help for the commands and options." << QStringList() << 0;
    QTest::newRow("missing image argument")
        << QStringList{"flash"} + onSim << 2 << ""
        << "Run tarvik-control --help for the commands and options." << QStringList() << 0;
}

void CommandLineTest::commands() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, message);
    QFETCH(QStringList, before);
    QFETCH(int, silentAfter);
    QTemporaryDir dir;
    // CR and NUL bytes among them.
    QVERIFY(writeFile(dir.filePath("image.rom"), patterned(4097)));
    QVERIFY(writeFile(dir.filePath("large.rom"), patterned(65537)));
    QVERIFY(writeFile(dir.filePath("empty.bin"), QByteArray()));
    QVERIFY(writeFile(dir.filePath("one.bin"), QByteArray(1, '\r')));
    QVERIFY(writeFile(dir.filePath("mib.bin"), patterned(1024 * 1024)));
    // "@pty": the simulated board served on a pseudo-terminal by its own
    // process, the same for both commands, as a real board's port.
    QProcess server;
    const auto stopServer = qScopeGuard([&] {
        server.terminate();
        server.waitForFinished(5000);
    });
    if ((arguments + before).contains(QStringLiteral("@pty"))) {
        server.start(QStringLiteral(TARVIK_SIM_PTY), QStringList());
        QVERIFY(server.waitForReadyRead(5000));
        const QString path = QString::fromLocal8Bit(server.readLine()).trimmed();
        arguments.replaceInStrings(QStringLiteral("@pty"), path);
        before.replaceInStrings(QStringLiteral("@pty"), path);
    }
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("TARVIK_SIM_DIR"), dir.filePath("board"));
    if (silentAfter > 0) {
        environment.insert(QStringLiteral("TARVIK_SIM_SILENT_AFTER"), QString::number(silentAfter));
    }
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(dir.path());
    if (!before.isEmpty()) {
        program.start(QStringLiteral(TARVIK_CONTROL_PROGRAM), before);
        QVERIFY(program.waitForFinished(60'000) && program.exitCode() == 0);
        program.readAll();
    }
    program.start(QStringLiteral(TARVIK_CONTROL_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(60'000));
    const QString errors = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(
        message.isEmpty() ? errors.isEmpty() : errors.split(QLatin1Char('\n')).contains(message),
        qPrintable(errors));
    QVERIFY2(QString::fromUtf8(program.readAllStandardOutput()).contains(output),
             qPrintable(errors));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    for (const QString& back : QDir(dir.path()).entryList({"back-*"})) {
        QCOMPARE(fileBytes(dir.filePath(back)), fileBytes(dir.filePath(back.mid(5))));
    }
}

// Standard error a pseudo-terminal, as in a user's shell: the copy's
// progress line is rewritten in place up to the whole file.
void CommandLineTest::progressLineOnATerminal() {
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("image.rom"), patterned(50'000)));
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TARVIK_SIM_DIR"), dir.filePath("board"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(dir.path());
    program.setStandardErrorFile(QString::fromLocal8Bit(ptsname(master)));
    program.start(QStringLiteral(TARVIK_CONTROL_PROGRAM),
                  {"disk", "put", "image.rom", "--port", "sim", "--baud", "3000000"});
    // Read as it comes: a full terminal would hold the program up.
    QByteArray seen;
    char buffer[4096];
    while (!program.waitForFinished(10)) {
        for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) {
            seen.append(buffer, n);
        }
    }
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) {
        seen.append(buffer, n);
    }
    close(master);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY2(seen.contains("\rcopy: 50000 of 50000 bytes, "), seen.right(300).constData());
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
