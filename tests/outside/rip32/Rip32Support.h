// Helpers of the CD-access library tests: generated images opened through the real exports.
#pragma once

#include "Veltrarip32.h"
#include "support/TestDisc.h"

#include <string>
#include <vector>

namespace rip32test
{

// Names the images in VELTRARIP32_IMAGES, lists the drives and opens drive `index`.
inline CDHANDLE OpenImages(const std::vector<std::string>& images, int index = 0)
{
    std::string list;
    for (const auto& i : images)
        list += (list.empty() ? "" : ":") + i;
    testsupport::UseDiscImages(list);
    CDDriveList drives{};
    drives.capacity = CD_MAX_DRIVES;
    GetCDList(&drives);
    if (index >= drives.found) return 0;
    CDOpenRequest request{12, 1, {}, 0, {}, 1, 3};
    for (int i = 0; i < 3; ++i)
        request.address[i] = drives.drives[index].address[i];
    return GetCDHandle(&request);
}

inline uint32_t Address(const CDTocDescriptor& d)
{
    return (uint32_t{d.address[0]} << 24) | (uint32_t{d.address[1]} << 16) |
           (uint32_t{d.address[2]} << 8) | d.address[3];
}

// A sector buffer of `frames` frames with its header in front, as the reader allocates it.
struct SectorBuffer {
    explicit SectorBuffer(uint32_t frames) : bytes(sizeof(CDSectorHeader) + frames * CD_FRAME_BYTES)
    {
        header()->bufferLength = frames * CD_FRAME_BYTES;
    }
    CDSectorHeader* header() { return reinterpret_cast<CDSectorHeader*>(bytes.data()); }
    void Request(uint32_t start, uint32_t count)
    {
        header()->startFrame = start;
        header()->frameCount = count;
        header()->bytesReturned = 0;
        header()->dataOffset = 0;
    }
    std::vector<uint8_t> Data()
    {
        const uint8_t* p = CD_SECTOR_DATA(header()) + header()->dataOffset;
        return std::vector<uint8_t>(p, p + header()->bytesReturned);
    }
    std::vector<uint8_t> bytes;
};

} // namespace rip32test
