#include "VerifiedRip.h"

#include "RipCue.h"
#include "app/rip/SectorRing.h"
#include "app/verify/AccurateRipLookup.h"
#include "app/verify/BurstVerdict.h"
#include "app/verify/CueSheet.h"
#include "app/verify/FileChecksum.h"
#include "app/verify/RipLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace
{

std::string Hex(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

bool WriteText(const std::string& path, const std::string& text, std::string& error)
{
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (file) file.close();
    if (!file) {
        error = path + " could not be written: " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace

struct VerifiedRip::Track {
    TrackRecord record{};
    verify::TocTrack toc;
    bool known = false; // the TOC has a track at the record's start
    verify::PcmChecksums sums;
    AddingTap<verify::PcmChecksums> tap{sums};
    TrackOutcome outcome;
    bool ended = false;
    verify::ArMatch match;
    bool reread = false;        // --verify: read again in secure mode
    verify::ArMatch burstMatch; // what the burst rip found before

    Track(const TrackRecord& r, const verify::TocTrack* t, uint64_t samples, bool first, bool last)
        : record(r), toc(t ? *t : verify::TocTrack{}), known(t != nullptr),
          sums(samples, first, last)
    {
    }
    bool Checked() const { return ended && sums.complete(); }
    // An audio track of the disc's table of contents: what AccurateRip knows.
    bool Audio() const { return known && !toc.data; }
};

VerifiedRip::VerifiedRip(VerifyOptions options) : options_(std::move(options)) {}

VerifiedRip::~VerifiedRip() = default;

bool VerifiedRip::Prepare(const CDTocRecord& record, std::string& error)
{
    toc_ = verify::DiscTocFromRecord(record);
    if (!toc_) {
        error = "the disc's table of contents gives no usable layout for the disc identifiers";
        return false;
    }
    freedb_ = verify::FreedbDiscId(*toc_);
    musicBrainz_ = verify::MusicBrainzDiscId(*toc_);
    accurateRip_ = verify::AccurateRipId(*toc_);
    if (options_.lookup) {
        LookUp();
        return true;
    }
    if (options_.response.empty()) return true;
    if (!accurateRip_) {
        error = "the disc has no audio track to verify";
        return false;
    }
    if (!verify::LoadDbarFile(options_.response, response_, error)) return false;
    if (!verify::ResponseIsFor(response_, *accurateRip_)) {
        error = options_.response + " is the AccurateRip response for " +
                response_.blocks.front().disc.Name() + ", not for this disc (" +
                accurateRip_->Name() + ")";
        return false;
    }
    verifying_ = true;
    responseName_ = options_.response;
    return true;
}

void VerifiedRip::LookUp()
{
    if (!accurateRip_) {
        lookupLine_ = "no audio track to look up; the rip goes on unverified";
        return;
    }
    verify::ArLookupSettings settings;
    if (!options_.lookupUrl.empty()) settings.baseUrl = options_.lookupUrl;
    settings.timeoutSeconds = options_.timeoutSeconds;
    verify::ArLookupResult found = verify::LookUpAccurateRip(*accurateRip_, settings);
    lookupLine_ = found.message;
    if (!found.found()) {
        lookupLine_ += "; the rip goes on unverified";
        return;
    }
    response_ = std::move(found.response);
    verifying_ = true;
    responseName_ = found.fromCache ? "cached " + accurateRip_->Name() + ".bin" : found.url;
}

void VerifiedRip::PrintDisc(std::FILE* out) const
{
    char freedb[16];
    std::snprintf(freedb, sizeof freedb, "%08x", freedb_);
    std::fprintf(out, "CDDB disc id: %s\nMusicBrainz disc id: %s\nAccurateRip disc id: %s\n",
                 freedb, musicBrainz_.empty() ? "(none)" : musicBrainz_.c_str(),
                 accurateRip_ ? accurateRip_->Name().c_str() : "(none: no audio track)");
    if (!lookupLine_.empty()) std::fprintf(out, "AccurateRip lookup: %s\n", lookupLine_.c_str());
    if (verifying_)
        std::fprintf(out, "AccurateRip response: %s (%zu %s)\n", responseName_.c_str(),
                     response_.blocks.size(), response_.blocks.size() == 1 ? "block" : "blocks");
    std::fflush(out);
}

PcmTap* VerifiedRip::BeginTrack(const TrackRecord& record)
{
    const verify::TocTrack* t = toc_ ? toc_->AtFrame(record.startFrame) : nullptr;
    const bool audio = t && !t->data;
    const uint64_t samples = uint64_t{record.length} * verify::kSamplesPerFrame;
    // A second read of a track (--verify) takes the first one's place.
    bool reread = false;
    verify::ArMatch burstMatch;
    for (auto it = tracks_.begin(); it != tracks_.end(); ++it) {
        if ((*it)->record.startFrame != record.startFrame || !(*it)->ended) continue;
        reread = true;
        burstMatch = (*it)->match;
        tracks_.erase(it);
        break;
    }
    tracks_.push_back(std::make_unique<Track>(record, t, samples,
                                              audio && toc_->IsFirstAudioTrack(t->number),
                                              audio && toc_->IsLastAudioTrack(t->number)));
    tracks_.back()->reread = reread;
    tracks_.back()->burstMatch = burstMatch;
    return &tracks_.back()->tap;
}

void VerifiedRip::EndTrack(const TrackRecord& record, const TrackOutcome& outcome)
{
    for (auto it = tracks_.rbegin(); it != tracks_.rend(); ++it) {
        Track& t = **it;
        if (t.record.startFrame != record.startFrame || t.ended) continue;
        t.outcome = outcome;
        t.ended = true;
        if (t.Checked() && t.Audio() && verifying_)
            t.match = verify::MatchChecksums(response_, *toc_, t.toc.number, t.sums);
        return;
    }
}

std::vector<uint32_t> VerifiedRip::TracksToReread() const
{
    std::vector<uint32_t> starts;
    for (const auto& t : tracks_)
        if (t->Checked() && t->Audio() && t->outcome.finished && !t->reread &&
            verify::ReadAgain(t->match))
            starts.push_back(t->record.startFrame);
    return starts;
}

std::string VerifiedRip::BurstResultOf(const Track& t) const
{
    return verify::BurstWords({t.match, t.reread, t.outcome.inexact});
}

std::string VerifiedRip::BurstResult(const TrackRecord& record) const
{
    for (const auto& t : tracks_)
        if (t->record.startFrame == record.startFrame) return BurstResultOf(*t);
    return {};
}

bool VerifiedRip::AllAccurate() const
{
    if (!verifying_) return true;
    for (const auto& t : tracks_)
        if (t->Checked() && t->Audio() && t->match.verdict != verify::ArVerdict::Accurate)
            return false;
    return true;
}

std::string VerifiedRip::CueName() const
{
    char name[32];
    std::snprintf(name, sizeof name, "%08x.cue", freedb_);
    return name;
}

std::string VerifiedRip::LogName() const
{
    char name[32];
    std::snprintf(name, sizeof name, "%08x.log", freedb_);
    return name;
}

std::string VerifiedRip::CueText(const std::string& folder) const
{
    std::vector<CueFile> files;
    for (const auto& t : tracks_)
        if (t->Audio() && t->outcome.finished && !t->outcome.file.empty())
            files.push_back(CueFile{t->toc.number, t->outcome.file});
    return RipCueText(*toc_, files, folder, metadata_ ? &*metadata_ : nullptr, metadataFirst_);
}

std::string VerifiedRip::FileChecksumOf(const Track& t)
{
    if (!t.outcome.finished || t.outcome.file.empty() || !t.Audio()) return {};
    const std::string& file = t.outcome.file;
    // A WAV file holds the PCM as the tap saw it: no need to read it again.
    if (t.Checked() && file.size() > 4 && file.compare(file.size() - 4, 4, ".wav") == 0)
        return verify::PcmCrcChecksum(t.sums.crc32());
    std::string error;
    return verify::FileChecksum(file, error);
}

std::string VerifiedRip::LogText(const RipContext& context) const
{
    verify::RipLogInfo info;
    info.heading = "VeltraCDRip " VELTRA_VERSION " console ripper: rip log of " + context.date;
    char read[160];
    std::snprintf(
        read, sizeof read,
        "read mode 0, %u frames a read, overlap frames %u, check frames %u, jitter mode %u",
        kFramesPerRead, kOverlapFrames, kCheckFrames, kJitterMode);
    info.settings = {{"Drive", context.drive},
                     {"Read settings", read},
                     {"Read offset correction",
                      context.readOffset.empty() ? "none (0 samples)" : context.readOffset},
                     {"Output format", options_.verifyOnly ? "none (verify only)" : context.format},
                     {"Output folder", context.outputFolder}};
    char freedb[16];
    std::snprintf(freedb, sizeof freedb, "%08x", freedb_);
    info.disc = {{"Tracks on the disc", std::to_string(toc_ ? toc_->tracks.size() : 0) + " (" +
                                            std::to_string(toc_ ? toc_->AudioTrackCount() : 0) +
                                            " audio)"},
                 {"Table of contents", toc_ ? verify::TocLogText(*toc_) : "(none)"},
                 {"CDDB disc id", freedb},
                 {"MusicBrainz disc id", musicBrainz_.empty() ? "(none)" : musicBrainz_},
                 {"AccurateRip disc id", accurateRip_ ? accurateRip_->Name() : "(none)"},
                 {"AccurateRip response",
                  !verifying_ ? (lookupLine_.empty() ? "none given" : "lookup: " + lookupLine_)
                              : responseName_ + " (" + std::to_string(response_.blocks.size()) +
                                    (response_.blocks.size() == 1 ? " block)" : " blocks)")}};
    for (const auto& t : tracks_) {
        verify::LogTrack l;
        l.number = t->known ? t->toc.number : 0;
        l.name = t->record.name;
        l.file = t->outcome.file;
        l.fileChecksum = FileChecksumOf(*t);
        l.start = t->record.startFrame;
        l.length = t->record.length;
        l.data = t->known && t->toc.data;
        l.status = t->ended ? t->outcome.status : "not ripped";
        l.retries = t->outcome.retries;
        l.zeroSamples = t->outcome.zeroSamples;
        l.overreadRefused = t->outcome.overreadRefused;
        l.checksums = t->Checked();
        l.crc32 = t->sums.crc32();
        l.crc32WithoutNullSamples = t->sums.crc32WithoutNullSamples();
        l.accurateRipV1 = t->sums.accurateRipV1();
        l.accurateRipV2 = t->sums.accurateRipV2();
        if (verifying_ && !l.data) {
            l.verification = l.checksums ? verify::MatchText(t->match)
                                         : "not checked: the track was not read whole";
            l.accurate = l.checksums && t->match.verdict == verify::ArVerdict::Accurate;
        }
        if (options_.burst && t->Audio() && t->Checked()) {
            const std::string word = BurstResultOf(*t);
            l.status += t->reread ? "; burst rip did not match, read again in secure mode: " + word
                                  : "; burst rip: " + word;
        }
        info.tracks.push_back(l);
    }
    return verify::RipLogText(info);
}

void VerifiedRip::PrintReport(std::FILE* out) const
{
    int accurate = 0, checked = 0;
    for (const auto& t : tracks_) {
        std::fprintf(out, "%-12s ", t->record.name);
        if (!t->Checked()) {
            std::fprintf(out, "no checksums: %s\n",
                         t->ended ? t->outcome.status.c_str() : "not ripped");
            continue;
        }
        std::fprintf(out, "CRC32 %s", Hex(t->sums.crc32()).c_str());
        if (t->Audio()) {
            std::fprintf(out, "  AccurateRip v1 %s  v2 %s", Hex(t->sums.accurateRipV1()).c_str(),
                         Hex(t->sums.accurateRipV2()).c_str());
            if (verifying_) {
                std::fprintf(out, "  %s", verify::MatchText(t->match).c_str());
                ++checked;
                if (t->match.verdict == verify::ArVerdict::Accurate) ++accurate;
            }
            if (options_.burst) {
                const std::string word = BurstResultOf(*t);
                if (!word.empty()) std::fprintf(out, "  => %s", word.c_str());
            }
        }
        std::fprintf(out, "\n");
    }
    if (verifying_) std::fprintf(out, "%d of %d tracks accurate\n", accurate, checked);
}

bool VerifiedRip::WriteCueSheet(const std::string& folder, std::FILE* out, std::string& error) const
{
    const std::string path = folder + "/" + CueName();
    const std::string text = CueText(folder);
    if (text.find("\nFILE ") == std::string::npos) {
        std::fprintf(out, "No CUE sheet: no audio track was ripped\n");
        return true;
    }
    if (!WriteText(path, text, error)) return false;
    std::fprintf(out, "CUE sheet: %s\n", path.c_str());
    return true;
}

bool VerifiedRip::WriteLog(const RipContext& context, const std::string& folder, std::FILE* out,
                           std::string& error) const
{
    const std::string path = folder + "/" + LogName();
    if (!WriteText(path, LogText(context), error)) return false;
    std::fprintf(out, "Rip log: %s\n", path.c_str());
    return true;
}

bool VerifiedRip::Finish(const RipContext& context, std::FILE* out, std::string& error)
{
    PrintReport(out);
    bool ok = true;
    const std::string folder = context.outputFolder.empty() ? "." : context.outputFolder;
    if (options_.cue && !WriteCueSheet(folder, out, error)) ok = false;
    // The log's error wins: it is the later one.
    if (options_.log && !WriteLog(context, folder, out, error)) ok = false;
    std::fflush(out);
    return ok;
}
