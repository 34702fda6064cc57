#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The board's end of a pseudo-terminal: the master side, on which the server
// reads what a terminal program writes to the slave and writes what the
// board sends. Settings made on the master are the slave's line settings,
// so the line's speed as the terminal program set it is read here.
//
// The server keeps the slave open itself: the line then never hangs up
// between two terminal programs, its settings stay, and what the board says
// meanwhile waits in the line's input queue (once that is full, the relay
// stops reading the board and flow control holds the chip).
class PseudoTerminal {
  public:
    // The line starts at the rate the monitor signs on at, so a terminal
    // program that sets no rate of its own reads the sign-on.
    static constexpr std::uint32_t startSpeed = 9600;

    // Opens the pair, the line raw at startSpeed; throws std::system_error.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slavePath() const { return path; }
    int masterFd() const { return master; }
    // The line's output speed, standard or not; 0 while the line is hung up
    // (B0).
    std::uint32_t lineSpeed() const;
    // Non-blocking; what the terminal wrote, 0 when nothing waits.
    std::size_t read(std::uint8_t* buffer, std::size_t count);
    // Non-blocking; how many bytes the line took.
    std::size_t write(const std::uint8_t* bytes, std::size_t count);

  private:
    int master = -1;
    int slave = -1;
    std::string path;
};
