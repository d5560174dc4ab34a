// The disc's table of contents as the disc identifiers and the AccurateRip rules see it: tracks
// with their frame addresses and data flags, and the lead-out.
#pragma once

#include "Veltrarip32.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace verify
{

// Typed for the console ripper's sample counts.
constexpr uint32_t kSamplesPerFrame = CD_SAMPLES_PER_FRAME;

struct TocTrack {
    int number = 0;
    uint32_t start = 0; // frame address
    bool data = false;
    bool copyPermitted = false;
    bool preEmphasis = false;
};

struct DiscToc {
    std::vector<TocTrack> tracks; // in TOC order, consecutive numbers
    uint32_t leadout = 0;         // frame address of the lead-out

    const TocTrack* Find(int number) const;
    // The track that starts at this frame address, or null.
    const TocTrack* AtFrame(uint32_t start) const;
    int AudioTrackCount() const;
    bool IsFirstAudioTrack(int number) const;
    bool IsLastAudioTrack(int number) const;
    // Data tracks after the last audio track (an Enhanced CD's second session).
    bool HasTrailingData() const;
    // Where the audio ends: the first trailing data track's start less the session gap, or
    // the lead-out.
    uint32_t AudioLeadout() const;
};

// A layout is usable when it has 1 to 99 tracks numbered 1 to 99 in a row, rising start
// addresses and a lead-out after the last start; nullopt otherwise.
std::optional<DiscToc> MakeDiscToc(std::vector<TocTrack> tracks, uint32_t leadout);

// The TOC record of the CD-access library, read with frame addresses (ModifyCDParms 36 = 0).
std::optional<DiscToc> DiscTocFromRecord(const CDTocRecord& record);

// "mm:ss:ff" of a frame count, or "mm:ss.ff" with '.' as the separator before the frames
// (minutes may pass 99 only on impossible discs).
std::string MsfText(uint32_t frames, char frameSeparator = ':');

} // namespace verify
