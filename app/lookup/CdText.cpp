#include "CdText.h"

#include "Utf8Text.h"

namespace lookup
{

namespace
{

std::string Text(CDHANDLE drive, int track, uint32_t field)
{
    const uint32_t length = GetCDText(drive, static_cast<uint32_t>(track), field, nullptr, 0);
    if (length == 0) return {};
    std::string text(length, '\0');
    const uint32_t again =
        GetCDText(drive, static_cast<uint32_t>(track), field, text.data(), length + 1);
    // The disc may have changed between the two calls.
    if (again != length) return {};
    // The library promises UTF-8; a text that is not would reach file names and tags.
    return IsValidUtf8(text) ? text : Latin1ToUtf8(text);
}

} // namespace

std::optional<DiscMetadata> ReadCdText(CDHANDLE drive, const DiscQuery& disc)
{
    DiscMetadata record;
    record.source = "CD-Text";
    record.title = Text(drive, 0, CD_TEXT_TITLE);
    record.artist = Text(drive, 0, CD_TEXT_PERFORMER);
    bool named = !record.title.empty();
    for (int t = 0; t < disc.TrackCount(); ++t) {
        const int number = disc.firstTrack + t;
        TrackMetadata track;
        track.title = Text(drive, number, CD_TEXT_TITLE);
        track.artist = Text(drive, number, CD_TEXT_PERFORMER);
        if (track.artist.empty()) track.artist = record.artist;
        track.composer = Text(drive, number, CD_TEXT_SONGWRITER);
        named = named || !track.title.empty();
        record.tracks.push_back(std::move(track));
    }
    if (!named) return std::nullopt;
    return record;
}

DiscCodes ReadDiscCodes(CDHANDLE drive, const DiscQuery& disc)
{
    DiscCodes codes;
    char mcn[CD_MCN_BYTES];
    if (GetDiscMCN(drive, mcn) == 1) codes.mcn = mcn;
    for (int t = 0; t < disc.TrackCount(); ++t) {
        char isrc[CD_ISRC_BYTES];
        const int number = disc.firstTrack + t;
        if (GetTrackISRC(drive, static_cast<uint32_t>(number), isrc) == 1)
            codes.isrc[number] = isrc;
    }
    return codes;
}

void ApplyDiscCodes(DiscMetadata& record, const DiscCodes& codes, int firstTrack)
{
    if (!codes.mcn.empty()) record.catalogue = codes.mcn;
    for (const auto& [number, isrc] : codes.isrc) {
        const int index = number - firstTrack;
        if (index >= 0 && index < static_cast<int>(record.tracks.size()))
            record.tracks[static_cast<size_t>(index)].isrc = isrc;
    }
}

DiscMetadata CodesOnly(const DiscCodes& codes, const DiscQuery& disc)
{
    DiscMetadata record;
    record.tracks.resize(static_cast<size_t>(disc.TrackCount()));
    ApplyDiscCodes(record, codes, disc.firstTrack);
    return record;
}

} // namespace lookup
