// Random sequences of xt calls (streams of every type, integer and text options, path
// composition, the existence check, closing), as a caller of the library could make them.
// Nothing is opened for writing, so no file or folder is created.
#include "include/Veltraenc.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool more() const { return at < size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    int32_t word()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        return static_cast<int32_t>(v);
    }
    std::string text()
    {
        const size_t n = byte() * 3u; // up to 765 characters: past every field's capacity
        std::string s;
        for (size_t i = 0; i < n && more(); ++i)
            s.push_back(static_cast<char>(byte()));
        return s;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader in{data, size};
    int handles[XT_MAX_STREAMS] = {};
    int count = 0;
    auto pick = [&]() {
        return count ? handles[in.byte() % count] : static_cast<int>(in.byte()) - 2;
    };
    while (in.more()) {
        switch (in.byte() % 9) {
        case 0:
            if (int h = xtGetEncoder(static_cast<int>(in.byte() % 10) - 1);
                h && count < XT_MAX_STREAMS)
                handles[count++] = h;
            break;
        case 1: {
            const int h = pick();
            const int option = static_cast<int>(in.byte()) - 2;
            xtSetIntOption(h, option == NO_WRITE ? option + 1 : option, in.word());
            break;
        }
        case 2: {
            const int h = pick();
            const int option = static_cast<int>(in.byte() % 34) - 2;
            const std::string text = in.text();
            xtSetAsciiOption(h, option, in.byte() & 1 ? text.c_str() : nullptr);
            break;
        }
        case 3: {
            char buf[300];
            const int size = static_cast<int>(in.byte()) * 2 - 60;
            if (xtGetOutputFileName(pick(), size > 0 && size <= 300 ? buf : nullptr, size) == 1 &&
                std::strlen(buf) >= static_cast<size_t>(size))
                std::abort(); // a path that does not fit must never be reported as composed
            break;
        }
        case 4:
            if (const char* name = xtGetFilename(pick())) (void)std::strlen(name);
            break;
        case 5:
            if (const char* ext = xtGetExtension(pick())) (void)std::strlen(ext);
            break;
        case 6:
            xtCheckOutputFileExists(pick());
            break;
        case 7:
            if (count) {
                const int i = in.byte() % count;
                xtClose(handles[i]);
                handles[i] = handles[--count];
            }
            break;
        case 8:
            xtEncoderAvail(static_cast<int>(in.byte()) - 2);
            break;
        }
    }
    for (int i = 0; i < count; ++i)
        xtClose(handles[i]);
    return 0;
}
