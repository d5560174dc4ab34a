// Writes disc images (cue/bin, cue with one WAV file per track or one FLAC file, or cdrdao
// toc/bin for audio-only discs) from a short layout, with audio that encodes its own position so
// that a rip can be checked byte for byte.
#pragma once

#include "CdAudio.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace discimage
{

enum class Audio { Pattern, Tones, Silence, Pcm };
enum class Format { Cue, Toc };
// The data files of a cue image: one BINARY file; one WAVE file per track with each track's
// pregap at the end of the file before (as EAC writes "one file per track"); one FLAC file.
enum class Files { Binary, WavePerTrack, Flac };

// CD-Text of the album or of one track, and a track's ISRC, as the cue sheet writes them (UTF-8).
struct DiscTexts {
    std::string title;
    std::string performer;
    std::string songwriter;
    std::string isrc; // tracks only: twelve letters and digits, or CC-OOO-YY-NNNNN
};

struct DiscLayout {
    int firstTrack = 1;
    std::vector<uint32_t> audioLengths;    // frames, one per audio track
    uint32_t dataLength = 0;               // frames of a data track after the audio; 0 for none
    uint32_t dataGap = CD_ENHANCED_CD_GAP; // frames between the last audio frame and the data track
    uint32_t hidden = 0; // frames of audio before track 1 (its INDEX 00 at 00:00:00)
    uint32_t pregap = 0; // frames of INDEX 00 before every later track's INDEX 01
    Audio audio = Audio::Pattern;
    // With Audio::Pcm: raw 16-bit little-endian stereo 44.1 kHz samples that the audio tracks
    // take in order. A file shorter than the tracks is refused; bytes past them are unused.
    std::string pcmPath;
    Format format = Format::Cue;
    Files files = Files::Binary;
    // Cue sheets only: the album's texts, each track's (by track number), the disc's CATALOG.
    DiscTexts album;
    std::map<int, DiscTexts> trackTexts;
    std::string catalog;
};

struct WrittenImage {
    std::string descriptorPath;         // the .cue or .toc file
    std::string binPath;                // the (first) data file
    std::vector<std::string> dataPaths; // every data file, in the sheet's order
    std::vector<uint32_t> trackStarts;  // frame of every track, data track included
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

// Writes frames [0, frames) of 44.1 kHz 16-bit stereo audio, each got from `frame`, as a WAV
// file (canonical 44-byte header) or a FLAC file. Throw std::runtime_error on failures.
using FrameSource = std::function<void(uint32_t frame, uint8_t* out)>;
void WriteWavFile(const std::string& path, uint32_t frames, const FrameSource& frame);
void WriteFlacFile(const std::string& path, uint32_t frames, const FrameSource& frame);

// Parses "L1,L2,..." where each length is frames ("1234") or minutes:seconds ("2:30").
std::vector<uint32_t> ParseLengths(const std::string& text);
uint32_t ParseLength(const std::string& text);

} // namespace discimage
