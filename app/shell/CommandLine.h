// The window program's own command-line options, answered before Qt starts (so they work
// without a display).
#pragma once

#include <cstdio>

// Answers --help and --version on `out` and gives the exit status; -1 when neither is asked
// for and the program is to start (every other argument is left to Qt, as before).
int AnswerCommandLine(int argc, char** argv, std::FILE* out);
