// Copying option texts into fixed-capacity members: cut to capacity, zero-padded, always
// NUL-terminated.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>

namespace veltraenc
{

// Copies at most `capacity` characters (N - 1 at most) of the text and fills the rest of the
// member with zeros. A null text leaves the member empty.
template <size_t N>
void CopyCut(std::array<char, N>& member, const char* text, size_t capacity = N - 1)
{
    static_assert(N > 0);
    member.fill('\0');
    if (!text) return;
    const size_t length = strnlen(text, capacity < N - 1 ? capacity : N - 1);
    std::memcpy(member.data(), text, length);
}

} // namespace veltraenc
