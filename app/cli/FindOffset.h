// --find-offset: one short read around frame 450 of each track long enough, and the offsets at
// which they give the AccurateRip response's frame-450 checksums.
#pragma once

#include "CliOptions.h"

#include "Veltrarip32.h"

#include <cstdio>

struct CurrentSettings;

// Prints every candidate; with --save stores ReadOffset (and makes it current) when exactly one
// was found. The exit status: 0 for exactly one, 1 for none or several, 2 for a response that
// cannot be used.
int RunFindOffset(const CliOptions& options, CurrentSettings& current, CDHANDLE drive,
                  const CDTocRecord& record, std::FILE* out);
