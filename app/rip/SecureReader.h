// Secure reads for the reader: every stretch read at least twice with the drive's cache defeated
// in between, compared sample by sample, and read again (up to 16 reads) until two reads agree on
// every sample. Samples no two reads agree on are "suspicious": the most frequent value stays.
#pragma once

#include "Veltrarip32.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class SecureReader
{
public:
    static constexpr int kMaxReads = 16;
    // Runs of suspicious samples kept for the report; beyond these only the count grows.
    static constexpr size_t kMaxRuns = 1000;
    struct Run {
        uint64_t first = 0; // disc sample numbers (588 x frame + sample), inclusive
        uint64_t last = 0;
    };

    // readOffset: the drive's read offset in samples, so suspicious runs are named in the disc's
    // samples and not the drive's.
    explicit SecureReader(CDHANDLE drive, int32_t readOffset = 0);

    // Reads frames [start, start + count) into out (count x 2352 bytes); CD_STATUS_OK, or the
    // status of a read the drive failed.
    uint32_t Read(uint32_t start, uint32_t count, uint8_t* out);

    // The runs of samples no two reads agreed on, ascending.
    const std::vector<Run>& suspicious() const { return suspicious_; }
    uint64_t suspiciousCount() const { return suspiciousCount_; }
    uint64_t reads() const { return reads_; }            // drive reads of audio, all stretches
    uint64_t rereadStretches() const { return reread_; } // stretches that needed a third read

private:
    // One read of the stretch into slot `n` (with its C2 pointers); defeats the cache first
    // when the stretch was read before.
    uint32_t ReadOnce(uint32_t start, uint32_t count, int n);
    void DefeatCache(uint32_t start, uint32_t count);

    CDHANDLE drive_;
    int32_t readOffset_;
    // One per read of the current stretch: header + frames, as the library wants it, read in
    // place; the frames start at start_[n].
    std::vector<std::vector<uint8_t>> data_;
    std::vector<size_t> start_;
    std::vector<std::vector<uint8_t>> c2_;
    std::vector<uint8_t> hasC2_;
    std::vector<uint8_t> far_;
    std::vector<Run> suspicious_;
    uint64_t suspiciousCount_ = 0;
    uint64_t reads_ = 0;
    uint64_t reread_ = 0;
};
