// The drive state of the program: the drive list, the open drive's handle and the two TOC
// records. Its owner (the main window, or the console ripper's run) uses it from one thread; a
// rip job carries the handle it reads from.
#pragma once

#include "TrackList.h"

#include "Veltrarip32.h"

#include <string>

struct DriveState {
    DriveState() = default;
    ~DriveState(); // closes the open drive
    DriveState(const DriveState&) = delete;
    DriveState& operator=(const DriveState&) = delete;

    CDDriveList driveList{};
    CDHANDLE handle = 0;
    int openedIndex = -1; // the drive list entry the handle belongs to
    CDTocRecord tocA{};   // parsed
    CDTocRecord tocB{};   // only its read result counts
};

// GetCDList with capacity 8.
void ReadDriveList(DriveState& drive);
// Closes an open drive, then opens the first drive of the list that answers; 0 when none does.
CDHANDLE OpenDrive(DriveState& drive);
// The drive's vendor and model from its INQUIRY data; empty when it does not say.
void DriveIdentity(CDHANDLE handle, std::string& vendor, std::string& model);
// Rebuilds the rows from the disc's table of contents; an unreadable TOC leaves them empty.
void RefreshTrackList(DriveState& drive, TrackList& list);
// Why the CD-access library refused the last disc image (file, line, reason); empty when it
// refused none since the drive list was read.
std::string ImageRefusal();
