// Forms the disc's texts and codes come in, shared by the cue sheet reader and the CD-Text
// reader: 8-bit Latin-1 text made UTF-8, and the twelve characters of an ISRC.
#pragma once

#include <string>

namespace rip32
{

// Every byte a Latin-1 character.
std::string Latin1ToUtf8(const std::string& bytes);
// Country (2 letters), owner (3 letters or digits), year (2 digits), number (5 digits).
bool IsIsrc(const std::string& s);

} // namespace rip32
