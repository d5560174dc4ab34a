#include "DiscText.h"

#include "TextForms.h"

#include "Veltrarip32.h"

#include <algorithm>
#include <cctype>
#include <cdio/cdtext.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace rip32
{

namespace
{

// Bigger than any lead-in holds (8 blocks of 256 packs); a larger file is no CD-Text.
constexpr size_t kMaxPackBytes = 8 * 256 * 18 + 4;
constexpr size_t kPackBytes = 18;

// Drives without a catalogue number often report thirteen zeros.
bool IsMcn(const std::string& s)
{
    return s.size() == 13 &&
           std::all_of(s.begin(), s.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) &&
           s != std::string(13, '0');
}

template <typename Text> auto FieldOf(Text& t, uint32_t field) -> decltype(&t.title)
{
    switch (field) {
    case CD_TEXT_TITLE:
        return &t.title;
    case CD_TEXT_PERFORMER:
        return &t.performer;
    case CD_TEXT_SONGWRITER:
        return &t.songwriter;
    default:
        return nullptr;
    }
}

void FillEmpty(std::string& to, const char* from)
{
    if (to.empty() && from) to = from;
}

// What libcdio's CD-Text holds, into the fields still empty.
void MergeCdText(const cdtext_t* ct, DiscText& text)
{
    const track_t first = cdtext_get_first_track(ct);
    const track_t last = cdtext_get_last_track(ct);
    auto merge = [&](TrackText& t, track_t track) {
        FillEmpty(t.title, cdtext_get_const(ct, CDTEXT_FIELD_TITLE, track));
        FillEmpty(t.performer, cdtext_get_const(ct, CDTEXT_FIELD_PERFORMER, track));
        FillEmpty(t.songwriter, cdtext_get_const(ct, CDTEXT_FIELD_SONGWRITER, track));
    };
    merge(text.album, 0);
    if (text.mcn.empty()) {
        const char* upc = cdtext_get_const(ct, CDTEXT_FIELD_UPC_EAN, 0);
        if (upc && IsMcn(upc)) text.mcn = upc;
    }
    for (int t = first; first > 0 && t <= last && t <= 99; ++t) {
        TrackText& track = text.tracks[t];
        merge(track, static_cast<track_t>(t));
        const char* isrc = cdtext_get_const(ct, CDTEXT_FIELD_ISRC, static_cast<track_t>(t));
        if (track.isrc.empty() && isrc && IsIsrc(isrc)) track.isrc = isrc;
    }
}

std::string Owned(char* text)
{
    std::string s = text ? text : "";
    if (text) cdio_free(text);
    return s;
}

} // namespace

const std::string* DiscText::Field(uint32_t track, uint32_t field) const
{
    const TrackText* t = &album;
    if (track != 0) {
        auto it = tracks.find(static_cast<int>(track));
        if (it == tracks.end()) return nullptr;
        t = &it->second;
    }
    const std::string* value = FieldOf(*t, field);
    return value && !value->empty() ? value : nullptr;
}

DiscText DiscTextFromCdio(CdIo_t* cdio)
{
    DiscText text;
    if (!cdio) return text;
    const std::string mcn = Owned(cdio_get_mcn(cdio));
    if (IsMcn(mcn)) text.mcn = mcn;
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t last = cdio_get_last_track_num(cdio);
    if (first != CDIO_INVALID_TRACK && last != CDIO_INVALID_TRACK && first > 0) {
        for (int t = first; t <= last && t <= 99; ++t) {
            const auto track = static_cast<track_t>(t);
            if (cdio_get_track_format(cdio, track) != TRACK_FORMAT_AUDIO) continue;
            const std::string isrc = Owned(cdio_get_track_isrc(cdio, track));
            if (IsIsrc(isrc)) text.tracks[t].isrc = isrc;
        }
    }
    if (const cdtext_t* ct = cdio_get_cdtext(cdio)) MergeCdText(ct, text);
    return text;
}

bool MergeCdTextPacks(const std::string& bytes, DiscText& text)
{
    size_t skip = bytes.size() % kPackBytes == 4 ? 4 : 0;
    if (bytes.size() <= skip || (bytes.size() - skip) % kPackBytes != 0 ||
        bytes.size() > kMaxPackBytes)
        return false;
    std::vector<uint8_t> packs(bytes.begin() + static_cast<long>(skip), bytes.end());
    std::unique_ptr<cdtext_t, void (*)(cdtext_t*)> ct(cdtext_init(), cdtext_destroy);
    if (!ct || cdtext_data_init(ct.get(), packs.data(), packs.size()) != 0) return false;
    MergeCdText(ct.get(), text);
    return true;
}

DiscText DiscTextFromCue(const CueSheet& sheet, const std::string& folder)
{
    DiscText text;
    const bool legacy = sheet.encoding == SheetEncoding::Legacy;
    auto take = [&](TrackText& t, const std::vector<CueField>& fields) {
        for (const CueField& f : fields) {
            std::string* to = f.first == "TITLE"        ? &t.title
                              : f.first == "PERFORMER"  ? &t.performer
                              : f.first == "SONGWRITER" ? &t.songwriter
                                                        : nullptr;
            // A legacy sheet's bytes are read as Latin-1, CD-Text's own 8-bit code.
            if (to && to->empty()) *to = legacy ? Latin1ToUtf8(f.second) : f.second;
        }
    };
    take(text.album, sheet.fields);
    if (IsMcn(sheet.catalog)) text.mcn = sheet.catalog;
    for (const CueTrack& track : sheet.tracks) {
        TrackText& t = text.tracks[track.number];
        take(t, track.fields);
        if (IsIsrc(track.isrc)) t.isrc = track.isrc;
    }
    if (!sheet.cdTextFile.empty()) {
        const std::string path =
            sheet.cdTextFile.front() == '/' ? sheet.cdTextFile : folder + "/" + sheet.cdTextFile;
        std::ifstream file(path, std::ios::binary);
        std::string bytes;
        if (file) {
            bytes.resize(kMaxPackBytes + 1);
            file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            bytes.resize(static_cast<size_t>(file.gcount()));
        }
        // A missing or unreadable CD-Text file leaves the sheet's own lines: the audio plays.
        MergeCdTextPacks(bytes, text);
    }
    return text;
}

size_t Utf8Cut(const std::string& text, size_t maxBytes)
{
    if (text.size() <= maxBytes) return text.size();
    size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

} // namespace rip32
