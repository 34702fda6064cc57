#pragma once

#include <csignal>
#include <cstdint>
#include <vector>

#include "CabledBoard.h"
#include "PseudoTerminal.h"

// Carries bytes between the pseudo-terminal and the board's channel A, with
// the board's wire setting the pace: what the terminal program writes goes
// into the bridge's transmit buffer as it has room, what the chip sends is
// passed on as soon as the bridge has handed it over.
//
// Waiting: one thread, the board advancing at every driver call. Between
// passes the relay sleeps in ppoll() on the master:
// - for the terminal's bytes (POLLIN) only while the bridge has room for
//   them, so unread input never wakes it in a loop;
// - for room on the line (POLLOUT) while the board's bytes wait for it;
// - for at most BusyWaitNs while the wire is busy or the last pass moved
//   bytes: the board has no event of its own to wake the relay, so it is
//   looked at that often, and each look carries everything that crossed
//   meanwhile;
// - for at most LineCheckNs when nothing moves: the line's rate has no
//   event either, and this is how soon a rate set with nothing written
//   (the start of a stream) is seen. Bytes from the terminal always find
//   the line's latest rate applied first.
class PtyRelay {
  public:
    // 2 ms at 3,000,000 baud is 600 bytes a look, far below the line's and
    // the bridge's queues, and well below what a user notices.
    static constexpr std::int64_t BusyWaitNs = 2'000'000;
    static constexpr std::int64_t LineCheckNs = 50'000'000;

    PtyRelay(PseudoTerminal& line, CabledBoard& board);

    // Serves until stop is set (by a signal handler).
    void serve(const volatile std::sig_atomic_t& stop);

  private:
    static constexpr std::uint32_t TerminalPiece = 256;
    static constexpr std::uint32_t BoardChunk = 64 * 1024;

    void followLine();
    bool terminalToBoard();
    bool boardToTerminal();
    bool flushToTerminal();
    void wait(bool busy);

    PseudoTerminal& line;
    CabledBoard& board;
    // Bytes from the board that the line had no room for yet.
    std::vector<std::uint8_t> toTerminal;
    std::size_t toTerminalAt = 0;
};
