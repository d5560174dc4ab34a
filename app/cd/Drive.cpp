#include "Drive.h"

#include "Toc.h"

#include <algorithm>
#include <cstring>

DriveState::~DriveState()
{
    if (handle != 0) CloseCDHandle(handle);
}

void ReadDriveList(DriveState& drive)
{
    std::memset(&drive.driveList, 0, sizeof drive.driveList);
    drive.driveList.capacity = CD_MAX_DRIVES;
    GetCDList(&drive.driveList);
}

CDHANDLE OpenDrive(DriveState& drive)
{
    if (drive.handle != 0) {
        CloseCDHandle(drive.handle);
        drive.handle = 0;
    }
    drive.openedIndex = -1;
    const int count = std::min<int>(drive.driveList.found, CD_MAX_DRIVES);
    for (int i = 0; i < count; ++i) {
        CDOpenRequest request{};
        request.recordSize = sizeof(CDOpenRequest);
        request.one = 1;
        std::memcpy(request.address, drive.driveList.drives[i].address, 3);
        request.readMode = 0;
        request.overlapFrames = 1;
        request.checkFrames = 3;
        if (CDHANDLE h = GetCDHandle(&request)) {
            drive.handle = h;
            drive.openedIndex = i;
            break;
        }
    }
    return drive.handle;
}

void RefreshTrackList(DriveState& drive, TrackList& list)
{
    list.Clear();
    std::memset(&drive.tocA, 0, sizeof drive.tocA);
    ModifyCDParms(drive.handle, CD_PARM_TOC_ADDRESS_FORM, 0);
    ReadTOC(drive.handle, &drive.tocA);
    std::memset(&drive.tocB, 0, sizeof drive.tocB);
    ModifyCDParms(drive.handle, CD_PARM_TOC_ADDRESS_FORM, 1);
    if (ReadTOC(drive.handle, &drive.tocB) != CD_STATUS_OK) return;

    for (const TrackRecord& record : BuildTrackRecords(drive.tocA))
        list.Append(record, TimeText(record.length));
}

std::string ImageRefusal()
{
    std::string text(GetImageError(nullptr, 0), '\0');
    if (!text.empty()) {
        GetImageError(text.data(), static_cast<uint32_t>(text.size() + 1));
        text.resize(std::strlen(text.c_str()));
    }
    return text;
}

void DriveIdentity(CDHANDLE handle, std::string& vendor, std::string& model)
{
    CDDriveInquiry inquiry{};
    vendor.clear();
    model.clear();
    if (GetCDDriveInquiry(handle, &inquiry) != 1) return;
    vendor.assign(inquiry.vendor, strnlen(inquiry.vendor, sizeof inquiry.vendor));
    model.assign(inquiry.model, strnlen(inquiry.model, sizeof inquiry.model));
}
