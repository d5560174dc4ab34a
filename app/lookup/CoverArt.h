// The release's front cover from the Cover Art Archive, for the tags and cover.jpg.
#pragma once

#include "DiscLookup.h"
#include "DiscMetadata.h"

#include <string>

namespace lookup
{

struct CoverResult {
    std::string jpeg;  // the picture's bytes; empty when there is none
    std::string error; // why there is none, for the user
};

// Only a JPEG is taken: the tags and cover.jpg promise one.
CoverResult FetchFrontCover(const DiscMetadata& disc, const LookupSettings& settings);

} // namespace lookup
