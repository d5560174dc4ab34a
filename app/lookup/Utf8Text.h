// UTF-8 checks and repairs for texts from the network, which may come in a legacy encoding.
#pragma once

#include <cstdint>
#include <string>

namespace lookup
{

bool IsValidUtf8(const std::string& text);
// Each byte as the Latin-1 character of that value.
std::string Latin1ToUtf8(const std::string& text);
// The longest prefix of at most maxBytes bytes that does not split a character.
std::string Utf8Prefix(const std::string& text, size_t maxBytes);

} // namespace lookup
