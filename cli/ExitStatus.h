#pragma once

// The command line's exit statuses, as its --help lists them.
enum ExitStatus : int {
    Succeeded = 0,
    // The board or the job failed: the ERROR line on standard error says how.
    JobFailed = 1,
    // The command line itself is wrong: unknown command or option, a missing
    // or extra argument.
    UsageError = 2,
    // The port named (or the one board expected) cannot be found or opened.
    PortUnavailable = 3,
};
