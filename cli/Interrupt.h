#pragma once

// Ctrl-C as a request to end a job cleanly (keep what arrived, close the
// link) rather than to kill the process.
void CatchInterrupt();
bool InterruptRequested();
