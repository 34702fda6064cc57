#pragma once

#include "StopToken.h"

// The program-wide flags that keep the three modes apart. A mode's flag is set
// while its loop runs; the mode's stop token ends that loop at its next check.
struct ModeFlags {
    bool ProgrammingBusy = false;
    bool TerminalOpen = false;
    bool SpyOpen = false;
    StopToken TerminalStop;
    StopToken SpyStop;
    // The window is closing during a programming run: it stops before the
    // next block.
    StopToken ProgrammingStop;
    // A disk transfer or slave file operation is running inside the
    // terminal's loop: typed keys are not sent meanwhile, except during a
    // slave receive, which writes nothing to the chip.
    bool TransferBusy = false;
};
