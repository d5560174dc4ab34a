// The console ripper's rip of the ticked rows: the drive read one track after another, up to N
// tracks encoding at once, each with its own job, progress and report; Ctrl-C cancels them all.
#pragma once

#include "ConsoleProgress.h"
#include "MetadataStep.h"
#include "VerifiedRip.h"

#include "app/cd/TrackList.h"
#include "app/rip/RipJob.h"

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

class ConsoleRip
{
public:
    // `interrupted` is polled while tracks are in flight; `verified` may be null.
    ConsoleRip(RipSettings settings, ConsoleProgress::Overwrite overwrite, VerifiedRip* verified,
               CDHANDLE drive, int jobs, bool (*interrupted)());
    ~ConsoleRip();

    // Names and tags the files after a look-up; null (the default) keeps the plain names.
    void SetNaming(Naming* naming) { naming_ = naming; }

    // Test and copy: the CRC32 of every track's audio is kept (crcs()), and, given the CRC32s
    // of earlier passes by row, a finished track none of them matches is "inexact".
    void KeepCrcs(const std::map<int, std::vector<uint32_t>>* earlier)
    {
        keepCrcs_ = true;
        earlier_ = earlier;
    }
    const std::map<int, uint32_t>& crcs() const { return crcs_; }

    // Rips every ticked row, top to bottom, and marks the finished ones "complete". With no
    // ticked row it prints the rip command's message. Rows are numbered from `firstRow` (0 for
    // the hidden track before track 1).
    void Run(TrackList& list, int firstRow = 1);

    // Why a row (by its number) was not ripped.
    const std::map<int, std::string>& reasons() const { return reasons_; }
    // Rows (1-based) ripped whole in secure mode with suspicious samples, and where they are.
    const std::map<int, std::string>& inexact() const { return inexact_; }

private:
    struct Track;
    void Start(TrackList& list, size_t index);
    // Waits for the oldest track in flight to end, then reports it.
    void FinishOldest(TrackList& list);
    int firstRow_ = 1;
    // Waits until the newest track's reader is done with the drive.
    void WaitForDrive();
    // One wait step: true once `track` has closed; draws the progress, passes a Ctrl-C on.
    bool Poll(Track& track);
    void CancelAll();
    // Lifts the threads of a job that has not moved for a while (starved by other programs).
    void LiftStarved();

    RingStore ringStore_; // before the tracks: their rings give their storage back to it
    RipSettings settings_;
    ConsoleProgress::Overwrite overwrite_;
    bool showBar_;
    VerifiedRip* verified_;
    Naming* naming_ = nullptr;
    CDHANDLE drive_;
    size_t jobs_;
    bool (*interrupted_)();
    bool cancelled_ = false;
    bool busy_ = false; // a job starved: later jobs start at normal priority
    std::deque<std::unique_ptr<Track>> inFlight_;
    std::map<int, std::string> reasons_;
    std::map<int, std::string> inexact_;
    bool keepCrcs_ = false;
    const std::map<int, std::vector<uint32_t>>* earlier_ = nullptr;
    std::map<int, uint32_t> crcs_;
};
