// The command line's figures, the program run as a process as a script runs
// it, on the simulated board in a folder of its own: disk put and disk get
// of 4 MiB at 3,000,000 baud against the wire, flash of 64 KiB against the
// wire limit of the boot loader's two rates, the time from the start of a
// process to its first byte on the link and to the monitor's first answer
// printed.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr double WireBitsPerByte = 10.0;
constexpr double LinkRate = 3'000'000.0;
// The flash's wire limit: synchronisation at 115,200 and the image's blocks
// with their headers and answers at 1,000,000 (as the window's benchmark).
constexpr double FlashWireLimitSeconds = 1.687;

struct Run {
    QString output;
    qint64 elapsedMs = 0;
    int status = -1;
};

// Milliseconds from the start of the program with arguments to the first
// byte it writes to a pseudo-terminal given as its port (the run is then
// ended): the part of a script's time the program itself adds before the
// board hears of it. -1 when no byte came within 10 s.
double firstByteMs(const QStringList& arguments) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        return -1;
    }
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    program.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(TARVIK_CONTROL_PROGRAM),
                  arguments + QStringList{"--port", QString::fromLocal8Bit(ptsname(master))});
    double ms = -1;
    pollfd watch{master, POLLIN, 0};
    while (timer.elapsed() < 10'000 && ms < 0) {
        char byte = 0;
        if (poll(&watch, 1, 1) > 0 && read(master, &byte, 1) == 1) {
            ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        }
    }
    program.kill();
    program.waitForFinished();
    close(master);
    return ms;
}

Run run(const QTemporaryDir& dir, const QStringList& arguments) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TARVIK_SIM_DIR"), dir.filePath("board"));
    environment.remove(QStringLiteral("DISPLAY"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(dir.path());
    program.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(TARVIK_CONTROL_PROGRAM), arguments + QStringList{"--port", "sim"});
    program.waitForFinished(-1);
    return {QString::fromUtf8(program.readAllStandardOutput()), timer.elapsed(),
            program.exitCode()};
}

// The seconds of a "N bytes in S s" result line.
double secondsOf(const Run& result) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral(" bytes in ([0-9.]+) s")).match(result.output);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

void copyFigure(const char* what, const Run& result, qint64 bytes) {
    const double wire = static_cast<double>(bytes) * WireBitsPerByte / LinkRate;
    const double seconds = secondsOf(result);
    std::printf(
        "  %-9s %.2f s, wire %.2f s: ratio %.3f (target at least 0.97); process %.2f s, "
        "status %d\n",
        what, seconds, wire, seconds > 0 ? wire / seconds : 0.0,
        static_cast<double>(result.elapsedMs) / 1000.0, result.status);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    constexpr qint64 fileBytes = 4 * 1024 * 1024;
    QByteArray content(fileBytes, '\0');
    for (qint64 i = 0; i < fileBytes; ++i) {
        content[i] = static_cast<char>((i * 37 + i / 256) & 0xFF);
    }
    QFile file(dir.filePath("big.bin"));
    file.open(QIODevice::WriteOnly);
    file.write(content);
    file.close();
    QFile image(dir.filePath("image.rom"));
    image.open(QIODevice::WriteOnly);
    image.write(content.left(65536));
    image.close();

    std::printf(
        "process start to the first byte on the link (a pseudo-terminal as the port): "
        "flash %.1f ms, monitor %.1f ms (after its wait for a sign-on)\n",
        firstByteMs({"flash", dir.filePath("image.rom")}), firstByteMs({"monitor", "FWV"}));
    const Run first = run(dir, {"monitor", "FWV"});
    std::printf("process start to the monitor's answer printed: %.3f s (status %d)\n",
                static_cast<double>(first.elapsedMs) / 1000.0, first.status);
    std::printf("disk copies of %lld bytes at 3,000,000 baud from the command line:\n", fileBytes);
    copyFigure("disk put", run(dir, {"disk", "put", "big.bin", "--baud", "3000000"}), fileBytes);
    copyFigure("disk get", run(dir, {"disk", "get", "BIG.BIN", "back.bin", "--baud", "3000000"}),
               fileBytes);
    const Run flash = run(dir, {"flash", "image.rom"});
    std::printf(
        "flash 64 KiB: %.3f s, wire limit %.3f s, ratio %.3f (target at most 1.06); "
        "process %.3f s, status %d\n",
        secondsOf(flash), FlashWireLimitSeconds, secondsOf(flash) / FlashWireLimitSeconds,
        static_cast<double>(flash.elapsedMs) / 1000.0, flash.status);
    return 0;
}
