#include "MetadataStep.h"

#include "CliOptions.h"

#include "app/cd/TrackList.h"
#include "app/lookup/CoverArt.h"
#include "app/shell/LookupSettingsFile.h"
#include "app/tags/TagWriter.h"

MetadataOptions MetadataOptionsFromSettings()
{
    const LookupFileSettings file = ReadLookupSettings();
    MetadataOptions options;
    options.nameTemplate = file.nameFormat;
    options.urls.musicBrainzUrl = file.musicBrainzUrl;
    options.urls.gnudbUrl = file.gnudbUrl;
    options.urls.coverArtUrl = file.coverArtUrl;
    options.urls.timeoutSeconds = file.timeoutSeconds;
    return options;
}

MetadataOptions MetadataOptionsOf(const LookupCommandLine& line)
{
    MetadataOptions meta = MetadataOptionsFromSettings();
    meta.lookup = line.lookup;
    meta.cover = line.cover;
    meta.release = line.release;
    if (line.name) meta.nameTemplate = *line.name;
    if (line.musicBrainzUrl) meta.urls.musicBrainzUrl = *line.musicBrainzUrl;
    if (line.gnudbUrl) meta.urls.gnudbUrl = *line.gnudbUrl;
    return meta;
}

std::optional<lookup::DiscMetadata> LookUpForConsole(const verify::DiscToc& toc,
                                                     const MetadataOptions& options, FILE* out,
                                                     FILE* err, const lookup::DiscMetadata* cdText,
                                                     const char* consequence)
{
    const lookup::DiscQuery query = QueryOf(toc);
    std::fprintf(out, "Looking up the disc (MusicBrainz %s, CDDB %08x)\n",
                 query.musicBrainzDiscId.c_str(), query.cddbDiscId);
    std::fflush(out);
    lookup::SourceResult result = lookup::LookUpDisc(query, options.urls, nullptr, nullptr, cdText);
    for (const std::string& line : result.messages)
        std::fprintf(err, "veltracdrip-cli: %s\n", line.c_str());
    if (result.releases.empty()) {
        std::fprintf(err, "veltracdrip-cli: no disc information found; %s\n", consequence);
        return std::nullopt;
    }
    for (size_t i = 0; i < result.releases.size(); ++i) {
        const lookup::DiscMetadata& d = result.releases[i];
        std::string disc;
        if (d.discTotal > 1)
            disc = ", disc " + std::to_string(d.discNumber) + "/" + std::to_string(d.discTotal);
        if (!d.year.empty()) disc += ", " + d.year;
        if (!d.country.empty()) disc += ", " + d.country;
        std::fprintf(out, "  %zu: %s - %s (%s%s)\n", i + 1, d.artist.c_str(), d.title.c_str(),
                     d.source.c_str(), disc.c_str());
    }
    int choice = options.release;
    if (choice < 1 || choice > static_cast<int>(result.releases.size())) {
        std::fprintf(err,
                     "veltracdrip-cli: there is no release %d (the look-up found %zu); using the "
                     "first\n",
                     choice, result.releases.size());
        choice = 1;
    }
    std::fprintf(out, "Using %d: %s - %s\n", choice, result.releases[choice - 1].artist.c_str(),
                 result.releases[choice - 1].title.c_str());
    return std::move(result.releases[choice - 1]);
}

std::string FetchFrontCover(const lookup::DiscMetadata& disc, const MetadataOptions& options,
                            FILE* err)
{
    lookup::CoverResult cover = lookup::FetchFrontCover(disc, options.urls);
    if (cover.jpeg.empty())
        std::fprintf(err, "veltracdrip-cli: no cover: %s\n", cover.error.c_str());
    return std::move(cover.jpeg);
}

void TagRippedFile(const std::string& path, const Naming& naming, int trackNumber, FILE* err)
{
    tags::Cover cover;
    if (!naming.cover.empty()) cover = {"image/jpeg", naming.cover};
    tags::TagValues values = tags::TrackTagValues(naming.disc, trackNumber, naming.firstTrack);
    if (naming.codesOnly) {
        // Without a look-up the file gets the disc's codes and nothing that would guess.
        std::erase_if(values,
                      [](const auto& v) { return v.first != "ISRC" && v.first != "BARCODE"; });
        if (values.empty()) return;
    }
    std::string error;
    if (tags::WriteTags(path, values, cover, error) == tags::TagResult::Failed)
        std::fprintf(err, "veltracdrip-cli: %s\n", error.c_str());
}

void WriteCoverFiles(const Naming& naming, FILE* err)
{
    if (naming.cover.empty()) return;
    for (const std::string& folder : naming.folders) {
        const std::string path = folder + "/cover.jpg";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        bool ok =
            f && std::fwrite(naming.cover.data(), 1, naming.cover.size(), f) == naming.cover.size();
        if (f && std::fclose(f) != 0) ok = false;
        if (!ok) std::fprintf(err, "veltracdrip-cli: cannot write %s\n", path.c_str());
    }
}
