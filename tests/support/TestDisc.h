// Generated disc images as the tests use them: written into a folder of the test's own with an
// optional fault file, the PCM of their tracks, and the console ripper run on them.
#pragma once

#include "TestSupport.h"

#include "discimage/DiscImage.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport
{

struct TestDisc {
    discimage::DiscLayout layout;
    discimage::WrittenImage image;

    // The PCM of audio track i as the image's data file holds it.
    std::vector<uint8_t> Track(size_t i) const;
    // The PCM a faithful rip of audio track i gives from an image of the pattern.
    std::vector<uint8_t> Pattern(size_t i) const;
};

// Writes <dir>/disc.cue (or .toc) and disc.bin, and the fault file beside them when `faults`
// is not empty.
TestDisc WriteTestDisc(const TempDir& dir, const discimage::DiscLayout& layout,
                       const std::string& faults = "");
// A disc of audio tracks of these lengths (frames), of the pattern. A braced list of lengths
// takes the last form, never a layout.
TestDisc WriteTestDisc(const TempDir& dir, std::vector<uint32_t> lengths,
                       const std::string& faults = "");
TestDisc WriteTestDisc(const TempDir& dir, std::initializer_list<uint32_t> lengths,
                       const std::string& faults = "");

// Makes the images (descriptor paths separated by colons) the drives of the CD-access library.
void UseDiscImages(const std::string& descriptorPaths);

// Runs the console ripper of the program folder on the disc, with further arguments.
RunResult RunCli(const ProgramFolder& folder, const TestDisc& disc,
                 const std::vector<std::string>& arguments);

} // namespace testsupport
