// The console ripper's command line: parsed into one record before anything is opened.
#pragma once

#include "VerifiedRip.h"

#include <set>
#include <string>

struct CliOptions {
    std::string image;  // --image
    std::string out;    // --out
    std::string format; // --format, empty for the settings file's
    std::set<int> rows; // --tracks, empty for every audio track
    bool listOnly = false;
    bool overwrite = false;
    bool help = false;
    int jobs = 1;        // --jobs: tracks encoded at once
    bool secure = false; // --secure, else Secure in [Drive]
    bool burst = false;  // --verify, else Verify in [Drive]
    VerifyOptions verify;
};

// The usage text of --help.
extern const char kCliUsage[];

// The default of --jobs: the processor cores, at most 4.
int DefaultJobs();

// Parses argv; false with `error` (one line, without the program's name) for a bad command
// line. `--help` sets help and stops there.
bool ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error);
