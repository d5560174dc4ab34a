#include "MetadataStep.h"

#include "CliOptions.h"

#include "app/cd/TrackList.h"
#include "app/lookup/CoverArt.h"
#include "app/shell/LookupSettingsFile.h"
#include "app/tags/TagWriter.h"
#include "app/verify/DiscIds.h"

#include "CdAudio.h"

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

lookup::DiscQuery QueryOf(const verify::DiscToc& toc)
{
    lookup::DiscQuery q;
    q.musicBrainzDiscId = verify::MusicBrainzDiscId(toc);
    q.cddbDiscId = verify::FreedbDiscId(toc);
    bool first = true;
    for (const verify::TocTrack& t : toc.tracks) {
        if (t.data) {
            // Only the audio tracks before the data session are the disc's music.
            if (!first) break;
            continue;
        }
        if (first) q.firstTrack = t.number;
        first = false;
        q.offsets.push_back(t.start + CD_LEAD_IN_FRAMES);
    }
    q.leadout = toc.AudioLeadout() + CD_LEAD_IN_FRAMES;
    return q;
}

std::optional<lookup::DiscMetadata> LookUpForConsole(const verify::DiscToc& toc,
                                                     const MetadataOptions& options, FILE* out,
                                                     FILE* err, const char* consequence)
{
    const lookup::DiscQuery query = QueryOf(toc);
    std::fprintf(out, "Looking up the disc (MusicBrainz %s, CDDB %08x)\n",
                 query.musicBrainzDiscId.c_str(), query.cddbDiscId);
    std::fflush(out);
    lookup::SourceResult result = lookup::LookUpDisc(query, options.urls);
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
    if (cover.jpeg.empty()) std::fprintf(err, "veltracdrip-cli: no cover: %s\n", cover.error.c_str());
    return std::move(cover.jpeg);
}

std::map<int, RowName> PlanNames(const TrackList& list, const verify::DiscToc& toc,
                                 const lookup::DiscMetadata& disc, const std::string& tmpl,
                                 const std::string& outputFolder)
{
    const lookup::DiscQuery query = QueryOf(toc);
    std::vector<int> rows, numbers;
    for (size_t i = 0; i < list.size(); ++i) {
        const verify::TocTrack* t = toc.AtFrame(list.row(i).record.startFrame);
        if (!t || t->data || !disc.Track(t->number, query.firstTrack)) continue;
        rows.push_back(static_cast<int>(i + 1));
        numbers.push_back(t->number);
    }
    lookup::NameLimits limits;
    limits.outputFolderBytes = outputFolder.size();
    limits.extensionBytes = 4; // room for the longest extension a stream uses
    const std::vector<lookup::OutputName> names =
        lookup::BuildOutputNames(tmpl.empty() ? lookup::kDefaultNameTemplate : tmpl, disc,
                                 query.firstTrack, numbers, limits);
    std::map<int, RowName> plan;
    for (size_t i = 0; i < names.size(); ++i)
        plan[rows[i]] = RowName{names[i].folder, names[i].name, numbers[i]};
    return plan;
}

void TagRippedFile(const std::string& path, const lookup::DiscMetadata& disc, int trackNumber,
                   int firstTrack, const std::string& jpegCover, FILE* err)
{
    tags::Cover cover;
    if (!jpegCover.empty()) cover = {"image/jpeg", jpegCover};
    std::string error;
    if (tags::WriteTags(path, tags::TrackTagValues(disc, trackNumber, firstTrack), cover, error) ==
        tags::TagResult::Failed)
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
