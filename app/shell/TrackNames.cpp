#include "TrackNames.h"

#include "app/cd/TrackList.h"
#include "app/lookup/NameTemplate.h"

#include <set>
#include <vector>

namespace
{

std::string Key(const RowName& name)
{
    return TrackNames::Shown(name);
}

// The user's text as a template that expands to nothing but itself.
std::string Literal(const std::string& text)
{
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

} // namespace

void TrackNames::Clear()
{
    disc_.reset();
    rows_.clear();
    edits_.clear();
}

void TrackNames::Take(lookup::DiscMetadata disc, const TrackList& list, const verify::DiscToc& toc,
                      const std::string& tmpl, const std::string& outputFolder)
{
    disc_ = std::move(disc);
    toc_ = toc;
    template_ = tmpl;
    firstTrack_ = QueryOf(toc).firstTrack;
    edits_.clear();
    Plan(list, outputFolder);
}

AlbumFields TrackNames::album() const
{
    if (!disc_) return {};
    return {disc_->artist, disc_->title, disc_->year, disc_->genre};
}

void TrackNames::SetAlbum(const AlbumFields& album, const TrackList& list,
                          const std::string& outputFolder)
{
    if (!disc_) return;
    for (lookup::TrackMetadata& t : disc_->tracks)
        if (t.artist.empty() || t.artist == disc_->artist) t.artist = album.artist;
    disc_->artist = album.artist;
    disc_->title = album.title;
    disc_->year = album.year;
    disc_->genre = album.genre;
    Plan(list, outputFolder);
}

void TrackNames::Edit(int row, const std::string& text, const TrackList& list,
                      const std::string& outputFolder)
{
    if (!disc_ || !rows_.count(row)) return;
    if (text.empty())
        edits_.erase(row);
    else
        edits_[row] = text;
    Plan(list, outputFolder);
}

const RowName* TrackNames::Find(int row) const
{
    const auto it = rows_.find(row);
    return it == rows_.end() ? nullptr : &it->second;
}

std::string TrackNames::Shown(const RowName& name)
{
    return name.folder.empty() ? name.name : name.folder + "/" + name.name;
}

void TrackNames::Plan(const TrackList& list, const std::string& outputFolder)
{
    rows_ = PlanNames(list, toc_, *disc_, template_, outputFolder);
    lookup::NameLimits limits;
    limits.outputFolderBytes = outputFolder.size();
    limits.extensionBytes = 4;
    for (const auto& [row, text] : edits_) {
        const auto it = rows_.find(row);
        if (it == rows_.end()) continue;
        const auto names = lookup::BuildOutputNames(Literal(text), *disc_, firstTrack_,
                                                    {it->second.trackNumber}, limits);
        it->second.folder = names.at(0).folder;
        it->second.name = names.at(0).name;
    }
    // A typed name may meet another row's: the later row gets a number, as the template's do.
    std::set<std::string> taken;
    for (auto& [row, name] : rows_) {
        const std::string base = name.name;
        for (int copy = 2; !taken.insert(Key(name)).second; ++copy)
            name.name = base + " (" + std::to_string(copy) + ")";
    }
}
