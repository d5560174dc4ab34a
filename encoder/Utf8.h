// UTF-8 for the Vorbis comments: single-byte texts of the ANSI code page, and UTF-16 units,
// converted into newly allocated UTF-8 strings.
#pragma once

#include <memory>

namespace veltraenc
{

// A NUL-terminated UTF-8 string; null when there is none.
using Utf8Text = std::unique_ptr<char[]>;

// Converts a text of the ANSI code page. Null for a null text; null with a message on the
// standard error stream for an empty text or one that cannot be converted.
Utf8Text ToUtf8(const char* text);

// Converts NUL-terminated UTF-16 units unit by unit: each half of a surrogate pair becomes
// three bytes of its own. Null when the memory cannot be had.
Utf8Text Utf16ToUtf8(const char16_t* units);

} // namespace veltraenc
