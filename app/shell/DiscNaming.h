// The disc as the look-ups ask for it, and the template's names of the listed tracks: shared by
// the console ripper and the window program so both name a disc alike.
#pragma once

#include "app/lookup/DiscMetadata.h"
#include "app/verify/DiscToc.h"

#include <map>
#include <string>

class TrackList;

// The disc's audio tracks before any data session, its ids and its lead-out.
lookup::DiscQuery QueryOf(const verify::DiscToc& toc);

// The template's name of one listed audio row.
struct RowName {
    std::string folder; // below the output folder, "" for none
    std::string name;
    int trackNumber = 0;
};

// The names of the listed audio rows the metadata covers (key: row number from 1); other rows
// keep their plain names. An empty template is the default one.
std::map<int, RowName> PlanNames(const TrackList& list, const verify::DiscToc& toc,
                                 const lookup::DiscMetadata& disc, const std::string& tmpl,
                                 const std::string& outputFolder);
