// The console ripper's verified rip: disc identifiers from the TOC, a checksum tap for every
// track, the AccurateRip response checked against the disc, and at the end the report, the
// CUE sheet and the rip log.
#pragma once

#include "app/lookup/DiscMetadata.h"
#include "app/rip/RipJob.h"
#include "app/verify/DbarResponse.h"
#include "app/verify/DiscIds.h"
#include "app/verify/PcmChecksums.h"

#include "Veltrarip32.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct VerifyOptions {
    bool cue = false;
    bool log = false;
    std::string response; // --accuraterip FILE
    bool verifyOnly = false;
    bool lookup = false;     // --accuraterip-lookup
    std::string lookupUrl;   // --accuraterip-url, else AccurateRipUrl in [Lookup]
    int timeoutSeconds = 10; // TimeoutSeconds in [Lookup]
    bool burst = false;      // --verify: burst rip, secure re-read of what does not match
    bool Active() const { return cue || log || verifyOnly || lookup || burst || !response.empty(); }
};

// What the rip looked like, for the log.
struct RipContext {
    std::string drive;
    std::string format;
    std::string outputFolder;
    std::string date;
    std::string readOffset; // the offset and where it came from
};

// How one track's rip ended.
struct TrackOutcome {
    bool finished = false;
    std::string status; // "complete", or why not
    std::string file;   // the written file, empty for none
    uint32_t retries = 0;
    bool secure = false;      // read in secure mode
    bool inexact = false;     // secure mode left suspicious samples
    uint64_t zeroSamples = 0; // outside the disc, filled with zeros
    bool overreadRefused = false;
};

class VerifiedRip
{
public:
    explicit VerifiedRip(VerifyOptions options);
    ~VerifiedRip();

    // What a look-up found: titles, performers, ISRCs and the catalogue go into the CUE sheet.
    void SetMetadata(const lookup::DiscMetadata& disc, int firstTrack)
    {
        metadata_ = disc;
        metadataFirst_ = firstTrack;
    }

    // Computes the identifiers and loads the response, which must be for this disc. A response
    // looked up online that is missing or refused leaves the rip unverified, not failed.
    bool Prepare(const CDTocRecord& toc, std::string& error);
    // The identifiers, and the response's blocks, as lines for the terminal.
    void PrintDisc(std::FILE* out) const;

    // The tap for the track's PCM; the job feeds it on the encoder thread.
    PcmTap* BeginTrack(const TrackRecord& record);
    // Once both threads of the track have ended.
    void EndTrack(const TrackRecord& record, const TrackOutcome& outcome);

    // --verify: the start frames of the tracks of the burst rip to read again in secure mode
    // (read whole, audio, and not accurate or not known to the database). Beginning such a
    // track again replaces its checksums and keeps what the burst rip found.
    std::vector<uint32_t> TracksToReread() const;
    // --verify: the track's result in words ("accurate (confidence 5)", "accurate after
    // re-read", "not in database, secure: exact", "NOT accurate, secure: exact", "inexact").
    std::string BurstResult(const TrackRecord& record) const;
    // Prints the per-track report, writes the CUE sheet and the log into the output folder.
    // Returns false when a file could not be written (error says which).
    bool Finish(const RipContext& context, std::FILE* out, std::string& error);
    // Every audio track that was read whole matched the response (true without a response).
    bool AllAccurate() const;

    // The names of the sheet and the log: the CDDB disc id.
    std::string CueName() const;
    std::string LogName() const;

private:
    struct Track;
    std::optional<lookup::DiscMetadata> metadata_;
    int metadataFirst_ = 1;
    std::string CueText(const std::string& folder) const;
    std::string LogText(const RipContext& context) const;
    // The checksum a re-tag checks the track's file against; empty for none.
    static std::string FileChecksumOf(const Track& t);
    void PrintReport(std::FILE* out) const;
    void LookUp();
    std::string BurstResultOf(const Track& t) const;
    bool WriteCueSheet(const std::string& folder, std::FILE* out, std::string& error) const;
    bool WriteLog(const RipContext& context, const std::string& folder, std::FILE* out,
                  std::string& error) const;

    VerifyOptions options_;
    std::optional<verify::DiscToc> toc_;
    uint32_t freedb_ = 0;
    std::string musicBrainz_;
    std::optional<verify::AccurateRipDiscId> accurateRip_;
    verify::DbarResponse response_;
    bool verifying_ = false;   // a response for the disc is at hand
    std::string responseName_; // where it came from, for the terminal and the log
    std::string lookupLine_;   // how the online lookup went
    std::vector<std::unique_ptr<Track>> tracks_;
};
