// The rip command: every ticked row of the track list, top to bottom, one track at a time, each
// with a job of its own.
#pragma once

#include "RipJob.h"
#include "RipProgress.h"

#include "app/cd/TrackList.h"

constexpr const char kNoSelectionText[] = "You must select one Item to operate it!";
constexpr const char kCompleteStatus[] = "complete";
constexpr const char kDataTrackStatus[] = "data track";
constexpr const char kInexactStatus[] = "inexact";

// What the rip command needs from the program around it.
class RipFrontEnd
{
public:
    virtual ~RipFrontEnd() = default;
    // Runs the track's progress dialog modally; the dialog starts the job (StartRipJob) and
    // this returns the dialog's result once it has ended. The worker threads use the dialog
    // until they end, which may be after the dialog has ended (a cancel): call
    // FinishRipJob(job) before the dialog object goes.
    virtual RipResult RunTrack(TrackRecord& record, RipJob& job) = 0;
    // The message box shown when no row is ticked.
    virtual void ShowMessage(const char* text) = 0;
    // Whether ticked data tracks are handed to RunTrack; otherwise they are passed over (their
    // sectors are no audio) and their status says so.
    virtual bool RipsDataTracks() const { return false; }
    // The status of the track RunTrack last finished: "complete", or what the front end knows
    // better (secure mode's "inexact").
    virtual const char* FinishedStatus() const { return kCompleteStatus; }
};

// Rips from `drive`; the rip command creates and releases every job.
void RipCommand(TrackList& list, RipFrontEnd& frontEnd, CDHANDLE drive);

// Gives the row its row number and rip flag, as the rip command does before a track's dialog.
void PrepareRow(TrackList& list, size_t index);
