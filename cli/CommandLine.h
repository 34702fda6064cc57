#pragma once

// The program's command line: a job run without the window (list the
// boards, flash an image), or --help and --version, none of which touches
// the window system.
//
// True when the arguments ask for one of these rather than the window.
bool IsCommandLineRun(int argc, char* argv[]);
// Runs it under a core application; the process's exit status.
int RunCommandLine(int argc, char* argv[]);
