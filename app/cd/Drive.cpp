#include "Drive.h"

#include "Toc.h"

#include <algorithm>
#include <cstring>

DriveState g_drive;

void ReadDriveList()
{
    std::memset(&g_drive.driveList, 0, sizeof g_drive.driveList);
    g_drive.driveList.capacity = CD_MAX_DRIVES;
    GetCDList(&g_drive.driveList);
}

CDHANDLE OpenDrive()
{
    if (g_drive.handle != 0) {
        CloseCDHandle(g_drive.handle);
        g_drive.handle = 0;
    }
    g_drive.openedIndex = -1;
    const int count = std::min<int>(g_drive.driveList.found, CD_MAX_DRIVES);
    for (int i = 0; i < count; ++i) {
        CDOpenRequest request{};
        request.recordSize = sizeof(CDOpenRequest);
        request.one = 1;
        std::memcpy(request.address, g_drive.driveList.drives[i].address, 3);
        request.readMode = 0;
        request.overlapFrames = 1;
        request.checkFrames = 3;
        if (CDHANDLE h = GetCDHandle(&request)) {
            g_drive.handle = h;
            g_drive.openedIndex = i;
            break;
        }
    }
    return g_drive.handle;
}

void RefreshTrackList(TrackList& list)
{
    list.Clear();
    std::memset(&g_drive.tocA, 0, sizeof g_drive.tocA);
    ModifyCDParms(g_drive.handle, CD_PARM_TOC_ADDRESS_FORM, 0);
    ReadTOC(g_drive.handle, &g_drive.tocA);
    std::memset(&g_drive.tocB, 0, sizeof g_drive.tocB);
    ModifyCDParms(g_drive.handle, CD_PARM_TOC_ADDRESS_FORM, 1);
    if (ReadTOC(g_drive.handle, &g_drive.tocB) != CD_STATUS_OK) return;

    for (const TrackRecord& record : BuildTrackRecords(g_drive.tocA))
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
