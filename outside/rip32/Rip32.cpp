// The exports of the CD-access library: drives (disc images named in VELTRARIP32_IMAGES
// first, then the CD drives libcdio finds) behind small integer handles.
#include "Disc.h"
#include "ImageRefusal.h"

#include "BoundaryGuard.h"
#include "Veltrarip32.h"

#include <algorithm>
#include <cdio/cdio.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using boundary::Guarded;

namespace
{

constexpr uint8_t kKindImage = 1;
constexpr uint8_t kKindDevice = 2;
constexpr size_t kMaxHandles = 64;

struct DriveInfo {
    std::string source;
    bool image;
};

std::mutex g_mutex;
std::vector<DriveInfo> g_drives;
std::vector<std::shared_ptr<rip32::Disc>> g_handles(kMaxHandles);

std::vector<DriveInfo> Discover()
{
    std::vector<DriveInfo> drives;
    if (const char* images = std::getenv("VELTRARIP32_IMAGES")) {
        std::string list = images;
        size_t pos = 0;
        while (pos <= list.size()) {
            size_t colon = list.find(':', pos);
            if (colon == std::string::npos) colon = list.size();
            if (colon > pos) drives.push_back({list.substr(pos, colon - pos), true});
            pos = colon + 1;
        }
    }
    if (char** devices = cdio_get_devices(DRIVER_DEVICE)) {
        for (char** d = devices; *d; ++d)
            drives.push_back({*d, false});
        cdio_free_device_list(devices);
    }
    return drives;
}

std::shared_ptr<rip32::Disc> Lookup(CDHANDLE handle)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (handle == 0 || handle > kMaxHandles) return nullptr;
    return g_handles[handle - 1];
}

} // namespace

extern "C" {

RIP32_API uint32_t GetCDList(CDDriveList* list)
{
    if (!list) return 0;
    const uint32_t listed = Guarded(0u, [&] {
        std::lock_guard<std::mutex> lock(g_mutex);
        rip32::ClearImageRefusal();
        g_drives = Discover();
        const size_t capacity = std::min<size_t>(list->capacity, CD_MAX_DRIVES);
        const size_t n = std::min(capacity, g_drives.size());
        list->found = static_cast<uint8_t>(n);
        for (size_t i = 0; i < n; ++i) {
            CDDriveEntry& e = list->drives[i];
            std::memset(&e, 0, sizeof e);
            e.address[0] = static_cast<uint8_t>(i);
            e.address[1] = g_drives[i].image ? kKindImage : kKindDevice;
            std::snprintf(e.description, sizeof e.description, "%s%s",
                          g_drives[i].image ? "image " : "", g_drives[i].source.c_str());
        }
        return 1u;
    });
    if (!listed) list->found = 0;
    return listed;
}

RIP32_API CDHANDLE GetCDHandle(const CDOpenRequest* request)
{
    if (!request) return 0;
    return Guarded(CDHANDLE{0}, [&]() -> CDHANDLE {
        DriveInfo drive;
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            if (g_drives.empty()) g_drives = Discover();
            const size_t index = request->address[0];
            if (index >= g_drives.size()) return 0;
            if (request->address[1] != (g_drives[index].image ? kKindImage : kKindDevice)) return 0;
            drive = g_drives[index];
        }
        std::shared_ptr<rip32::Disc> disc = rip32::Disc::Open(drive.source, drive.image);
        if (!disc) return 0;
        disc->SetParameter(CD_PARM_OVERLAP_FRAMES, request->overlapFrames);
        disc->SetParameter(CD_PARM_CHECK_FRAMES, request->checkFrames);
        std::lock_guard<std::mutex> lock(g_mutex);
        for (size_t i = 0; i < kMaxHandles; ++i) {
            if (!g_handles[i]) {
                g_handles[i] = std::move(disc);
                return static_cast<CDHANDLE>(i + 1);
            }
        }
        return 0;
    });
}

RIP32_API uint32_t CloseCDHandle(CDHANDLE handle)
{
    return Guarded(0u, [&]() -> uint32_t {
        std::shared_ptr<rip32::Disc> released;
        std::lock_guard<std::mutex> lock(g_mutex);
        if (handle == 0 || handle > kMaxHandles || !g_handles[handle - 1]) return 0;
        released = std::move(g_handles[handle - 1]);
        return 1;
    });
}

RIP32_API uint32_t ModifyCDParms(CDHANDLE handle, uint32_t parameter, uint32_t value)
{
    return Guarded(0u, [&]() -> uint32_t {
        auto disc = Lookup(handle);
        if (!disc) return 0;
        disc->SetParameter(parameter, value);
        return 1;
    });
}

RIP32_API uint32_t ReadTOC(CDHANDLE handle, CDTocRecord* toc)
{
    return Guarded(uint32_t{CD_STATUS_ERROR}, [&]() -> uint32_t {
        auto disc = Lookup(handle);
        if (!disc || !toc) return CD_STATUS_NO_DISC;
        return disc->ReadToc(*toc);
    });
}

RIP32_API uint32_t ReadCDAudioLBA(CDHANDLE handle, CDSectorHeader* buffer)
{
    return Guarded(uint32_t{CD_STATUS_ERROR}, [&]() -> uint32_t {
        auto disc = Lookup(handle);
        if (!disc || !buffer) return CD_STATUS_ERROR;
        return disc->ReadPlain(*buffer);
    });
}

RIP32_API uint32_t ReadCDAudioLBAEx(CDHANDLE handle, CDSectorHeader* buffer,
                                    CDSectorHeader* overlap)
{
    return Guarded(uint32_t{CD_STATUS_ERROR}, [&]() -> uint32_t {
        auto disc = Lookup(handle);
        if (!disc || !buffer) return CD_STATUS_ERROR;
        return disc->ReadOverlapped(*buffer, overlap);
    });
}

RIP32_API uint32_t GetImageError(char* text, uint32_t size)
{
    try {
        const std::string refusal = rip32::ImageRefusal();
        if (text && size > 0) {
            const size_t n = std::min<size_t>(refusal.size(), size - 1);
            std::memcpy(text, refusal.data(), n);
            text[n] = '\0';
        }
        return static_cast<uint32_t>(refusal.size());
    } catch (...) {
        if (text && size > 0) text[0] = '\0';
        return 0;
    }
}

RIP32_API uint32_t ReadCDAudioLBAC2(CDHANDLE handle, CDSectorHeader* buffer, uint8_t* c2,
                                    uint32_t c2Length)
{
    auto disc = Lookup(handle);
    if (!disc || !buffer || !c2 ||
        c2Length / CD_C2_BYTES < static_cast<uint64_t>(buffer->frameCount))
        return CD_STATUS_ERROR;
    try {
        return disc->ReadWithC2(*buffer, c2);
    } catch (...) {
        return CD_STATUS_ERROR;
    }
}

RIP32_API uint32_t GetCDDriveInquiry(CDHANDLE handle, CDDriveInquiry* info)
{
    if (!info) return 0;
    std::memset(info, 0, sizeof *info);
    const uint32_t result = Guarded(0u, [&]() -> uint32_t {
        auto disc = Lookup(handle);
        return disc && disc->Identify(*info) ? 1 : 0;
    });
    if (result != 1) std::memset(info, 0, sizeof *info);
    return result;
}

RIP32_API uint32_t GetCDText(CDHANDLE handle, uint32_t track, uint32_t field, char* text,
                             uint32_t size)
{
    if (text && size > 0) text[0] = '\0';
    return Guarded(0u, [&]() -> uint32_t {
        auto disc = Lookup(handle);
        if (!disc) return 0;
        const auto all = disc->Text();
        const std::string* value = all->Field(track, field);
        if (!value) return 0;
        if (text && size > 0) {
            const size_t n = rip32::Utf8Cut(*value, size - 1);
            std::memcpy(text, value->data(), n);
            text[n] = '\0';
        }
        return static_cast<uint32_t>(value->size());
    });
}

RIP32_API uint32_t GetTrackISRC(CDHANDLE handle, uint32_t track, char* isrc)
{
    if (!isrc) return 0;
    std::memset(isrc, 0, CD_ISRC_BYTES);
    return Guarded(0u, [&]() -> uint32_t {
        auto disc = Lookup(handle);
        if (!disc || track == 0 || track > 99) return 0;
        const auto all = disc->Text();
        auto it = all->tracks.find(static_cast<int>(track));
        if (it == all->tracks.end() || it->second.isrc.size() != CD_ISRC_BYTES - 1) return 0;
        std::memcpy(isrc, it->second.isrc.c_str(), CD_ISRC_BYTES);
        return 1;
    });
}

RIP32_API uint32_t GetDiscMCN(CDHANDLE handle, char* mcn)
{
    if (!mcn) return 0;
    std::memset(mcn, 0, CD_MCN_BYTES);
    return Guarded(0u, [&]() -> uint32_t {
        auto disc = Lookup(handle);
        if (!disc) return 0;
        const std::string code = disc->Text()->mcn;
        if (code.size() != CD_MCN_BYTES - 1) return 0;
        std::memcpy(mcn, code.c_str(), CD_MCN_BYTES);
        return 1;
    });
}

} // extern "C"
