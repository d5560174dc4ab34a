// One disc-information entry: the text of a CDDB disc record and what a strict parse of it
// found (disc ids, the DTITLE/DYEAR/DGENRE/EXTD texts, tracks, artist and disc title).
#pragma once

#include "CddbText.h"
#include "CddbTrack.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

// Where the header reader is: each stage needs the one before it.
enum class HeaderStage : int32_t { BeforeOffsets, Offsets, DiscLength, Revision, Done };

// The kind of the last accepted keyword line.
enum class Keyword : int32_t { None, DiscId, DTitle, DYear, DGenre, TTitle, Extd, Extt, PlayOrder };

class CddbEntry
{
public:
    static constexpr int32_t kMaxTracks = 100;
    static constexpr int32_t kMaxDiscIds = 10;
    static constexpr std::size_t kEmptyTextCapacity = 32768;
    static constexpr std::size_t kReplaceSlack = 128;

    CddbEntry(); // an empty text with room for a whole record
    explicit CddbEntry(std::string_view text);

    // Replaces the text only; what an earlier parse stored stays.
    void setText(std::string_view text);
    void setOption(int32_t option, int32_t value);

    // Parses the text once; true when every line followed the rules (and the checks passed).
    // Nothing is undone on failure. May throw std::bad_alloc, after which the entry is still
    // consistent and owns everything it allocated.
    bool parse();

    std::string_view text() const { return text_.data(); }
    std::size_t textCapacity() const { return text_.size(); }
    bool checksEnabled() const { return checks_ != 0; }
    bool yearGenreAllowed() const { return yearGenre_ != 0; }

    const CddbText* artist() const { return artist_.get(); }
    const CddbText* title() const { return title_.get(); }
    const CddbText* dtitle() const { return dtitle_.get(); }
    const CddbText* extd() const { return extd_.get(); }
    const CddbText* dgenre() const { return dgenre_.get(); }
    const CddbText* dyear() const { return dyear_.get(); }
    // Null for a number outside 0-99 or a track without frame offset.
    const CddbTrack* track(int32_t number) const;
    int32_t trackCount() const { return trackCount_; }
    int32_t discLength() const { return discLength_; }
    int32_t revision() const { return revision_; }
    std::span<const uint32_t> discIds() const { return {discIds_.data(), discIdCount_}; }

private:
    friend class HeaderReader;
    friend class KeywordReader;

    bool readLine(std::string_view line);
    bool passesChecks() const;
    void splitDiscTitle();

    int32_t checks_ = 1;    // option 100
    int32_t yearGenre_ = 1; // option 101
    HeaderStage headerStage_ = HeaderStage::BeforeOffsets;
    Keyword lastKeyword_ = Keyword::None;
    int32_t currentTrack_ = -1; // last offset index in the header, last TTITLE/EXTT number after
    bool inHeader_ = false;
    std::vector<char> text_; // NUL-terminated; its size is the text capacity

    std::unique_ptr<CddbText> artist_;
    std::unique_ptr<CddbText> title_;
    std::unique_ptr<CddbText> dtitle_;
    std::unique_ptr<CddbText> extd_;
    std::unique_ptr<CddbText> dgenre_;
    std::unique_ptr<CddbText> dyear_;

    int32_t revision_ = 0;
    int32_t trackCount_ = 0; // offsets stored, never more than the table holds
    int32_t discLength_ = 0; // seconds
    std::size_t discIdCount_ = 0;
    std::array<uint32_t, kMaxDiscIds> discIds_{};
    std::array<std::unique_ptr<CddbTrack>, kMaxTracks> tracks_;
};
