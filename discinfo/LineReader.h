// Cuts an entry's text into lines: CR LF, LF CR, CR or LF end a line; a line holds at most
// 256 characters, and a longer one ends the reading as if the text stopped before it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

class LineReader
{
public:
    static constexpr std::size_t kBufferSize = 257;

    explicit LineReader(const char* text) : cursor_(text) {}

    // The next line without its line end (valid until the next call), or nothing at the end
    // of the text or at a line too long for the buffer; after that, always nothing.
    std::optional<std::string_view> next();

private:
    const char* cursor_;
    bool stopped_ = false;
    std::array<char, kBufferSize> buffer_{};
};
