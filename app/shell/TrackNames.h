// The names the window program gives the ripped files once a disc has been looked up: the
// template's names, the user's own names typed into the list, and the album fields the album
// dialog edits. Without a look-up it holds nothing and every track keeps its plain name.
#pragma once

#include "DiscNaming.h"

#include "app/lookup/DiscMetadata.h"
#include "app/verify/DiscToc.h"

#include <map>
#include <optional>
#include <string>

class TrackList;

struct AlbumFields {
    std::string artist;
    std::string title;
    std::string year;
    std::string genre;
};

class TrackNames
{
public:
    bool active() const { return disc_.has_value(); }
    // The chosen release, or null before a look-up.
    const lookup::DiscMetadata* disc() const { return disc_ ? &*disc_ : nullptr; }
    int firstTrack() const { return firstTrack_; }

    void Clear();
    // Takes the chosen release and names the listed rows by the template (empty: the default).
    void Take(lookup::DiscMetadata disc, const TrackList& list, const verify::DiscToc& toc,
              const std::string& tmpl, const std::string& outputFolder);
    // New album fields; track artists that were the album artist follow it, and the rows the
    // user did not name follow the template again.
    void SetAlbum(const AlbumFields& album, const TrackList& list, const std::string& outputFolder);
    AlbumFields album() const;
    // The user's name for a row ("a/b/name" makes folders): every level passes the same name
    // rules as the template's names; an empty text gives the row its template name back.
    void Edit(int row, const std::string& text, const TrackList& list,
              const std::string& outputFolder);

    // The name of a row (row number from 1), or null for a row keeping its plain name.
    const RowName* Find(int row) const;
    // "folder/name", as the list shows it.
    static std::string Shown(const RowName& name);

private:
    void Plan(const TrackList& list, const std::string& outputFolder);

    std::optional<lookup::DiscMetadata> disc_;
    verify::DiscToc toc_;
    std::string template_;
    int firstTrack_ = 1;
    std::map<int, RowName> rows_;
    std::map<int, std::string> edits_; // the user's texts by row, kept over album changes
};
