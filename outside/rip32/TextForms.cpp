#include "TextForms.h"

#include <cctype>

namespace rip32
{

std::string Latin1ToUtf8(const std::string& bytes)
{
    std::string out;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool IsIsrc(const std::string& s)
{
    if (s.size() != 12) return false;
    for (size_t i = 0; i < 12; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        const bool ok = i < 2   ? std::isupper(c)
                        : i < 5 ? std::isupper(c) || std::isdigit(c)
                                : std::isdigit(c);
        if (!ok) return false;
    }
    return true;
}

} // namespace rip32
