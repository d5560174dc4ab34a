#include "Utf8.h"

#include "platform/CodePage.h"
#include "platform/DebugTrace.h"
#include "platform/LastError.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

namespace veltraenc
{

namespace
{

void ReportTranslationError()
{
    std::fprintf(stderr, "Unicode translation error %d\n", static_cast<int>(plat::GetLastError()));
}

} // namespace

Utf8Text ToUtf8(const char* text)
{
    if (!text) return nullptr;
    plat::DebugTrace("converting %s to unicode", text);

    const size_t length = std::strlen(text);
    int count = 0;
    if (length > INT_MAX)
        plat::SetLastError(plat::kErrorInvalidParameter);
    else
        count = plat::MultiByteToWideChar(plat::kCodePageAnsi, plat::kPrecomposed, text,
                                          static_cast<int>(length), nullptr, 0);
    if (count <= 0) {
        ReportTranslationError();
        return nullptr;
    }

    std::unique_ptr<char16_t[]> units(new (std::nothrow) char16_t[size_t(count) + 1]());
    if (!units) {
        std::fputs("Out of memory processing string to UTF8\n", stderr);
        return nullptr;
    }
    if (plat::MultiByteToWideChar(plat::kCodePageAnsi, plat::kPrecomposed, text,
                                  static_cast<int>(length), units.get(), count + 1) != count) {
        units.reset();
        ReportTranslationError();
        return nullptr;
    }

    Utf8Text result = Utf16ToUtf8(units.get());
    units.reset();
    if (!result) return nullptr;
    for (size_t i = 1, n = std::strlen(result.get()); i < n; ++i) {
        // The trace shows each byte signed, as it always has.
        const int byte = static_cast<int8_t>(result[i]); // NOLINT(bugprone-signed-char-misuse)
        plat::DebugTrace("utf8 char %d (%02x)", byte, static_cast<unsigned>(byte));
    }
    return result;
}

Utf8Text Utf16ToUtf8(const char16_t* units)
{
    if (!units) return nullptr;
    size_t count = 0;
    for (const char16_t* u = units; *u; ++u)
        count += *u < 0x80 ? 1 : *u < 0x800 ? 2 : 3;

    Utf8Text result(new (std::nothrow) char[count + 1]);
    if (!result) return nullptr;
    char* out = result.get();
    for (const char16_t* p = units; *p; ++p) {
        const unsigned u = *p;
        if (u < 0x80) {
            *out++ = static_cast<char>(u);
        } else if (u < 0x800) {
            *out++ = static_cast<char>(0xC0 | (u >> 6));
            *out++ = static_cast<char>(0x80 | (u & 0x3F));
        } else {
            // Surrogates too: each half of a pair by itself, pairs are not combined.
            *out++ = static_cast<char>(0xE0 | (u >> 12));
            *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    *out = '\0';
    return result;
}

} // namespace veltraenc
