#include "FindOffset.h"

#include "app/shell/CurrentSettings.h"
#include "app/shell/Settings.h"
#include "app/verify/DiscIds.h"
#include "app/verify/OffsetFinder.h"

#include <cstdlib>
#include <vector>

namespace
{

constexpr int kOverlappedTries = 3;

int Fail(int status, const std::string& message)
{
    std::fprintf(stderr, "veltracdrip-cli: %s\n", message.c_str());
    return status;
}

// The drive's frames [start, start + kOffsetWindowFrames) as it delivers them; false when the
// read fails.
bool ReadWindow(CDHANDLE drive, uint32_t start, std::vector<uint8_t>& pcm)
{
    const uint32_t bytes = verify::kOffsetWindowFrames * CD_FRAME_BYTES;
    std::vector<uint8_t> memory(sizeof(CDSectorHeader) + bytes);
    auto* header = reinterpret_cast<CDSectorHeader*>(memory.data());
    header->bufferLength = bytes;
    header->startFrame = start;
    header->frameCount = verify::kOffsetWindowFrames;
    uint32_t status = ReadCDAudioLBA(drive, header);
    for (int i = 0; i < kOverlappedTries && status == CD_STATUS_RETRY; ++i)
        status = ReadCDAudioLBAEx(drive, header, nullptr);
    if (status != CD_STATUS_OK || header->bytesReturned != bytes ||
        static_cast<uint64_t>(header->dataOffset) + bytes > header->bufferLength)
        return false;
    const uint8_t* data = CD_SECTOR_DATA(header) + header->dataOffset;
    pcm.assign(data, data + bytes);
    return true;
}

} // namespace

int RunFindOffset(const CliOptions& options, CurrentSettings& current, CDHANDLE drive,
                  const CDTocRecord& record, std::FILE* out)
{
    const auto toc = verify::DiscTocFromRecord(record);
    const auto id = toc ? verify::AccurateRipId(*toc) : std::nullopt;
    if (!id) return Fail(1, "the disc has no audio tracks to find the read offset on");
    verify::DbarResponse response;
    std::string error;
    if (!verify::LoadDbarFile(options.verify.response, response, error)) return Fail(2, error);
    if (!verify::ResponseIsFor(response, *id))
        return Fail(2, options.verify.response + " is not the response for this disc (" +
                           id->Name() + ")");

    std::vector<verify::OffsetProbe> probes;
    for (size_t i = 0; i < toc->tracks.size(); ++i) {
        const verify::TocTrack& t = toc->tracks[i];
        if (t.data) continue;
        uint32_t end = i + 1 < toc->tracks.size() ? toc->tracks[i + 1].start : toc->leadout;
        if (end > toc->AudioLeadout()) end = toc->AudioLeadout();
        const int slot = verify::AccurateRipSlot(*toc, t.number);
        if (end - t.start < verify::kMinOffsetTrackFrames || slot < 0) continue;
        verify::OffsetProbe probe;
        probe.slot = slot;
        if (!ReadWindow(drive, t.start + verify::kOffsetWindowFirst, probe.pcm)) {
            std::fprintf(out, "Track %02d: could not be read around frame %u\n", t.number,
                         verify::kOffsetFrame);
            continue;
        }
        probes.push_back(std::move(probe));
    }
    const auto found = verify::FindReadOffsets(probes, response);
    if (found.empty()) {
        std::fprintf(out,
                     "No read offset within %d samples matches the response on %d or more of "
                     "the %zu tracks read\n",
                     verify::kMaxOffsetSearch, verify::kOffsetConfirmingTracks, probes.size());
        return 1;
    }
    std::fprintf(out, "Read offset candidates (frame %u of %zu tracks):\n", verify::kOffsetFrame,
                 probes.size());
    for (const auto& c : found)
        std::fprintf(out, "  %+d samples: %d tracks match, confidence %u\n", c.offset, c.tracks,
                     c.confidence);
    if (found.size() > 1) {
        std::fprintf(out, "Several offsets match (pressings of the disc differ)%s\n",
                     options.save ? "; nothing saved" : "");
        return 1;
    }
    std::fprintf(out, "Read offset: %+d samples\n", found[0].offset);
    if (options.save) {
        SaveReadOffset(current, found[0].offset);
        std::fprintf(out, "Saved as ReadOffset in [%s] of %s\n", kSectionDrive, kSettingsFileName);
    }
    return 0;
}
