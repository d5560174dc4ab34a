// Output names from a template with the letters %t (track number, two digits), %n (track
// title), %a (track artist), %A (album artist), %d (release title) and %y (year); "/" makes
// folders. Every part passes the encoder library's name rules, no name leads outside the output
// folder, names fit the library's path bound, and no two tracks get the same name.
#pragma once

#include "DiscMetadata.h"

#include <string>
#include <vector>

namespace lookup
{

// The template used when metadata is known and none is set.
constexpr const char kDefaultNameTemplate[] = "%A/%d/%t %n";

struct OutputName {
    std::string folder; // below the output folder, levels joined by "/", no trailing "/"; or ""
    std::string name;   // the file name without extension
};

struct NameLimits {
    size_t outputFolderBytes = 0; // the output folder's length
    size_t extensionBytes = 3;
    size_t pathBound = 259;  // the longest full path the encoder library composes (plus NUL: 260)
    size_t levelBound = 255; // the longest single name the file system takes
};

// Each text as the encoder library stores a file name: \ / : * ? " < > | become "_".
std::string ApplyNameRules(const std::string& text);

// One name per track number (numbers of disc; the metadata's tracks count from first).
std::vector<OutputName> BuildOutputNames(const std::string& tmpl, const DiscMetadata& disc,
                                         int first, const std::vector<int>& trackNumbers,
                                         const NameLimits& limits);

} // namespace lookup
