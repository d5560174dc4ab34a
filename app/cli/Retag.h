// --retag LOG: the files of an earlier rip, found through its log, looked up, renamed by the
// name template and tagged; the CUE sheet and the log follow the new names. A file that is
// missing or no longer matches the log's checksum is left as it is.
#pragma once

#include <cstdio>

struct CliOptions;

// The exit status: 0 when every logged file was renamed and tagged, 1 when a file was left as
// it was or the disc was not found (nothing renamed), 2 for a log that cannot be used.
int RunRetag(const CliOptions& options, std::FILE* out, std::FILE* err);
