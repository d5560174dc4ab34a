// One track of an entry: made when the header lists its frame offset.
#pragma once

#include "CddbText.h"

#include <cstdint>
#include <memory>

struct CddbTrack {
    int32_t frameOffset = 0;            // frames of 1/75 s from the start of the disc
    CddbText title;                     // the joined TTITLE values, empty until one is read
    std::unique_ptr<CddbText> extended; // the joined EXTT values, made by the first non-empty one
};
