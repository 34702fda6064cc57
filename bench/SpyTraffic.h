#pragma once

#include <cstdint>

#include "SimChannel.h"
#include "SpyStep.h"

class SpyBoard;
namespace Ui {
class Form1;
}

// What the spy benchmarks have the spy board's host play: the link moved to
// 3,000,000 baud, then both directions streaming at once.
constexpr std::uint32_t SpyTrafficBaud = 3'000'000;

// The host moves the link to SpyTrafficBaud with the extended set's SBD at
// the starting rate, the chip answers with its prompt before the change, and
// after a moment at the new rate both directions stream for the given time.
// The streaming is the script's last step: a board told to repeat from it
// streams on without end after the one rate change.
SpyScript spyTrafficScript(double streamSeconds);

// The Spy Mode page as the benchmarks listen: "Track Commands" and "Show
// Time" checked.
void showSpyPage(Ui::Form1& form);

// One direction's line of figures: what the link carried towards the
// channel, what the program read from it, and the overruns.
void printSpyDirection(const char* name, const SpyBoard& board, ChannelId id);
