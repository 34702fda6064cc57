// A board in a rack against the same board on a local port: a disk get of
// the simulated disk's 4 MiB BIG.BIN at 3,000,000 baud by the command line,
// once through the pseudo-terminal the simulated board is served on, once
// through ser2net serving that pseudo-terminal on an RFC 2217 port of the
// loopback address. Printed: the copy's time against the wire's, and the
// processor share of the program and of ser2net over the copy.
#include <sys/resource.h>

#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

#include "Ser2NetServer.h"

namespace {

constexpr double WireSeconds = 4.0 * 1024 * 1024 * 10 / 3'000'000;

double childrenProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// User and system time of a running process, from /proc.
double processorSecondsOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) /
           double(sysconf(_SC_CLK_TCK));
}

void measure(const char* route, const QStringList& portArguments, qint64 serverPid,
             const QTemporaryDir& dir) {
    const double programBefore = childrenProcessorSeconds();
    const double serverBefore = processorSecondsOf(serverPid);
    QProcess program;
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(TARVIK_CONTROL_PROGRAM),
                  QStringList{"disk", "get", "BIG.BIN", dir.filePath("back.bin"), "--baud",
                              "3000000", "--quiet"} +
                      portArguments);
    program.waitForFinished(-1);
    const double elapsed = double(timer.elapsed()) / 1000.0;
    const QString output = QString::fromUtf8(program.readAllStandardOutput());
    const QRegularExpressionMatch copy =
        QRegularExpression(QStringLiteral(" bytes in ([0-9.]+) s")).match(output);
    const double seconds = copy.hasMatch() ? copy.captured(1).toDouble() : 0.0;
    std::printf(
        "  %-16s copy %.2f s, wire %.2f s: ratio %.3f; process %.2f s, status %d; "
        "processor: program %.1f %%",
        route, seconds, WireSeconds, seconds > 0 ? WireSeconds / seconds : 0.0, elapsed,
        program.exitCode(), 100.0 * (childrenProcessorSeconds() - programBefore) / elapsed);
    if (serverPid > 0) {
        std::printf(", ser2net %.1f %%",
                    100.0 * (processorSecondsOf(serverPid) - serverBefore) / elapsed);
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    QProcess board;
    board.start(QStringLiteral(TARVIK_SIM_PTY), QStringList());
    if (!board.waitForReadyRead(10'000)) {
        std::printf("the simulated board's pseudo-terminal did not start\n");
        return 1;
    }
    const QString pty = QString::fromLocal8Bit(board.readLine()).trimmed();
    Ser2NetServer rack;
    if (!rack.start(pty)) {
        std::printf("%s\n", qPrintable(rack.problem));
        return 1;
    }
    std::printf("disk get of BIG.BIN (4 MiB) at 3,000,000 baud, the program run as a process:\n");
    measure("pseudo-terminal", {"--port", pty}, 0, dir);
    measure("ser2net RFC 2217",
            {"--remote", rack.remoteText(QStringLiteral("rack")), "--port", "rack"},
            rack.processId(), dir);
    rack.stop();
    board.kill();
    board.waitForFinished();
    return 0;
}
