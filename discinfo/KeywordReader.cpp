#include "KeywordReader.h"

#include "CddbEntry.h"
#include "NumberScan.h"

#include <array>
#include <memory>

namespace
{

struct KeywordPrefix {
    std::string_view prefix;
    Keyword kind;
};

// Compared in this order, case-sensitively, against the start of the line.
constexpr std::array<KeywordPrefix, 8> kKeywords{{
    {"DISCID=", Keyword::DiscId},
    {"DTITLE=", Keyword::DTitle},
    {"DYEAR=", Keyword::DYear},
    {"DGENRE=", Keyword::DGenre},
    {"TTITLE", Keyword::TTitle},
    {"EXTD=", Keyword::Extd},
    {"EXTT", Keyword::Extt},
    {"PLAYORDER=", Keyword::PlayOrder},
}};

const KeywordPrefix* Classify(std::string_view line)
{
    for (const KeywordPrefix& k : kKeywords)
        if (line.starts_with(k.prefix)) return &k;
    return nullptr;
}

void AppendTo(std::unique_ptr<CddbText>& text, std::string_view value)
{
    if (!text) text = std::make_unique<CddbText>();
    text->append(value);
}

// A track number right after the keyword; 0 when none can be read.
int32_t TrackNumber(std::string_view afterKeyword)
{
    const Scanned<int32_t> number = ScanDecimal(afterKeyword);
    return number.ok() ? number.value : 0;
}

bool ContinuesOrNext(int32_t track, int32_t current)
{
    return track == current || track == current + 1;
}

} // namespace

bool KeywordReader::read(CddbEntry& entry, std::string_view line)
{
    if (entry.inHeader_) {
        // Offsets, disc length and revision come before the first keyword line.
        if (entry.headerStage_ != HeaderStage::Done) return false;
        entry.lastKeyword_ = Keyword::None;
        entry.currentTrack_ = -1;
        entry.inHeader_ = false;
    }
    const KeywordPrefix* keyword = Classify(line);
    if (keyword == nullptr) return false;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    const std::string_view value = line.substr(equals + 1);
    const Keyword previous = entry.lastKeyword_;

    bool accepted = false;
    switch (keyword->kind) {
    case Keyword::DiscId:
        accepted = readDiscIds(entry, value);
        break;
    case Keyword::DTitle:
        accepted = !entry.dtitle_ || entry.dtitle_->empty() || previous == Keyword::DTitle;
        if (accepted) AppendTo(entry.dtitle_, value);
        break;
    case Keyword::DYear:
        accepted = entry.yearGenre_ != 0 && previous == Keyword::DTitle;
        if (accepted) AppendTo(entry.dyear_, value);
        break;
    case Keyword::DGenre:
        accepted = entry.yearGenre_ != 0 && previous == Keyword::DYear;
        if (accepted) AppendTo(entry.dgenre_, value);
        break;
    case Keyword::TTitle:
        accepted = readTrackTitle(entry, TrackNumber(line.substr(keyword->prefix.size())), value);
        break;
    case Keyword::Extd:
        accepted = previous == Keyword::TTitle || previous == Keyword::Extd;
        if (accepted && !value.empty()) AppendTo(entry.extd_, value);
        break;
    case Keyword::Extt:
        accepted =
            readTrackExtended(entry, TrackNumber(line.substr(keyword->prefix.size())), value);
        break;
    case Keyword::PlayOrder: // not kept
        accepted = true;
        break;
    case Keyword::None:
        break;
    }
    if (accepted) entry.lastKeyword_ = keyword->kind;
    return accepted;
}

bool KeywordReader::readDiscIds(CddbEntry& entry, std::string_view value)
{
    // One id after the "=" and one after every ",".
    std::size_t start = 0;
    for (;;) {
        const Scanned<uint32_t> id = ScanHex(value.substr(start));
        if (entry.discIdCount_ < entry.discIds_.size())
            entry.discIds_[entry.discIdCount_++] = id.ok() ? id.value : 0;
        const std::size_t comma = value.find(',', start);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return entry.discIds_[0] != 0;
}

bool KeywordReader::readTrackTitle(CddbEntry& entry, int32_t track, std::string_view value)
{
    if (track < 0 || track >= CddbEntry::kMaxTracks) return false;
    const Keyword previous = entry.lastKeyword_;
    if (previous == Keyword::DTitle && entry.currentTrack_ != -1) return false;
    if (previous == Keyword::TTitle && !ContinuesOrNext(track, entry.currentTrack_)) return false;
    CddbTrack* record = entry.tracks_[static_cast<std::size_t>(track)].get();
    if (record == nullptr || value.empty()) return false;
    record->title.append(value);
    entry.currentTrack_ = track;
    return true;
}

bool KeywordReader::readTrackExtended(CddbEntry& entry, int32_t track, std::string_view value)
{
    if (track < 0 || track >= CddbEntry::kMaxTracks) return false;
    const Keyword previous = entry.lastKeyword_;
    const bool inPlace = previous == Keyword::Extd ||
                         (previous == Keyword::Extt && ContinuesOrNext(track, entry.currentTrack_));
    if (!inPlace) return false;
    CddbTrack* record = entry.tracks_[static_cast<std::size_t>(track)].get();
    if (record == nullptr) return false;
    if (!value.empty()) AppendTo(record->extended, value);
    entry.currentTrack_ = track;
    return true;
}
