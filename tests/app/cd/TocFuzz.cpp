// Track records built from arbitrary TOC records: never a read outside the record, never a
// track of impossible length.
#include "Toc.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CDTocRecord toc{};
    std::memcpy(&toc, data, size < sizeof toc ? size : sizeof toc);
    const auto records = BuildTrackRecords(toc);
    if (records.size() > 99) std::abort();
    for (const TrackRecord& r : records) {
        if (r.length == 0 || r.name[kTrackNameSize - 1] != '\0') std::abort();
        if (std::strncmp(r.name, "Track ", 6) != 0 && std::strcmp(r.name, "Data Track") != 0)
            std::abort();
        if (static_cast<uint64_t>(r.startFrame) + r.length > 0xFFFFFFFFull) std::abort();
        (void)TimeText(r.length);
    }
    return 0;
}
