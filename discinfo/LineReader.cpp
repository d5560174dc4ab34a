#include "LineReader.h"

std::optional<std::string_view> LineReader::next()
{
    if (stopped_ || *cursor_ == '\0') return std::nullopt;
    buffer_.fill('\0');
    std::size_t used = 0;
    for (;;) {
        const char c = *cursor_;
        if (c == '\0') // the cursor stays on the NUL, so the next call finds the end
            return std::string_view(buffer_.data(), used);
        if (c == '\r' || c == '\n') {
            const char pair = c == '\r' ? '\n' : '\r';
            ++cursor_;
            if (*cursor_ == pair) ++cursor_;
            return std::string_view(buffer_.data(), used);
        }
        if (used == kBufferSize - 1) { // one byte stays for the NUL
            stopped_ = true;
            return std::nullopt;
        }
        buffer_[used++] = c;
        ++cursor_;
    }
}
