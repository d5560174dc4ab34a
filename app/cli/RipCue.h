// The CUE sheet of a rip with one file per track, as the rip writes it and a re-tag rewrites it:
// the disc's ids as remarks, and what a look-up found (titles, performers, ISRCs, catalogue).
#pragma once

#include "app/lookup/DiscMetadata.h"
#include "app/verify/DiscToc.h"

#include <string>
#include <vector>

// One audio track's file: its path as written, under the sheet's folder or beside it.
struct CueFile {
    int number = 0; // the disc's track number
    std::string path;
};

// `disc` may be null; its tracks count from firstTrack.
std::string RipCueText(const verify::DiscToc& toc, const std::vector<CueFile>& files,
                       const std::string& folder, const lookup::DiscMetadata* disc, int firstTrack);
