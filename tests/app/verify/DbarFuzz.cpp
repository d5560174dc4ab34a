// The AccurateRip response parser and matcher on arbitrary bytes.
#include "app/verify/DbarResponse.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    verify::DbarResponse response;
    std::string error;
    if (verify::ParseDbar(data, size, response, error)) {
        for (int slot = 0; slot < 100; ++slot) {
            const verify::ArMatch m = verify::MatchTrack(response, slot, 0x12345678, 0x9abcdef0);
            (void)verify::MatchText(m);
        }
        (void)verify::ResponseIsFor(response, response.blocks.front().disc);
    }
    return 0;
}
