#include "CodePage.h"

#include "LastError.h"

#include <cstring>

namespace plat
{

namespace
{

// 0x80-0x9F of Windows-1252; the five bytes it leaves undefined map to the C1 controls of the
// same value, as Windows' own conversion does.
const char16_t kHighBlock[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

uint32_t GetAnsiCodePage()
{
    return kCodePage1252;
}

char16_t Cp1252ToUtf16(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F) return kHighBlock[byte - 0x80];
    return static_cast<char16_t>(byte);
}

int MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* text, int length,
                        char16_t* wide, int wideSize)
{
    (void)flags; // every 1252 character is precomposed already
    if ((codePage != kCodePageAnsi && codePage != kCodePage1252) || !text || length == 0 ||
        length < -1 || wideSize < 0 || (wideSize > 0 && !wide)) {
        SetLastError(kErrorInvalidParameter);
        return 0;
    }
    size_t n = length == -1 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    if (n > 0x7FFFFFFF) {
        SetLastError(kErrorInvalidParameter);
        return 0;
    }
    if (wideSize == 0) return static_cast<int>(n);
    if (static_cast<size_t>(wideSize) < n) {
        SetLastError(kErrorInsufficientBuffer);
        return 0;
    }
    for (size_t i = 0; i < n; ++i)
        wide[i] = Cp1252ToUtf16(static_cast<unsigned char>(text[i]));
    return static_cast<int>(n);
}

} // namespace plat
