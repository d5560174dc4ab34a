// The console ripper's metadata: the disc looked up before the rip, the names the template
// gives the ripped files, and the tags written into each file once it is closed.
#pragma once

#include "app/lookup/DiscLookup.h"
#include "app/lookup/NameTemplate.h"
#include "app/shell/DiscNaming.h"
#include "app/verify/DiscToc.h"

#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>

struct MetadataOptions {
    bool lookup = false;
    int release = 1;          // --release N, 1-based
    std::string nameTemplate; // --name; empty: NameFormat of the settings, else the default
    lookup::LookupSettings urls;
    bool cover = false;
};

// [Lookup] of the settings file; the command line's options are applied afterwards.
MetadataOptions MetadataOptionsFromSettings();

struct LookupCommandLine;
// [Lookup] of the settings file, then the command line's options.
MetadataOptions MetadataOptionsOf(const LookupCommandLine& line);

// Looks the disc up, lists the candidates and returns the one --release names; nothing (with a
// line on err, `consequence` ending it) when no source knows the disc. The disc's CD-Text, when
// given, is the last source.
std::optional<lookup::DiscMetadata>
LookUpForConsole(const verify::DiscToc& toc, const MetadataOptions& options, FILE* out, FILE* err,
                 const lookup::DiscMetadata* cdText = nullptr,
                 const char* consequence = "the tracks keep their plain names");

// The front cover of the release from the Cover Art Archive; empty when there is none.
std::string FetchFrontCover(const lookup::DiscMetadata& disc, const MetadataOptions& options,
                            FILE* err);

// What a look-up gave the rip: the names of the rows, the tags of their files, the cover. Without
// a look-up, only the disc's own ISRCs and MCN, tagged into files of plain names.
struct Naming {
    lookup::DiscMetadata disc;
    int firstTrack = 1;
    std::map<int, RowName> rows;   // by row number from 1
    bool codesOnly = false;        // disc holds nothing but the disc's codes
    std::map<int, int> codeRows;   // codesOnly: row number from 1 -> track number
    std::string cover;             // JPEG bytes, empty for none
    std::set<std::string> folders; // where files were written, for cover.jpg
};

// cover.jpg into every folder that received a file.
void WriteCoverFiles(const Naming& naming, FILE* err);

// Tags the closed file of the track (for codesOnly its ISRC and the MCN alone, and nothing when
// it has neither); a line on err when it cannot.
void TagRippedFile(const std::string& path, const Naming& naming, int trackNumber, FILE* err);
