#include "PtyRelay.h"

#include <poll.h>

#include <cstdio>

PtyRelay::PtyRelay(PseudoTerminal& line, CabledBoard& board) : line(line), board(board) {
    toTerminal.reserve(BoardChunk);
}

void PtyRelay::serve(const volatile std::sig_atomic_t& stop) {
    while (!stop) {
        followLine();
        bool moved = terminalToBoard();
        moved = boardToTerminal() || moved;
        board.stepStream();
        const bool lineFull = toTerminalAt < toTerminal.size();
        wait(moved || (!lineFull && board.wireBusy()));
    }
}

void PtyRelay::followLine() {
    const std::uint32_t speed = line.lineSpeed();
    if (board.followLine(speed) == CabledBoard::RateChange::Refused) {
        std::fprintf(stderr,
                     "tarvik-sim-pty: the bridge cannot run at %u baud; channel A stays at %u\n",
                     speed, board.channelRate());
    }
}

bool PtyRelay::terminalToBoard() {
    bool moved = false;
    std::uint8_t piece[TerminalPiece];
    while (board.roomFor(TerminalPiece)) {
        const std::size_t n = line.read(piece, sizeof piece);
        if (n == 0) {
            break;
        }
        board.send(piece, static_cast<std::uint32_t>(n));
        moved = true;
    }
    return moved;
}

bool PtyRelay::boardToTerminal() {
    bool moved = flushToTerminal();
    while (toTerminalAt == toTerminal.size()) {
        toTerminal.resize(BoardChunk);
        const std::uint32_t n = board.takeReceived(toTerminal.data(), BoardChunk);
        toTerminal.resize(n);
        toTerminalAt = 0;
        if (n == 0) {
            break;
        }
        moved = flushToTerminal() || moved;
    }
    return moved;
}

bool PtyRelay::flushToTerminal() {
    if (toTerminalAt == toTerminal.size()) {
        return false;
    }
    const std::size_t n =
        line.write(toTerminal.data() + toTerminalAt, toTerminal.size() - toTerminalAt);
    toTerminalAt += n;
    return n > 0;
}

void PtyRelay::wait(bool busy) {
    pollfd master{line.masterFd(), 0, 0};
    if (board.roomFor(TerminalPiece)) {
        master.events |= POLLIN;
    }
    if (toTerminalAt < toTerminal.size()) {
        master.events |= POLLOUT;
    }
    const std::int64_t ns = busy ? BusyWaitNs : LineCheckNs;
    const timespec timeout{static_cast<time_t>(ns / 1'000'000'000),
                           static_cast<long>(ns % 1'000'000'000)};
    ppoll(&master, 1, &timeout, nullptr);
}
