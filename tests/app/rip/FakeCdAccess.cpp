#include "FakeCdAccess.h"

#include "discimage/DiscImage.h"

#include <cstring>
#include <deque>

namespace fakecd
{

namespace
{
std::mutex g_mutex;
std::deque<uint32_t> g_script;
std::vector<Call> g_calls;

uint32_t Next()
{
    if (g_script.empty()) return CD_STATUS_OK;
    uint32_t s = g_script.front();
    g_script.pop_front();
    return s;
}

uint32_t Deliver(CDSectorHeader* buffer, uint32_t status)
{
    if (status != CD_STATUS_OK) return status;
    uint8_t* data = CD_SECTOR_DATA(buffer);
    for (uint32_t f = 0; f < buffer->frameCount; ++f)
        discimage::PatternFrame(buffer->startFrame + f, data + f * 2352);
    buffer->dataOffset = 0;
    buffer->bytesReturned = buffer->frameCount * 2352;
    return status;
}
} // namespace

void Script(std::vector<uint32_t> statuses)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_script.assign(statuses.begin(), statuses.end());
}

std::vector<Call> Calls()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_calls;
}

void Reset()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_script.clear();
    g_calls.clear();
}

} // namespace fakecd

using namespace fakecd;

extern "C" {

uint32_t GetCDList(CDDriveList* list)
{
    list->found = 1;
    return 1;
}
CDHANDLE GetCDHandle(const CDOpenRequest*)
{
    return 1;
}
uint32_t CloseCDHandle(CDHANDLE)
{
    return 1;
}
uint32_t ModifyCDParms(CDHANDLE, uint32_t, uint32_t)
{
    return 1;
}
uint32_t ReadTOC(CDHANDLE, CDTocRecord*)
{
    return 3;
}

uint32_t ReadCDAudioLBA(CDHANDLE, CDSectorHeader* buffer)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_calls.push_back({false, buffer->startFrame, buffer->frameCount, {}});
    return Deliver(buffer, Next());
}

uint32_t ReadCDAudioLBAEx(CDHANDLE, CDSectorHeader* buffer, CDSectorHeader* overlap)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_calls.push_back({true, buffer->startFrame, buffer->frameCount, *overlap});
    return Deliver(buffer, Next());
}

} // extern "C"
