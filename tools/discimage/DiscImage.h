// Writes disc images (cue/bin, or cdrdao toc/bin for audio-only discs) from a short layout,
// with audio that encodes its own position so that a rip can be checked byte for byte.
#pragma once

#include "CdAudio.h"

#include <cstdint>
#include <string>
#include <vector>

namespace discimage
{

enum class Audio { Pattern, Tones, Silence };
enum class Format { Cue, Toc };

struct DiscLayout {
    int firstTrack = 1;
    std::vector<uint32_t> audioLengths;    // frames, one per audio track
    uint32_t dataLength = 0;               // frames of a data track after the audio; 0 for none
    uint32_t dataGap = CD_ENHANCED_CD_GAP; // frames between the last audio frame and the data track
    Audio audio = Audio::Pattern;
    Format format = Format::Cue;
};

struct WrittenImage {
    std::string descriptorPath; // the .cue or .toc file
    std::string binPath;
    std::vector<uint32_t> trackStarts; // frame of every track, data track included
    uint32_t leadout = 0;
};

// Writes <basePath>.cue (or .toc) and <basePath>.bin. Throws std::runtime_error on bad layouts
// or write failures.
WrittenImage WriteDiscImage(const DiscLayout& layout, const std::string& basePath);

// The pattern: the left channel holds the low 16 bits of the frame number, the right channel
// the sample's index in its frame plus the frame's higher bits, so every sample on a disc of
// up to 4 million frames is unique.
void PatternSample(uint32_t frame, uint32_t index, uint8_t out[4]);
void PatternFrame(uint32_t frame, uint8_t* out);
// The bytes a faithful rip of frames [start, start + length) gives for the pattern.
std::vector<uint8_t> PatternBytes(uint32_t start, uint32_t length);

// Parses "L1,L2,..." where each length is frames ("1234") or minutes:seconds ("2:30").
std::vector<uint32_t> ParseLengths(const std::string& text);
uint32_t ParseLength(const std::string& text);

} // namespace discimage
