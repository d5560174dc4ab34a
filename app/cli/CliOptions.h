// The console ripper's command line: parsed into one record before anything is opened.
#pragma once

#include "VerifiedRip.h"

#include <optional>
#include <set>
#include <string>

// The look-up options; unset ones take their value from [Lookup] of the settings file.
struct LookupCommandLine {
    bool lookup = false; // --lookup
    bool cover = false;  // --cover
    int release = 1;     // --release N
    std::optional<std::string> name, musicBrainzUrl, gnudbUrl;
};

struct CliOptions {
    std::string image;  // --image
    std::string out;    // --out
    std::string format; // --format, empty for the settings file's
    std::set<int> rows; // --tracks; 0 is the audio before the first track
    bool tracksGiven = false;
    bool listOnly = false;
    bool overwrite = false;
    bool help = false;
    bool version = false;
    int jobs = 1;             // --jobs: tracks encoded at once
    bool secure = false;      // --secure, else Secure in [Drive]
    bool burst = false;       // --verify, else Verify in [Drive]
    bool testAndCopy = false; // --test-and-copy: two whole passes, CRC32s compared
    VerifyOptions verify;
    std::optional<int> offset; // --offset: the drive's read offset in samples
    bool overread = false;     // --overread: ask the drive for the lead-in and lead-out
    std::string offsetTable;   // --offset-table: the AccurateRip drive-offset table
    bool findOffset = false;   // --find-offset (with --accuraterip)
    bool save = false;         // --save: store the offset found as ReadOffset
    LookupCommandLine lookup;
    std::string retag; // --retag LOG: re-tag and rename the files of an earlier rip
};

// The usage text of --help.
extern const char kCliUsage[];

// The default of --jobs: the processor cores, at most 4.
int DefaultJobs();

// Parses argv; false with `error` (one line, without the program's name) for a bad command
// line. `--help` and `--version` set their flag and stop there.
bool ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error);
