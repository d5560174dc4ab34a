#include "CddbEntry.h"

#include "HeaderReader.h"
#include "KeywordReader.h"
#include "LineReader.h"
#include "Veltracache.h"

#include "CdAudio.h"

#include <algorithm>

namespace
{

constexpr std::string_view kTitleSeparator = " / ";

} // namespace

CddbEntry::CddbEntry() : text_(kEmptyTextCapacity, '\0') {}

CddbEntry::CddbEntry(std::string_view text) : text_(text.size() + 1, '\0')
{
    std::copy(text.begin(), text.end(), text_.begin());
}

void CddbEntry::setText(std::string_view text)
{
    if (text.size() + 1 <= text_.size()) {
        std::copy(text.begin(), text.end(), text_.begin());
        text_[text.size()] = '\0';
        return;
    }
    std::vector<char> larger(text.size() + kReplaceSlack + 1, '\0');
    std::copy(text.begin(), text.end(), larger.begin());
    text_.swap(larger);
}

void CddbEntry::setOption(int32_t option, int32_t value)
{
    if (option == CDDB_OPTION_CHECKS)
        checks_ = value;
    else if (option == CDDB_OPTION_YEAR_GENRE)
        yearGenre_ = value;
}

const CddbTrack* CddbEntry::track(int32_t number) const
{
    if (number < 0 || number >= kMaxTracks) return nullptr;
    return tracks_[static_cast<std::size_t>(number)].get();
}

bool CddbEntry::parse()
{
    if (text_[0] == '\0') return false;
    headerStage_ = HeaderStage::BeforeOffsets;
    lastKeyword_ = Keyword::None;
    currentTrack_ = -1;
    inHeader_ = true;

    LineReader reader(text_.data());
    while (const auto line = reader.next())
        if (!readLine(*line)) return false;

    if (checks_ != 0 && !passesChecks()) return false;
    splitDiscTitle();
    return true;
}

bool CddbEntry::readLine(std::string_view line)
{
    if (line.empty()) return false;
    if (line.front() == '#') return HeaderReader::read(*this, line);
    return KeywordReader::read(*this, line);
}

bool CddbEntry::passesChecks() const
{
    // Without any offset there is no last track to hold against the disc length.
    if (trackCount_ <= 0) return false;
    for (int32_t i = 0; i < trackCount_; ++i) {
        const CddbTrack* t = track(i);
        if (t == nullptr || t->title.empty()) return false;
    }
    // 64 bits: a disc length near the 32-bit limit must not overflow when turned into frames.
    return int64_t{discLength_} * CD_FRAMES_PER_SECOND > track(trackCount_ - 1)->frameOffset;
}

void CddbEntry::splitDiscTitle()
{
    // Made aside first, so that running out of memory here leaves no half-made artist behind.
    auto artist = artist_ ? nullptr : std::make_unique<CddbText>();
    auto title = title_ ? nullptr : std::make_unique<CddbText>();
    CddbText& artistText = artist ? *artist : *artist_;
    CddbText& titleText = title ? *title : *title_;
    // Without any DTITLE line both stay empty.
    if (dtitle_) {
        const std::string_view whole = dtitle_->view();
        const std::size_t separator = whole.find(kTitleSeparator);
        if (separator == std::string_view::npos) {
            artistText.append(whole);
            titleText.append(whole);
        } else {
            artistText.append(whole.substr(0, separator));
            titleText.append(whole.substr(separator + kTitleSeparator.size()));
        }
    }
    if (artist) artist_ = std::move(artist);
    if (title) title_ = std::move(title);
}
