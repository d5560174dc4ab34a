#include "HeaderReader.h"

#include "CddbEntry.h"
#include "NumberScan.h"

#include <memory>

namespace
{

constexpr std::string_view kOffsetsPhrase = "Track frame offsets:";
constexpr std::string_view kDiscLengthPhrase = "Disc length:";
constexpr std::string_view kRevisionPhrase = "Revision:";

// A line without the phrase passes unchanged. With it, the stage moves on and the number after
// the phrase is stored; blanks or nothing after it leave the field as it was.
bool ReadNumberAfter(std::string_view line, std::string_view phrase, int32_t& field,
                     HeaderStage& stage, HeaderStage next)
{
    const std::size_t at = line.find(phrase);
    if (at == std::string_view::npos) return true;
    stage = next;
    const Scanned<int32_t> number = ScanDecimal(line.substr(at + phrase.size()));
    if (number.result == ScanResult::Mismatch) return false;
    if (number.ok()) field = number.value;
    return true;
}

} // namespace

bool HeaderReader::read(CddbEntry& entry, std::string_view line)
{
    if (!entry.inHeader_) return false;
    switch (entry.headerStage_) {
    case HeaderStage::BeforeOffsets:
        if (line.find(kOffsetsPhrase) != std::string_view::npos) {
            entry.currentTrack_ = -1;
            entry.headerStage_ = HeaderStage::Offsets;
        }
        return true;
    case HeaderStage::Offsets: {
        // "#", blanks, a number: one more offset.
        const Scanned<int32_t> offset = ScanDecimal(line.substr(1));
        if (offset.ok()) {
            // Offsets past the table's last track are accepted and dropped.
            if (entry.currentTrack_ + 1 < CddbEntry::kMaxTracks) {
                auto& slot = entry.tracks_[static_cast<std::size_t>(++entry.currentTrack_)];
                if (!slot) slot = std::make_unique<CddbTrack>();
                slot->frameOffset = offset.value;
            }
            return true;
        }
        entry.trackCount_ = entry.currentTrack_ + 1;
        entry.headerStage_ = HeaderStage::DiscLength;
        return ReadNumberAfter(line, kDiscLengthPhrase, entry.discLength_, entry.headerStage_,
                               HeaderStage::Revision);
    }
    case HeaderStage::DiscLength:
        return ReadNumberAfter(line, kDiscLengthPhrase, entry.discLength_, entry.headerStage_,
                               HeaderStage::Revision);
    case HeaderStage::Revision:
        return ReadNumberAfter(line, kRevisionPhrase, entry.revision_, entry.headerStage_,
                               HeaderStage::Done);
    case HeaderStage::Done:
        return true;
    }
    return false;
}
