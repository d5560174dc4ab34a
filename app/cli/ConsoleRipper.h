// The console ripper: the program's start-up and rip pipeline without a window.
#pragma once

// Parses the command line, runs and returns the exit status.
int RunConsoleRipper(int argc, char** argv);
